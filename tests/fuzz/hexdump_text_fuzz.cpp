// Dump text and hit-test arithmetic with arbitrary settings, ranges and
// points. The text must fill exactly the length it announced (the buffer is
// sized to it, so ASan catches any overrun), every line must end in CR LF,
// and hit offsets must stay inside 0..size.
#include "hexdump/hexdump_core.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Reader {
    const uint8_t* p;
    size_t n;
    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
        return v;
    }
    uint8_t byte() {
        if (!n) return 0;
        --n;
        return *p++;
    }
};

void check_text(Reader& r) {
    static const int rows[] = {1, 3, 8, 10, 16, 32, 33};
    static const int radixes[] = {16, 10, 8, 1};
    const uint8_t flags = r.byte();
    HexTextSettings s{};
    s.bytesPerRow = rows[r.byte() % 7];
    s.groupSize = r.byte() % 9;
    s.dumpRadix = radixes[r.byte() % 4];
    s.digitsPerByte = hexdump_digits_for_radix(s.dumpRadix);
    s.decimalOffset = flags & 1;
    s.copyOffset = flags & 2;
    s.copyDump = flags & 4;
    s.copyAscii = flags & 8;
    s.extendedAscii = flags & 16;
    // The bytes left are the data; the selection is a window into them, with
    // an origin that may sit near the 32-bit offsets' end.
    const std::vector<uint8_t> data(r.p, r.p + r.n);
    const long long lo = data.empty() ? 0 : r.u32() % (data.size() + 1);
    const long long hi = lo + (data.empty() ? 0 : r.u32() % (data.size() - lo + 1));
    const long long base = (flags & 32) ? INT_MAX - static_cast<long long>(data.size()) : 0;
    const long long len = hexdump_text_length(s, base + lo, base + hi);
    if (len < 0) abort();
    std::vector<char> out(static_cast<size_t>(len) + 1);
    size_t written = hexdump_text_write(s, data.data() + lo, base + lo, base + hi, out.data());
    if (written != static_cast<size_t>(len) || out[written] != '\0') abort();
    for (size_t i = 0; i + 1 < written; ++i)
        if (out[i] == '\r' && out[i + 1] != '\n') abort();
    if (written && (out[written - 2] != '\r' || out[written - 1] != '\n')) abort();
    if (!s.decimalOffset || !s.copyOffset) {
        const long long lines = (hi - lo + s.bytesPerRow - 1) / s.bytesPerRow;
        if (lines && len % lines) abort();  // equal line widths
    }
}

void check_hittest(Reader& r) {
    HexHitInput in{};
    in.geometry.cellWidth = 1 + r.byte() % 20;
    static const int radixes[] = {16, 10, 8, 1};
    in.geometry.digitsPerByte = hexdump_digits_for_radix(radixes[r.byte() % 4]);
    in.geometry.bytesPerRow = 1 + r.byte() % 40;
    in.geometry.groupSize = r.byte() % 9;
    in.cellHeight = 1 + r.byte() % 30;
    in.bodyTop = r.byte();
    in.clientRight = static_cast<int>(r.u32() % 5000);
    in.clientBottom = static_cast<int>(r.u32() % 5000);
    for (int i = 0; i < 3; ++i) {
        in.columnLeft[i] = static_cast<int>(r.u32() % 20000) - 10000;
        in.columnWidth[i] = static_cast<int>(r.u32() % 5000);
    }
    in.size = static_cast<int>(r.u32() & 0x7FFFFFFF);
    in.topRow = static_cast<int>(r.u32() % (static_cast<uint32_t>(hexdump_row_count(in.size, in.geometry.bytesPerRow)) + 1));
    const int x = static_cast<int>(static_cast<int16_t>(r.u32()));
    const int y = static_cast<int>(static_cast<int16_t>(r.u32()));
    HexHitResult h = hexdump_hittest(in, x, y);
    if (h.offset < 0 || h.offset > in.size) abort();
    if ((h.code & HEXHIT_RIGHTHALF) && !(h.code & HEXHIT_DUMP)) abort();
    if ((h.code & HEXHIT_TOPBAND) && (h.code & HEXHIT_BOTTOMBAND)) abort();
    if (h.speedSet && h.scrollSpeed < 0) abort();
    const int top = hexdump_reveal(in.topRow, static_cast<int>(r.u32() % 100), h.offset, in.geometry.bytesPerRow);
    if (top < 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader r{data, size};
    if (r.byte() & 1) check_hittest(r);
    else check_text(r);
    return 0;
}
