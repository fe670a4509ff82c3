// The obvious way to render an array text: line by line, every piece printed on its own. The fast writer (sized
// first, table-driven) must match it byte for byte; the host test and the fuzzer hold it to that.
#pragma once
#include "export/array_core.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

template <class... A>
std::string array_printf(const char* format, A... args) {
    char b[4096];
    std::snprintf(b, sizeof b, format, args...);
    return b;
}

inline std::string array_reference(const ArrayNotation& n, const unsigned char* d, long long anchor, long long caret, const char* title) {
    const long long lo = std::min(anchor, caret), hi = std::max(anchor, caret), per0 = std::strtol(n.bytesPerLine, nullptr, 10);
    const long long per = per0 < 1 ? 8 : std::min(per0, 80LL);
    const int count = static_cast<int>(hi - lo);
    std::string out, end = n.lineEnd;
    if (title && *title && *n.titleFormat) out += n.commentOpen + array_printf(n.titleFormat, title) + n.commentClose + end;
    if (*n.rangeFormat)
        out += n.commentOpen + array_printf(n.rangeFormat, unsigned(lo), unsigned(hi), unsigned(count)) + n.commentClose + end;
    if (*n.declarationWithCount) out += array_printf(n.declarationWithCount, count) + end;
    if (*n.declarationWithLastIndex) out += array_printf(n.declarationWithLastIndex, count - 1) + end;
    for (long long p = lo; p < hi; p += per) {
        out += n.linePrefix;
        for (long long i = p, last = std::min(hi, p + per); i < last; ++i)
            out += array_printf(n.byteFormat, unsigned(d[i])) + (i + 1 < last ? n.byteSeparator : "");
        out += std::string(p + per < hi ? n.lineSuffixMore : n.lineSuffixLast) + end;
    }
    return *n.closingLine ? out + n.closingLine + end : out;
}

// The fast writer driven as the export drives it: a selection in either order, kept inside the data, sized first.
inline std::string array_fast(const ArrayNotation& n, const unsigned char* d, std::size_t size, long long anchor, long long caret,
                              const char* title) {
    std::size_t start, count;
    array_selection_range(anchor, caret, size, &start, &count);
    const std::size_t length = array_text_length(n, d + start, count, static_cast<std::uint32_t>(start), title);
    std::string out(length == array_too_large ? 0 : length + 1, '\x55');
    if (out.empty() || array_text_write(n, d + start, count, static_cast<std::uint32_t>(start), title, out.data()) != length) return "<refused>";
    return out[length] == '\0' ? out.substr(0, length) : "<no terminator>";
}
