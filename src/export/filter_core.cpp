#include "export/filter_core.h"

#include <cwchar>

namespace {

// The pattern of pair `index` (1-based), or null when the list ends before it.
const wchar_t* pattern_of(const wchar_t* filters, int index) {
    if (!filters) return nullptr;
    const wchar_t* p = filters;
    for (int pair = 1;; ++pair) {
        if (!*p) return nullptr;  // the list's closing empty text
        const wchar_t* pattern = p + std::wcslen(p) + 1;
        if (!*pattern) return nullptr;  // a description without a pattern
        if (pair == index) return pattern;
        p = pattern + std::wcslen(pattern) + 1;
    }
}

}  // namespace

int filter_pair_count(const wchar_t* filters) {
    int n = 0;
    while (pattern_of(filters, n + 1)) ++n;
    return n;
}

bool filter_default_extension(const wchar_t* filters, int index, wchar_t* out, std::size_t capacity) {
    if (!out || capacity == 0) return false;
    out[0] = 0;
    const wchar_t* pattern = pattern_of(filters, index < 1 ? 1 : index);
    if (!pattern) return false;
    const wchar_t* dot = std::wcsrchr(pattern, L'.');
    if (!dot || !dot[1] || std::wcscmp(dot, L".*") == 0) return false;
    std::size_t n = std::wcslen(dot + 1);
    if (n >= capacity) return false;
    std::wmemcpy(out, dot + 1, n + 1);
    return true;
}
