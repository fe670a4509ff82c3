#include "hexdump/hexdump_core.h"

#include "base/slices_core.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

long long clamp_ll(long long v, long long lo, long long hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Per-radix texts of all 256 bytes, built once; the text writer copies from
// these instead of formatting every byte.
struct ByteTables {
    char hex[256][2];
    char dec[256][3];
    char oct[256][3];
    char bin[256][8];
    char asciiExtended[256];
    char asciiPlain[256];
    ByteTables() {
        static const char digits[] = "0123456789ABCDEF";
        for (int b = 0; b < 256; ++b) {
            hex[b][0] = digits[b >> 4];
            hex[b][1] = digits[b & 15];
            dec[b][0] = b >= 100 ? char('0' + b / 100) : ' ';
            dec[b][1] = b >= 10 ? char('0' + b / 10 % 10) : ' ';
            dec[b][2] = char('0' + b % 10);
            oct[b][0] = char('0' + (b >> 6));
            oct[b][1] = char('0' + ((b >> 3) & 7));
            oct[b][2] = char('0' + (b & 7));
            for (int i = 0; i < 8; ++i) bin[b][i] = (b >> (7 - i)) & 1 ? '1' : '0';
            asciiExtended[b] = b < 0x20 ? '.' : char(b);
            // The C locale's printable set: space up to tilde.
            asciiPlain[b] = (b >= 0x20 && b <= 0x7E) ? char(b) : '.';
        }
    }
};

const ByteTables& tables() {
    static const ByteTables t;
    return t;
}

const char* byte_text(const ByteTables& t, int radix, uint8_t b) {
    switch (radix) {
    case 16: return t.hex[b];
    case 10: return t.dec[b];
    case 8: return t.oct[b];
    default: return t.bin[b];
    }
}

int decimal_digits(unsigned long long v) {
    int n = 1;
    while (v >= 10) { v /= 10; ++n; }
    return n;
}

}  // namespace

int hexdump_effective_group(int bytesPerRow, int groupSize) { return groupSize > 0 ? groupSize : bytesPerRow; }

int hexdump_digits_for_radix(int radix) {
    switch (radix) {
    case 16: return 2;
    case 10: return 3;
    case 8: return 3;
    case 1: return 8;
    default: return 0;
    }
}

int hexdump_byte_cell_width(const HexGeometry& g) { return g.cellWidth / 2 + g.digitsPerByte * g.cellWidth; }

int hexdump_offset_column_width(int cellWidth) { return 10 * cellWidth; }

int hexdump_dump_column_width(const HexGeometry& g) {
    int w = g.cellWidth, n = g.bytesPerRow, grp = hexdump_effective_group(n, g.groupSize);
    if (n <= 0 || grp <= 0) return w;
    return hexdump_byte_cell_width(g) * n + w + ((n - 1) / grp) * w;
}

int hexdump_ascii_column_width(int cellWidth, int bytesPerRow) { return (cellWidth + 1) * bytesPerRow + 2 * cellWidth; }

int hexdump_total_width(const HexGeometry& g) {
    return hexdump_offset_column_width(g.cellWidth) + hexdump_dump_column_width(g) +
           hexdump_ascii_column_width(g.cellWidth, g.bytesPerRow);
}

int hexdump_dump_cell_x(const HexGeometry& g, int j) {
    int grp = hexdump_effective_group(g.bytesPerRow, g.groupSize);
    if (grp <= 0) grp = 1;
    return g.cellWidth / 2 + hexdump_byte_cell_width(g) * j + (j / grp) * g.cellWidth;
}

int hexdump_dump_text_x(const HexGeometry& g, int j) { return hexdump_dump_cell_x(g, j) + g.cellWidth / 4; }

int hexdump_ascii_cell_x(int cellWidth, int j) { return cellWidth + (cellWidth + 1) * j; }

int hexdump_row_count(int size, int bytesPerRow) {
    if (size <= 0 || bytesPerRow <= 0) return 0;
    return static_cast<int>((static_cast<long long>(size) + bytesPerRow - 1) / bytesPerRow);
}

