#include "uiform/link_core.h"

namespace {

// The length of `scheme` when `text` starts with it, ASCII letters in any case; else 0.
int scheme_length(const wchar_t* text, const wchar_t* scheme) {
    int i = 0;
    for (; scheme[i]; ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != scheme[i]) return 0;
    }
    return i;
}

}  // namespace

bool link_address_opens(const wchar_t* address) {
    if (!address) return false;
    int start = scheme_length(address, L"https://");
    if (!start) start = scheme_length(address, L"http://");
    if (!start || !address[start]) return false;
    for (const wchar_t* p = address; *p; ++p)
        if (*p <= L' ' || *p == 0x7F || *p == L'"') return false;
    return true;
}
