#include "app/cmdline_core.h"

const wchar_t* next_token(const wchar_t* source, wchar_t* buf, std::size_t capacity) {
    std::size_t len = 0;
    if (capacity) buf[0] = 0;
    if (!source) return nullptr;
    while (*source == L' ') ++source;
    if (!*source) return nullptr;

    // Characters past the buffer are read and dropped, so the next argument
    // still starts after the whole of this one.
    auto put = [&](wchar_t c) {
        if (len + 1 < capacity) buf[len++] = c;
    };
    if (*source == L'"' || *source == L'\'') {
        wchar_t quote = *source++;
        while (*source) {
            if (*source == quote) {
                if (source[1] == quote) {  // doubled quote stands for one
                    put(quote);
                    source += 2;
                    continue;
                }
                ++source;  // closing quote ends the token, even with text right after it
                break;
            }
            put(*source++);
        }
    } else {
        while (*source && *source != L' ') put(*source++);
    }
    if (capacity) buf[len] = 0;
    while (*source == L' ') ++source;
    return source;
}