int hexdump_visible_rows(int bodyHeight, int cellHeight, int rowCount) {
    if (cellHeight <= 0 || bodyHeight <= 0) return 0;
    return std::min(bodyHeight / cellHeight, rowCount);
}

int hexdump_clamp_top_row(int topRow, int visibleRows, int rowCount) {
    long long top = topRow;
    if (top + visibleRows > rowCount) top = static_cast<long long>(rowCount) - visibleRows;
    return static_cast<int>(top < 0 ? 0 : top);
}

int hexdump_reveal(int topRow, int visibleRows, long long offset, int bytesPerRow) {
    if (bytesPerRow <= 0) return topRow;
    long long row = offset / bytesPerRow;
    long long top = topRow;
    if (row < top) top = row;
    else if (row >= top + visibleRows) top = row - visibleRows + 1;
    return static_cast<int>(clamp_ll(top, 0, INT_MAX));
}

int hexdump_clamp_offset(long long offset, int size) {
    if (offset > size) offset = size;
    if (offset < 0) offset = 0;
    return static_cast<int>(offset);
}

HexHitResult hexdump_hittest(const HexHitInput& in, int x, int y) {
    HexHitResult r{0, 0, 0, false};
    const int w = in.geometry.cellWidth, h = in.cellHeight, n = in.geometry.bytesPerRow;
    if (w <= 0 || h <= 0 || n <= 0) return r;
    const int g = hexdump_effective_group(n, in.geometry.groupSize);
    const int b = hexdump_byte_cell_width(in.geometry);
    const bool inBodyY = y >= in.bodyTop && y < in.clientBottom;
    if (inBodyY && x >= 0 && x < in.clientRight) r.code |= HEXHIT_BODY;

    if (y <= in.bodyTop + h) {
        r.code |= HEXHIT_TOPBAND;
        r.scrollSpeed = (in.bodyTop + h - y) / h;
        r.speedSet = true;
    } else if (y >= in.clientBottom - h) {
        r.code |= HEXHIT_BOTTOMBAND;
        r.scrollSpeed = (y + h - in.clientBottom) / h;
        r.speedSet = true;
    }
    auto inside = [&](int col) {
        long long left = in.columnLeft[col];
        return inBodyY && x >= left && x < left + in.columnWidth[col];
    };
    const long long row = static_cast<long long>((y - in.bodyTop) / h) + in.topRow;

    if (inside(0)) r.code |= HEXHIT_OFFSET;
    if (inside(1)) {
        r.code |= HEXHIT_DUMP;
        const long long dx = static_cast<long long>(x) - in.columnLeft[1];
        const long long G = static_cast<long long>(b) * g + w;
        const long long q = dx / G;
        const long long t = dx - w / 2 - q * G;
        const long long k = (t + 1) / b;
        if (k < (t + b / 2 + 1) / b) r.code |= HEXHIT_RIGHTHALF;
        const long long byte = clamp_ll(g * q + k, 0, n);
        r.offset = hexdump_clamp_offset(std::min<long long>(byte + row * n, in.size), in.size);
    }
    if (inside(2)) {
        r.code |= HEXHIT_ASCII;
        long long i = (static_cast<long long>(x) - in.columnLeft[2] - w + (w + 1) / 2) / (w + 1);
        i = clamp_ll(i, 0, n);
        r.offset = hexdump_clamp_offset(std::min<long long>(i + row * n, in.size), in.size);
    }
    return r;
}

