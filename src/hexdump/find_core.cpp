// Find's pattern parsing and search, without the platform.
#include "hexdump/find_core.h"

#include <algorithm>
#include <cstring>

namespace {

FindPattern refuse(FindError error, size_t position) { return FindPattern{{}, error, position}; }

int hex_value(char16_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

unsigned fold8(unsigned b) { return b >= 'A' && b <= 'Z' ? b + 0x20 : b; }

// Upper-case letters of Basic Latin and Latin-1 (but the multiplication sign) to lower case.
unsigned fold16(unsigned u) { return (u >= 0xC0 && u <= 0xDE && u != 0xD7) ? u + 0x20 : fold8(u); }

bool match_at(const uint8_t* d, const std::vector<uint8_t>& pattern, const FindOptions& o) {
    const size_t n = pattern.size();
    if (o.matchCase || o.kind == FindKind::Hex) return std::memcmp(d, pattern.data(), n) == 0;
    if (o.kind == FindKind::Text8) {
        for (size_t i = 0; i < n; ++i)
            if (fold8(d[i]) != fold8(pattern[i])) return false;
        return true;
    }
    size_t i = 0;
    for (; i + 1 < n; i += 2)
        if (fold16(d[i] | d[i + 1] << 8) != fold16(pattern[i] | pattern[i + 1] << 8)) return false;
    return i == n || d[i] == pattern[i];  // an odd last byte compares exactly
}

}  // namespace

FindPattern find_parse(FindKind kind, const char16_t* text, size_t length) {
    FindPattern r{{}, FindError::None, 0};
    if (!text) length = 0;
    if (kind == FindKind::Hex) {
        size_t digits = 0;  // in the current group
        int high = 0;
        for (size_t i = 0; i <= length; ++i) {
            char16_t c = i < length ? text[i] : u' ';
            if (c == u' ' || c == u'\t') {
                if (digits % 2) return refuse(FindError::OddHexDigits, i - 1);
                digits = 0;
                continue;
            }
            int v = hex_value(c);
            if (v < 0) return refuse(FindError::BadHexDigit, i);
            if (digits++ % 2)
                r.bytes.push_back(static_cast<uint8_t>(high << 4 | v));
            else
                high = v;
        }
    } else {
        for (size_t i = 0; i < length; ++i) {
            if (kind == FindKind::Text16) {
                r.bytes.push_back(static_cast<uint8_t>(text[i] & 0xFF));
                r.bytes.push_back(static_cast<uint8_t>(text[i] >> 8));
            } else if (text[i] > 0xFF) {
                return refuse(FindError::NotEightBit, i);
            } else {
                r.bytes.push_back(static_cast<uint8_t>(text[i]));
            }
        }
    }
    if (r.bytes.empty()) return refuse(FindError::Empty, 0);
    return r;
}

const char* find_error_text(FindError error) {
    switch (error) {
    case FindError::Empty: return "Enter the text or bytes to find.";
    case FindError::BadHexDigit: return "Only hex digits and spaces are allowed here.";
    case FindError::OddHexDigits: return "Each byte needs two hex digits.";
    case FindError::NotEightBit: return "This character has no 8-bit form; search for UTF-16 text instead.";
    case FindError::None: break;
    }
    return "";
}

FindHit find_search(const uint8_t* data, size_t size, size_t start, const std::vector<uint8_t>& pattern,
                    const FindOptions& options) {
    const size_t n = pattern.size();
    if (!data || n == 0 || n > size) return {-1, false};
    start = std::min(start, size);
    const size_t ends = size - n + 1;  // start positions a match fits at: 0 .. ends - 1
    // The first match in [lo, hi), nearest to lo going forwards or to hi going backwards.
    auto scan = [&](size_t lo, size_t hi) -> long long {
        hi = std::min(hi, ends);
        if (options.backwards) {
            for (size_t p = hi; p > lo; --p)
                if (match_at(data + p - 1, pattern, options)) return static_cast<long long>(p - 1);
        } else {
            for (size_t p = lo; p < hi; ++p)
                if (match_at(data + p, pattern, options)) return static_cast<long long>(p);
        }
        return -1;
    };
    long long hit = options.backwards ? scan(0, start) : scan(start, size);
    if (hit >= 0) return {hit, false};
    hit = options.backwards ? scan(start, size) : scan(0, start);
    return {hit, hit >= 0};
}
