// The array text is sized exactly before anything is written, so the caller
// allocates once; the data lines come from a table of the 256 pre-rendered
// byte texts instead of a printf per byte, which is what makes hundreds of
// megabytes come out in about a second.
#include "export/array_core.h"

#include "base/slices_core.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

const ArrayNotation array_notation_c_array = {
    "C Array", "\r\n", "/* ", " */", "%s",
    "StartOffset: 0x%08X, EndOffset: 0x%08X, Length: 0x%08X",
    "static const unsigned char rawData[%d] = {", "",
    "8", "\t", "0x%02X", ", ", ",", "", "};",
};

const ArrayNotation array_notation_c_string = {
    "C String", "\r\n", "/* ", " */", "%s",
    "StartOffset: 0x%08X, EndOffset: 0x%08X, Length: 0x%08X",
    "static const unsigned char rawString[] = ", "",
    "16", "\t\"", "\\x%02X", "", "\"", "\";", "",
};

const ArrayNotation array_notation_csharp_array = {
    "C# Array", "\r\n", "/* ", " */", "%s",
    "StartOffset: 0x%08X, EndOffset: 0x%08X, Length: 0x%08X",
    "byte[] rawData = {", "",
    "8", "\t", "0x%02X", ", ", ",", "", "};",
};

const ArrayNotation array_notation_java_array = {
    "Java Array", "\r\n", "/* ", " */", "%s",
    "StartOffset: 0x%08X, EndOffset: 0x%08X, Length: 0x%08X",
    "byte rawData[] = {", "",
    "4", "\t", "(byte)0x%02X", ", ", ",", "", "};",
};

const ArrayNotation array_notation_pascal_array = {
    "Pascal Array", "\r\n", "{ ", " }", "%s",
    "StartOffset: $%08X, EndOffset: $%08X, Length: $%08X",
    "", "RawData: array[0..%d] of Byte = (",
    "8", "  ", "$%02X", ", ", ",", "", ");",
};

const ArrayNotation array_notation_vbnet_array = {
    "VB.NET Array", "\r\n", "' ", "", "%s",
    "StartOffset: &H%08X, EndOffset: &H%08X, Length: &H%08X",
    "Dim rawData As Byte() = { _", "",
    "8", "\t", "&H%02X", ", ", ", _", " _", "}",
};

const ArrayNotation* const array_notations[6] = {
    &array_notation_c_array,    &array_notation_c_string,     &array_notation_csharp_array,
    &array_notation_java_array, &array_notation_pascal_array, &array_notation_vbnet_array,
};

int array_bytes_per_line(const ArrayNotation& notation) {
    long n = notation.bytesPerLine ? std::strtol(notation.bytesPerLine, nullptr, 10) : 0;
    if (n < 1) return 8;
    if (n > 80) return 80;
    return static_cast<int>(n);
}

void array_selection_range(long long anchor, long long caret, std::size_t size, std::size_t* start,
                           std::size_t* count) {
    auto clamp = [size](long long v) -> std::size_t {
        if (v <= 0) return 0;
        return static_cast<unsigned long long>(v) > size ? size : static_cast<std::size_t>(v);
    };
    std::size_t a = clamp(anchor), c = clamp(caret);
    *start = a < c ? a : c;
    *count = (a < c ? c : a) - *start;
}

namespace {

const char* text(const char* s) { return s ? s : ""; }

// printf into a string; false when the text cannot be formatted.
bool append_format(std::string& out, const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        return false;
    }
    std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(&out[at], static_cast<std::size_t>(n) + 1, format, again);
    va_end(again);
    out.resize(at + static_cast<std::size_t>(n));
    return true;
}

// One table entry: a byte's text followed by the separator (or, in the line
// end table, by the join to the next line). Entries are copied as whole
// 16-byte chunks and the output pointer advances by the real width; the
// bytes past it are overwritten by the next entry.
constexpr std::size_t kChunk = 16;
constexpr std::size_t kStride = 4 * kChunk;

// Everything about a notation that does not depend on the bytes themselves.
struct Plan {
    std::string head;      // title, range and declaration lines
    std::string tail;      // closing line
    std::string between;   // lineSuffixMore + lineEnd + linePrefix: joins two data lines
    std::string prefix;    // linePrefix of the first data line
    std::string last;      // lineSuffixLast + lineEnd
    std::size_t perLine = 8;
    std::size_t width = 0;    // characters of every byte text
    std::size_t sepLen = 0;
    std::vector<char> table;  // 256 entries of kStride: byte text then separator
    std::vector<char> ends;   // 256 entries of kStride: byte text then `between`
};