HexKeyMove hexdump_key_move(unsigned key, int caret, int size, int bytesPerRow, int visibleRows,
                            long long* newCaret) {
    if (key & 0x600) return HEXKEY_NOT_MOVEMENT;  // Ctrl or Alt combinations are not movement
    const long long c = caret, n = bytesPerRow;
    long long to;
    switch (key & 0xFF) {
    case 0x25: to = c - 1; break;
    case 0x27: to = c + 1; break;
    case 0x26:
        to = c - n;
        if (to < 0) return HEXKEY_BLOCKED;
        break;
    case 0x28:
        to = c + n;
        if (to > size) return HEXKEY_BLOCKED;
        break;
    case 0x21: to = n > 0 ? c - std::min<long long>(c / n, visibleRows) * n : c; break;
    case 0x22: to = c + static_cast<long long>(visibleRows) * n; break;
    case 0x24: to = 0; break;
    case 0x23: to = size; break;
    default: return HEXKEY_NOT_MOVEMENT;
    }
    *newCaret = to;
    return HEXKEY_MOVE;
}

bool hexdump_vscroll_target(int code, int topRow, int visibleRows, int rowCount, int trackPos, int* newTop) {
    long long top;
    switch (code) {
    case 0: top = static_cast<long long>(topRow) - 1; break;
    case 1: top = static_cast<long long>(topRow) + 1; break;
    case 2: top = static_cast<long long>(topRow) + 1 - visibleRows; break;
    case 3: top = static_cast<long long>(topRow) + visibleRows - 1; break;
    case 4:
    case 5: top = trackPos; break;
    case 6: top = 0; break;
    case 7: top = rowCount; break;
    default: return false;
    }
    long long maxTop = static_cast<long long>(rowCount) - visibleRows;
    if (top > maxTop) top = maxTop;
    if (top < 0) top = 0;
    *newTop = static_cast<int>(top);
    return true;
}

int hexdump_clamp_scroll_x(int scrollX, int pageWidth, int totalWidth) {
    long long x = scrollX;
    if (x + pageWidth > totalWidth) x = static_cast<long long>(totalWidth) - pageWidth;
    return static_cast<int>(x < 0 ? 0 : x);
}

bool hexdump_hscroll_target(int code, int scrollX, int pageWidth, int totalWidth, int cellWidth, int thumbPos,
                            int* newX) {
    long long x;
    switch (code) {
    case 0: x = static_cast<long long>(scrollX) - cellWidth; break;
    case 1: x = static_cast<long long>(scrollX) + cellWidth; break;
    case 2: x = static_cast<long long>(scrollX) + 1 - pageWidth; break;
    case 3: x = static_cast<long long>(scrollX) + pageWidth - 1; break;
    case 4:
    case 5: x = thumbPos; break;
    case 6: x = 0; break;
    case 7: x = totalWidth; break;
    default: return false;
    }
    long long maxX = static_cast<long long>(totalWidth) - pageWidth;
    if (x > maxX) x = maxX;
    if (x < 0) x = 0;
    *newX = static_cast<int>(x);
    return true;
}

HexAutoScroll hexdump_autoscroll_step(bool up, int scrollSpeed, int bytesPerRow) {
    long long s = scrollSpeed > 0 ? scrollSpeed : 1;
    long long step = up ? -static_cast<long long>(bytesPerRow) : bytesPerRow;
    if (s > 3) step *= 4 * s - 12;
    return HexAutoScroll{step, static_cast<unsigned>(500 / s)};
}

long long hexdump_find(const uint8_t* data, int size, int start, const uint8_t* pattern, int length) {
    if (length < 0 || size < 0 || (length > 0 && (!pattern || !data))) return -1;
    const long long s = start, L = length, sz = size;
    if (L == 0) return s <= sz ? s : -1;
    auto scan = [&](long long from, long long lastStart) -> long long {
        // Every start position p with from <= p <= lastStart.
        long long p = from;
        while (p <= lastStart) {
            const void* hit = memchr(data + p, pattern[0], static_cast<size_t>(lastStart - p + 1));
            if (!hit) return -1;
            p = static_cast<const uint8_t*>(hit) - data;
            if (memcmp(data + p, pattern, static_cast<size_t>(L)) == 0) return p;
            ++p;
        }
        return -1;
    };
    long long found = -1;
    if (s >= 0) found = scan(s, sz - L);
    if (found < 0) found = scan(0, std::min(s - L - 1, sz - L));
    return found;
}

