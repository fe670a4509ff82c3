// The array text is sized exactly before anything is written, so the caller
// allocates once; the data lines come from a table of the 256 pre-rendered
// byte texts instead of a printf per byte, which is what makes hundreds of
// megabytes come out in about a second.
#include "export/array_core.h"

#include <array>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
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

constexpr std::size_t kStride = 64;  // one table entry: byte text + separator

// Everything about a notation that does not depend on the bytes themselves.
struct Plan {
    std::string head;      // title, range and declaration lines
    std::string tail;      // closing line
    std::string between;   // lineSuffixMore + lineEnd + linePrefix: joins two data lines
    std::string prefix;    // linePrefix of the first data line
    std::string last;      // lineSuffixLast + lineEnd
    std::size_t perLine = 8;
    std::size_t sepLen = 0;
    bool uniform = true;   // every byte text has the same length
    std::size_t width = 0; // that length when uniform
    std::array<unsigned char, 256> len{};
    std::vector<char> table;  // 256 entries of kStride: byte text then separator
    std::vector<char> lineEnds;  // when it fits: byte text then `between`, for a line's last byte
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
    if (plan.sepLen > kStride - array_max_byte_text) return false;
    plan.table.assign(256 * kStride, 0);
    char buffer[array_max_byte_text + 1];
    for (unsigned b = 0; b < 256; ++b) {
        int w = std::snprintf(buffer, sizeof buffer, text(n.byteFormat), b);
        if (w < 0 || static_cast<std::size_t>(w) > array_max_byte_text) return false;
        char* entry = &plan.table[b * kStride];
        std::memcpy(entry, buffer, static_cast<std::size_t>(w));
        std::memcpy(entry + w, sep, plan.sepLen);
        plan.len[b] = static_cast<unsigned char>(w);
        if (b == 0) plan.width = static_cast<std::size_t>(w);
        else if (plan.width != static_cast<std::size_t>(w)) plan.uniform = false;
    }
    if (plan.uniform && plan.width + plan.between.size() <= kStride) {
        plan.lineEnds.assign(256 * kStride, 0);
        for (unsigned b = 0; b < 256; ++b) {
            char* entry = &plan.lineEnds[b * kStride];
            std::memcpy(entry, &plan.table[b * kStride], plan.width);
            std::memcpy(entry + plan.width, plan.between.data(), plan.between.size());
        }
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

std::size_t plan_length(const Plan& plan, const unsigned char* bytes, std::size_t count) {
    Total t;
    t.add(plan.head.size());
    t.add(plan.tail.size());
    if (count > 0) {
        std::uint64_t lines = (count + plan.perLine - 1) / plan.perLine;
        t.add(plan.prefix.size());
        t.add(plan.last.size());
        t.add(lines - 1, plan.between.size());
        t.add(count - lines, plan.sepLen);
        if (plan.uniform) {
            t.add(count, plan.width);
        } else {
            for (std::size_t i = 0; i < count; ++i) t.add(plan.len[bytes[i]]);
        }
    }
    if (!t.ok || t.value >= static_cast<std::uint64_t>(SIZE_MAX)) return array_too_large;
    return static_cast<std::size_t>(t.value);
}

// Runs of bytes that are followed by a separator: fixed-size copies when every
// entry has the same length, so the compiler emits plain moves.
using RunWriter = char* (*)(char*, const unsigned char*, std::size_t, const char*);

template <std::size_t N>
char* write_run_fixed(char* out, const unsigned char* bytes, std::size_t k, const char* table) {
    for (std::size_t i = 0; i < k; ++i) {
        std::memcpy(out, table + bytes[i] * kStride, N);
        out += N;
    }
    return out;
}

template <std::size_t... N>
constexpr std::array<RunWriter, sizeof...(N)> make_run_writers(std::index_sequence<N...>) {
    return {{&write_run_fixed<N>...}};
}

constexpr auto kRunWriters = make_run_writers(std::make_index_sequence<kStride + 1>());

char* put(char* out, const std::string& s) {
    std::memcpy(out, s.data(), s.size());
    return out + s.size();
}

}  // namespace

std::size_t array_text_length(const ArrayNotation& notation, const unsigned char* bytes, std::size_t count,
                              std::uint32_t start, const char* title) {
    Plan plan;
    if (!make_plan(notation, count, start, title, plan)) return array_too_large;
    return plan_length(plan, bytes, count);
}

std::size_t array_text_write(const ArrayNotation& notation, const unsigned char* bytes, std::size_t count,
                             std::uint32_t start, const char* title, char* out) {
    Plan plan;
    if (!make_plan(notation, count, start, title, plan)) return array_too_large;
    std::size_t length = plan_length(plan, bytes, count);
    if (length == array_too_large) return array_too_large;

    char* p = put(out, plan.head);
    if (count > 0) {
        const char* table = plan.table.data();
        p = put(p, plan.prefix);
        std::size_t remaining = count;
        const unsigned char* b = bytes;
        RunWriter run = plan.uniform ? kRunWriters[plan.width + plan.sepLen] : nullptr;
        if (run && !plan.lineEnds.empty()) {
            // Every full line but the last: the line's last byte and the join to
            // the next line come as one fixed-size entry, so short lines (four
            // bytes in Java) cost no variable-length copies.
            RunWriter end = kRunWriters[plan.width + plan.between.size()];
            const char* ends = plan.lineEnds.data();
            while (remaining > plan.perLine) {
                p = run(p, b, plan.perLine - 1, table);
                p = end(p, b + plan.perLine - 1, 1, ends);
                b += plan.perLine;
                remaining -= plan.perLine;
            }
        }
        for (;;) {
            std::size_t k = remaining < plan.perLine ? remaining : plan.perLine;
            if (run) {
                p = run(p, b, k - 1, table);
            } else {
                for (std::size_t i = 0; i + 1 < k; ++i) {
                    std::size_t n = plan.len[b[i]] + plan.sepLen;
                    std::memcpy(p, table + b[i] * kStride, n);
                    p += n;
                }
            }
            std::memcpy(p, table + b[k - 1] * kStride, plan.len[b[k - 1]]);
            p += plan.len[b[k - 1]];
            b += k;
            remaining -= k;
            if (remaining == 0) break;
            p = put(p, plan.between);
        }
        p = put(p, plan.last);
    }
    p = put(p, plan.tail);
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}