bool make_plan(const ArrayNotation& n, std::size_t count, std::uint32_t start, const char* title, Plan& plan) {
    if (count > static_cast<std::size_t>(INT_MAX)) return false;
    const char* lineEnd = text(n.lineEnd);

    if (title && *title && *text(n.titleFormat)) {
        plan.head += text(n.commentOpen);
        if (!append_format(plan.head, n.titleFormat, title)) return false;
        plan.head += text(n.commentClose);
        plan.head += lineEnd;
    }
    if (*text(n.rangeFormat)) {
        std::uint32_t length = static_cast<std::uint32_t>(count);
        plan.head += text(n.commentOpen);
        if (!append_format(plan.head, n.rangeFormat, static_cast<unsigned>(start),
                           static_cast<unsigned>(start + length), static_cast<unsigned>(length)))
            return false;
        plan.head += text(n.commentClose);
        plan.head += lineEnd;
    }
    if (*text(n.declarationWithCount)) {
        if (!append_format(plan.head, n.declarationWithCount, static_cast<int>(count))) return false;
        plan.head += lineEnd;
    }
    if (*text(n.declarationWithLastIndex)) {
        if (!append_format(plan.head, n.declarationWithLastIndex, static_cast<int>(count) - 1)) return false;
        plan.head += lineEnd;
    }
    if (*text(n.closingLine)) {
        plan.tail = text(n.closingLine);
        plan.tail += lineEnd;
    }

    plan.perLine = static_cast<std::size_t>(array_bytes_per_line(n));
    plan.prefix = text(n.linePrefix);
    plan.between = std::string(text(n.lineSuffixMore)) + lineEnd + plan.prefix;
    plan.last = std::string(text(n.lineSuffixLast)) + lineEnd;

    const char* sep = text(n.byteSeparator);
    plan.sepLen = std::strlen(sep);
    plan.table.assign(256 * kStride, 0);
    plan.ends.assign(256 * kStride, 0);
    char buffer[array_max_byte_text + 1];
    for (unsigned b = 0; b < 256; ++b) {
        int w = std::snprintf(buffer, sizeof buffer, text(n.byteFormat), b);
        if (w < 0 || static_cast<std::size_t>(w) > array_max_byte_text) return false;
        // Every byte text has one width, so the length and every line's place
        // follow from the count alone.
        if (b == 0) plan.width = static_cast<std::size_t>(w);
        if (plan.width != static_cast<std::size_t>(w)) return false;
        if (plan.width + std::max(plan.sepLen, plan.between.size()) > kStride) return false;
        std::memcpy(&plan.table[b * kStride], buffer, plan.width);
        std::memcpy(&plan.table[b * kStride + plan.width], sep, plan.sepLen);
        std::memcpy(&plan.ends[b * kStride], buffer, plan.width);
        std::memcpy(&plan.ends[b * kStride + plan.width], plan.between.data(), plan.between.size());
    }
    return true;
}

// Sum with overflow detection; `ok` turns false once anything overflows.
struct Total {
    std::uint64_t value = 0;
    bool ok = true;
    void add(std::uint64_t v) { ok = ok && !__builtin_add_overflow(value, v, &value); }
    void add(std::uint64_t a, std::uint64_t b) {
        std::uint64_t p;
        if (__builtin_mul_overflow(a, b, &p)) ok = false;
        else add(p);
    }
};

std::size_t plan_length(const Plan& plan, std::size_t count) {
    Total t;
    t.add(plan.head.size());
    t.add(plan.tail.size());
    if (count > 0) {
        std::uint64_t lines = (count + plan.perLine - 1) / plan.perLine;
        t.add(plan.prefix.size());
        t.add(plan.last.size());
        t.add(lines - 1, plan.between.size());
        t.add(count - lines, plan.sepLen);
        t.add(count, plan.width);
    }
    if (!t.ok || t.value >= static_cast<std::uint64_t>(SIZE_MAX)) return array_too_large;
    return static_cast<std::size_t>(t.value);
}

char* put(char* out, const char* s, std::size_t n) {
    std::memcpy(out, s, n);
    return out + n;
}

char* put(char* out, const std::string& s) { return put(out, s.data(), s.size()); }

// One entry: whole chunks while at least `kStride` bytes of room are left
// behind the write position, else exactly its length.
inline char* put_entry(char* out, const char* entry, std::size_t n, const char* end) {
    if (end - out >= static_cast<std::ptrdiff_t>(kStride)) {
        for (std::size_t done = 0; done < n; done += kChunk) std::memcpy(out + done, entry + done, kChunk);
        return out + n;
    }
    return put(out, entry, n);
}