int hexdump_format_byte(int radix, uint8_t byte, char* out) {
    int d = hexdump_digits_for_radix(radix);
    if (d == 0) return 0;
    memcpy(out, byte_text(tables(), radix, byte), static_cast<size_t>(d));
    return d;
}

int hexdump_format_offset(bool decimal, unsigned offset, char out[16]) {
    if (!decimal) {
        static const char digits[] = "0123456789ABCDEF";
        for (int i = 7; i >= 0; --i) { out[i] = digits[offset & 15]; offset >>= 4; }
        return 8;
    }
    int len = decimal_digits(offset);
    for (int i = len - 1; i >= 0; --i) { out[i] = char('0' + offset % 10); offset /= 10; }
    return len;
}

namespace {

struct TextLayout {
    long long n, g, d;
    long long offsetWidth, dumpWidth, asciiWidth, lineWidth;
};

bool text_layout(const HexTextSettings& s, TextLayout* t) {
    int d = hexdump_digits_for_radix(s.dumpRadix);
    if (s.bytesPerRow <= 0 || s.groupSize < 0 || d == 0 || d != s.digitsPerByte) return false;
    t->n = s.bytesPerRow;
    t->g = hexdump_effective_group(s.bytesPerRow, s.groupSize);
    t->d = d;
    t->offsetWidth = s.copyOffset ? 10 : 0;
    t->dumpWidth = s.copyDump ? t->n + 1 + t->d * t->n + (t->n - 1) / t->g : 0;
    t->asciiWidth = s.copyAscii ? t->n : 0;
    t->lineWidth = t->offsetWidth + t->dumpWidth + t->asciiWidth + 2;
    return true;
}

// Byte texts with their separating space, hex padded to four so each byte is
// one 4-byte store. That store runs one byte past the space; the next write
// covers it, and every line ends in at least CR LF (and the text in a NUL),
// so it never leaves the buffer.
template <int E>
struct SpacedTable {
    char e[256][E];
};

template <int D, int E>
SpacedTable<E> make_spaced(const char (*texts)[D]) {
    SpacedTable<E> t;
    for (int b = 0; b < 256; ++b) {
        memset(t.e[b], ' ', E);
        memcpy(t.e[b], texts[b], D);
    }
    return t;
}

// Writes one line's dump field: each byte's D digits and a space, a second
// space after each full group, then spaces to the field's width.
template <int D, int E>
char* write_dump(const SpacedTable<E>& table, const uint8_t* p, long long count, long long g, long long width,
                 char* o) {
    char* end = o + width;
    long long i = 0;
    while (i < count) {
        const long long stop = std::min(count, i + g);
        const bool fullGroup = stop - i == g;
        for (; i < stop; ++i) {
            memcpy(o, table.e[p[i]], E);
            o += D + 1;
        }
        if (fullGroup) *o++ = ' ';
    }
    memset(o, ' ', static_cast<size_t>(end - o));
    return end;
}

struct SpacedTables {
    SpacedTable<4> hex, dec, oct;
    SpacedTable<9> bin;
    SpacedTables()
        : hex(make_spaced<2, 4>(tables().hex)),
          dec(make_spaced<3, 4>(tables().dec)),
          oct(make_spaced<3, 4>(tables().oct)),
          bin(make_spaced<8, 9>(tables().bin)) {}
};

const SpacedTables& spaced() {
    static const SpacedTables t;
    return t;
}

// The lines of the bytes from..to (from at a line start, `bytes` the byte at
// from), each line whole; returns the end of the last one.
char* write_lines(const HexTextSettings& s, const TextLayout& t, const uint8_t* bytes, long long from, long long to,
                  char* o) {
    const ByteTables& tb = tables();
    const SpacedTables& sp = spaced();
    const char* ascii = s.extendedAscii ? tb.asciiExtended : tb.asciiPlain;
    for (long long p = from; p < to;) {
        const long long count = std::min(t.n, to - p);
        if (s.copyOffset) {
            char buf[16];
            if (!s.decimalOffset) {
                hexdump_format_offset(false, static_cast<unsigned>(p), buf);
                memcpy(o, buf, 8);
                o += 8;
            } else {
                int len = hexdump_format_offset(true, static_cast<unsigned>(p), buf);
                if (len < 8) { memset(o, ' ', static_cast<size_t>(8 - len)); o += 8 - len; }
                memcpy(o, buf, static_cast<size_t>(len));
                o += len;
            }
            o[0] = ' ';
            o[1] = ' ';
            o += 2;
        }
        if (s.copyDump) {
            switch (s.dumpRadix) {
            case 16: o = write_dump<2>(sp.hex, bytes, count, t.g, t.dumpWidth, o); break;
            case 10: o = write_dump<3>(sp.dec, bytes, count, t.g, t.dumpWidth, o); break;
            case 8: o = write_dump<3>(sp.oct, bytes, count, t.g, t.dumpWidth, o); break;
            default: o = write_dump<8>(sp.bin, bytes, count, t.g, t.dumpWidth, o); break;
            }
        }
        if (s.copyAscii) {
            for (long long i = 0; i < count; ++i) o[i] = ascii[bytes[i]];
            if (count < t.n) memset(o + count, ' ', static_cast<size_t>(t.n - count));
            o += t.n;
        }
        o[0] = '\r';
        o[1] = '\n';
        o += 2;
        p += count;
        bytes += count;
    }
    return o;
}

}  // namespace

