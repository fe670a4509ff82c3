// UTF-16 helpers shared by the pure cores (no platform headers).
#pragma once
#include <string>

// Appends a code point as one unit or a surrogate pair.
inline void append_code_point(std::u16string& s, char32_t c) {
    if (c < 0x10000) {
        s += static_cast<char16_t>(c);
    } else {
        s += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        s += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}