// `lines` full data lines (every line but the last), from the bytes at `b`;
// no copy reaches `end`.
char* write_full_lines(const Plan& plan, const unsigned char* b, std::size_t lines, char* p, const char* end) {
    const std::size_t entry = plan.width + plan.sepLen, lineEnd = plan.width + plan.between.size();
    const char* table = plan.table.data();
    const char* ends = plan.ends.data();
    // The last byte of a line is joined to the next line. While a whole line of
    // full strides fits before the end, an entry of one chunk (every
    // notation's byte and separator) is one fixed copy.
    const std::ptrdiff_t lineRoom = static_cast<std::ptrdiff_t>((plan.perLine + 1) * kStride);
    for (; lines > 0; --lines, b += plan.perLine) {
        if (entry <= kChunk && end - p >= lineRoom) {
            for (std::size_t k = 0; k + 1 < plan.perLine; ++k, p += entry) std::memcpy(p, table + b[k] * kStride, kChunk);
        } else {
            for (std::size_t k = 0; k + 1 < plan.perLine; ++k) p = put_entry(p, table + b[k] * kStride, entry, end);
        }
        p = put_entry(p, ends + b[plan.perLine - 1] * kStride, lineEnd, end);
    }
    return p;
}

std::size_t full_line_length(const Plan& plan) {
    return plan.perLine * plan.width + (plan.perLine - 1) * plan.sepLen + plan.between.size();
}

// The whole text from a plan: linesPerSlice full lines per slice on up to
// `threads` threads, or one pass on this thread for 0.
std::size_t write_text(const Plan& plan, const unsigned char* bytes, std::size_t count, char* out,
                       std::size_t linesPerSlice, unsigned threads) {
    std::size_t length = plan_length(plan, count);
    if (length == array_too_large) return array_too_large;
    const char* end = out + length;

    char* p = put(out, plan.head);
    if (count > 0) {
        p = put(p, plan.prefix);
        const std::size_t full = (count - 1) / plan.perLine;
        if (linesPerSlice == 0 || linesPerSlice >= full) {
            p = write_full_lines(plan, bytes, full, p, end);
        } else {
            // Every full line has one length, so each slice knows where its
            // text starts, and its copies stop where the next slice's begin.
            const std::size_t lineLength = full_line_length(plan);
            char* const first = p;
            slices_run((full + linesPerSlice - 1) / linesPerSlice, threads, [&](std::size_t k) {
                const std::size_t from = k * linesPerSlice, n = std::min(linesPerSlice, full - from);
                char* at = first + from * lineLength;
                write_full_lines(plan, bytes + from * plan.perLine, n, at, at + n * lineLength);
            });
            p = first + full * lineLength;
        }
        const unsigned char* b = bytes + full * plan.perLine;
        const std::size_t remaining = count - full * plan.perLine;
        const std::size_t entry = plan.width + plan.sepLen;
        for (std::size_t k = 0; k + 1 < remaining; ++k) p = put_entry(p, plan.table.data() + b[k] * kStride, entry, end);
        p = put(p, plan.table.data() + b[remaining - 1] * kStride, plan.width);
        p = put(p, plan.last);
    }
    p = put(p, plan.tail);
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}

}  // namespace

std::size_t array_text_length(const ArrayNotation& notation, const unsigned char*, std::size_t count,
                              std::uint32_t start, const char* title) {
    Plan plan;
    if (!make_plan(notation, count, start, title, plan)) return array_too_large;
    return plan_length(plan, count);
}

std::size_t array_text_write_sliced(const ArrayNotation& notation, const unsigned char* bytes, std::size_t count,
                                    std::uint32_t start, const char* title, char* out, std::size_t linesPerSlice,
                                    unsigned threads) {
    Plan plan;
    if (!make_plan(notation, count, start, title, plan)) return array_too_large;
    return write_text(plan, bytes, count, out, linesPerSlice, threads);
}

std::size_t array_text_write(const ArrayNotation& notation, const unsigned char* bytes, std::size_t count,
                             std::uint32_t start, const char* title, char* out) {
    Plan plan;
    if (!make_plan(notation, count, start, title, plan)) return array_too_large;
    const std::size_t length = plan_length(plan, count);
    if (length == array_too_large) return array_too_large;
    const SliceCut cut = slices_for_text(length, full_line_length(plan));
    return write_text(plan, bytes, count, out, cut.linesPerSlice, cut.threads);
}