long long hexdump_text_length(const HexTextSettings& s, long long lo, long long hi) {
    TextLayout t;
    if (!text_layout(s, &t) || lo < 0 || hi < lo) return -1;
    const long long lines = (hi - lo + t.n - 1) / t.n;
    long long total = t.lineWidth * lines;
    if (s.copyOffset && s.decimalOffset) {
        // "%8ld" grows past 8 characters: one more per line for each power of
        // ten from 10^8 that the line's offset reaches.
        for (long long threshold = 100000000LL; threshold <= hi && lines > 0; threshold *= 10) {
            long long firstLine = threshold <= lo ? 0 : (threshold - lo + t.n - 1) / t.n;
            if (firstLine < lines) total += lines - firstLine;
        }
    }
    return total;
}

size_t hexdump_text_write_sliced(const HexTextSettings& s, const uint8_t* selected, long long lo, long long hi,
                                 char* out, long long linesPerSlice, unsigned threads) {
    TextLayout t;
    if (!text_layout(s, &t) || lo < 0 || hi < lo) return 0;
    const long long lines = (hi - lo + t.n - 1) / t.n;
    // A slice finds where its text starts from the length of the lines before
    // it, which holds while every offset fits the 32 bits the lines show.
    if (linesPerSlice <= 0 || linesPerSlice >= lines || hi > (1LL << 32)) {
        char* o = write_lines(s, t, selected, lo, hi, out);
        *o = '\0';
        return static_cast<size_t>(o - out);
    }
    const long long slices = (lines + linesPerSlice - 1) / linesPerSlice;
    slices_run(static_cast<size_t>(slices), threads, [&](size_t k) {
        const long long from = lo + static_cast<long long>(k) * linesPerSlice * t.n;
        const long long to = std::min(hi, from + linesPerSlice * t.n);
        write_lines(s, t, selected + (from - lo), from, to, out + hexdump_text_length(s, lo, from));
    });
    const long long length = hexdump_text_length(s, lo, hi);
    out[length] = '\0';
    return static_cast<size_t>(length);
}

size_t hexdump_text_write(const HexTextSettings& s, const uint8_t* selected, long long lo, long long hi, char* out) {
    TextLayout t;
    const long long length = hexdump_text_length(s, lo, hi);
    if (length < 0 || !text_layout(s, &t)) return 0;
    const SliceCut cut = slices_for_text(static_cast<size_t>(length), static_cast<size_t>(t.lineWidth));
    return hexdump_text_write_sliced(s, selected, lo, hi, out, static_cast<long long>(cut.linesPerSlice), cut.threads);
}
