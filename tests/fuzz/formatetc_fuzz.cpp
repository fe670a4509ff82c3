// A FORMATETC from another program is hostile: whatever its fields hold, every
// text of its row must be terminated inside its buffer and say what the field
// holds. The bytes are read as the fields a data object hands over plus the
// start of a block, which decides the bitmap-file check.
#include "entries/entries_core.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

const wchar_t kCanary = 0x2A2A;

// Runs one text function into a buffer with a canary past its capacity.
template <class F>
void check(F fill, std::size_t capacity) {
    wchar_t buf[kEntryTextCapacity + 1];
    for (wchar_t& c : buf) c = kCanary;
    fill(buf);
    if (buf[capacity] != kCanary && capacity < kEntryTextCapacity + 1) std::abort();
    if (std::wmemchr(buf, 0, capacity) == nullptr) std::abort();
}

// The grouped text read back without its apostrophes gives the value again.
void check_grouped(unsigned value) {
    wchar_t buf[kGroupedTextCapacity + 1];
    for (wchar_t& c : buf) c = kCanary;
    size_to_grouped_text(value, buf);
    if (buf[kGroupedTextCapacity] != kCanary) std::abort();
    unsigned long long back = 0;
    std::size_t len = std::wcslen(buf);
    for (std::size_t i = 0; i < len; ++i) {
        if (buf[i] == L'\'') {
            if ((len - i) % 4 != 0) std::abort();  // apostrophes only before groups of three
            continue;
        }
        if (buf[i] < L'0' || buf[i] > L'9') std::abort();
        back = back * 10 + static_cast<unsigned>(buf[i] - L'0');
    }
    if (back != value) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    struct Fields {
        uint32_t format, aspect, tymed;
        int32_t index;
        uint64_t device;
    } f{};
    std::memcpy(&f, data, size < sizeof f ? size : sizeof f);
    const uint8_t* rest = size > sizeof f ? data + sizeof f : nullptr;
    const std::size_t restSize = size > sizeof f ? size - sizeof f : 0;

    check([&](wchar_t* t) { default_format_name(f.format & 0xFFFF, t); }, kEntryTextCapacity);
    check([&](wchar_t* t) { default_format_name(f.format, t); }, kEntryTextCapacity);
    check([&](wchar_t* t) { aspect_text(f.aspect, t); }, kEntryTextCapacity);
    check([&](wchar_t* t) { index_text(f.index, t); }, kEntryTextCapacity);
    check([&](wchar_t* t) { target_device_text(static_cast<std::uintptr_t>(f.device), t); }, kEntryTextCapacity);
    check([&](wchar_t* t) {
        media_text(f.tymed, t);
        // Every set bit is named once; an empty mask names nothing.
        if ((f.tymed == 0) != (t[0] == 0)) std::abort();
    }, kEntryTextCapacity);
    check_grouped(f.format);
    check_grouped(f.tymed);

    bool bitmap = starts_like_bitmap_file(rest, restSize);
    if (bitmap != (restSize >= 2 && rest[0] == 'B' && rest[1] == 'M')) std::abort();
    int64_t saved = save_length(f.index, restSize);
    if (saved > static_cast<int64_t>(restSize)) std::abort();
    return 0;
}
