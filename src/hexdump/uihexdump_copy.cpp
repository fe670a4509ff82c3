// Dump text and byte copies of the UIHexDump control's selection.
#include "hexdump/uihexdump_internal.h"

#include "base/log.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

HexTextSettings text_settings(const HexDumpState* s) {
    return HexTextSettings{s->bytesPerRow,       s->groupSize,    s->digitsPerByte, s->dumpRadix,
                           s->decimalOffset != 0, s->copyOffset != 0, s->copyDump != 0, s->copyAscii != 0,
                           s->extendedAscii != 0};
}

}  // namespace

LRESULT uihexdump_on_getdumptext(HexDumpState* s, int* outLength) {
    if (!s->data) return 0;
    GlobalLockGuard lock(s->data);
    if (!lock) return 0;
    const long long lo = std::min(s->anchor, s->caret);
    const long long hi = std::min<long long>(std::max(s->anchor, s->caret), uihexdump_readable_size(s, lock));
    const long long total = hexdump_text_length(text_settings(s), lo, std::max(lo, hi));
    // The length travels back as an int; a text that long cannot be reported.
    if (total < 0 || total >= INT_MAX) return 0;
    GlobalBlock text(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(total) + 1));
    if (!text) return 0;
    {
        GlobalLockGuard out(text.get());
        if (!out) return 0;
        size_t written =
            hexdump_text_write(text_settings(s), lock.as<uint8_t>() + lo, lo, std::max(lo, hi), out.as<char>());
        if (written != static_cast<size_t>(total)) return 0;
    }
    if (outLength) *outLength = static_cast<int>(total);
    return reinterpret_cast<LRESULT>(text.release());
}

namespace {

// The selected bytes in a new movable block with a NUL after them, every NUL
// among them turned into a space; null without data or memory.
HGLOBAL copy_text_block(HexDumpState* s) {
    GlobalLockGuard lock(s->data);
    if (!s->data || !lock) return nullptr;
    const int lo = std::min(s->anchor, s->caret);
    const int hi = std::min(std::max(s->anchor, s->caret), uihexdump_readable_size(s, lock));
    const SIZE_T count = hi > lo ? static_cast<SIZE_T>(hi - lo) : 0;
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, count + 1));
    if (!block) return nullptr;
    GlobalLockGuard out(block.get());
    if (!out) return nullptr;
    char* p = out.as<char>();
    if (count) memcpy(p, lock.as<char>() + lo, count);
    p[count] = '\0';
    for (SIZE_T i = 0; i < count; ++i)
        if (p[i] == '\0') p[i] = ' ';
    return block.release();
}

}  // namespace

void uihexdump_on_copy(HexDumpState* s) {
    // Made before the clipboard is opened, so no other program waits on it
    // while a large selection is copied.
    GlobalBlock block(copy_text_block(s));
    if (!block) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    ClipboardGuard clip(s->hwnd);
    if (!clip) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    // The previous content goes only now that the replacement is complete.
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, block.get())) block.release();
}

LRESULT uihexdump_on_getselbytes(HexDumpState* s, WPARAM capacity, void* buffer) {
    const long long cap = static_cast<long long>(static_cast<INT_PTR>(capacity));
    if (!buffer || cap <= 0 || !s->data) return 0;
    GlobalLockGuard lock(s->data);
    if (!lock) return 0;
    const int lo = std::min(s->anchor, s->caret);
    const int hi = std::min(std::max(s->anchor, s->caret), uihexdump_readable_size(s, lock));
    if (hi <= lo) return 0;
    const size_t n = static_cast<size_t>(std::min<long long>(hi - lo, cap));
    memcpy(buffer, lock.as<char>() + lo, n);
    return static_cast<LRESULT>(n);
}
