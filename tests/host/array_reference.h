// The straightforward way to build an array text: one line at a time in a
// 1024-byte buffer, the result grown by one reallocation per line. Slow, but
// obviously right; the fast writer must match it byte for byte.
#pragma once
#include "export/array_core.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

inline std::string array_reference(const ArrayNotation& n, const unsigned char* data, long long anchor,
                                   long long caret, const char* title) {
    long long lo = std::min(anchor, caret), hi = std::max(anchor, caret);
    int length = static_cast<int>(hi - lo);
    long bpl = std::strtol(n.bytesPerLine, nullptr, 10);
    if (bpl < 1) bpl = 8;
    if (bpl > 80) bpl = 80;

    std::size_t size = 0;
    char* block = static_cast<char*>(std::malloc(1));
    block[0] = 0;
    char line[1024];
    auto append = [&]() {
        std::size_t add = std::strlen(line);
        block = static_cast<char*>(std::realloc(block, size + add + 1));
        std::memcpy(block + size, line, add + 1);
        size += add;
    };
    char piece[1024];
    if (title && *title && *n.titleFormat) {
        std::snprintf(piece, sizeof piece, n.titleFormat, title);
        std::snprintf(line, sizeof line, "%s%s%s%s", n.commentOpen, piece, n.commentClose, n.lineEnd);
        append();
    }
    if (*n.rangeFormat) {
        std::snprintf(piece, sizeof piece, n.rangeFormat, static_cast<unsigned>(lo), static_cast<unsigned>(hi),
                      static_cast<unsigned>(length));
        std::snprintf(line, sizeof line, "%s%s%s%s", n.commentOpen, piece, n.commentClose, n.lineEnd);
        append();
    }
    if (*n.declarationWithCount) {
        std::snprintf(piece, sizeof piece, n.declarationWithCount, length);
        std::snprintf(line, sizeof line, "%s%s", piece, n.lineEnd);
        append();
    }
    if (*n.declarationWithLastIndex) {
        std::snprintf(piece, sizeof piece, n.declarationWithLastIndex, length - 1);
        std::snprintf(line, sizeof line, "%s%s", piece, n.lineEnd);
        append();
    }
    long long p = lo;
    while (p < hi) {
        long long chunk = std::min<long long>(bpl, hi - p);
        std::size_t at = std::snprintf(line, sizeof line, "%s", n.linePrefix);
        for (long long i = 0; i < chunk; ++i) {
            at += std::snprintf(line + at, sizeof line - at, n.byteFormat, static_cast<unsigned>(data[p + i]));
            if (i + 1 < chunk) at += std::snprintf(line + at, sizeof line - at, "%s", n.byteSeparator);
        }
        p += chunk;
        std::snprintf(line + at, sizeof line - at, "%s%s", p < hi ? n.lineSuffixMore : n.lineSuffixLast,
                      n.lineEnd);
        append();
    }
    if (*n.closingLine) {
        std::snprintf(line, sizeof line, "%s%s", n.closingLine, n.lineEnd);
        append();
    }
    std::string result(block, size);
    std::free(block);
    return result;
}

// The fast writer, driven the way format_array drives it.
inline std::string array_fast(const ArrayNotation& n, const unsigned char* data, std::size_t dataSize,
                              long long anchor, long long caret, const char* title) {
    std::size_t start, count;
    array_selection_range(anchor, caret, dataSize, &start, &count);
    std::size_t length =
        array_text_length(n, data + start, count, static_cast<std::uint32_t>(start), title);
    if (length == array_too_large) return "<too large>";
    std::string out(length + 1, '\x55');
    std::size_t written =
        array_text_write(n, data + start, count, static_cast<std::uint32_t>(start), title, &out[0]);
    if (written != length || out[length] != '\0') return "<length mismatch>";
    out.resize(length);
    return out;
}
