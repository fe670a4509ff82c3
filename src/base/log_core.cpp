#include "base/log_core.h"

#include <cstdio>
#include <cwchar>

char log_level_letter(unsigned level) {
    static const char letters[] = " IWEF";
    return level < 5 ? letters[level] : '?';
}

int log_format_prefix(char* buf, std::size_t cap, unsigned long tick, unsigned level, const char* tag) {
    return std::snprintf(buf, cap, "%lu %c %-15s ", tick, log_level_letter(level), tag ? tag : "");
}

const wchar_t* log_file_name(const wchar_t* path) {
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

bool log_replace_extension(wchar_t* path, std::size_t cap, const wchar_t* ext) {
    wchar_t* name = const_cast<wchar_t*>(log_file_name(path));
    wchar_t* dot = std::wcsrchr(name, L'.');
    if (!dot) dot = name + std::wcslen(name);
    std::size_t keep = static_cast<std::size_t>(dot - path);
    if (keep + std::wcslen(ext) + 1 > cap) return false;
    std::wcscpy(dot, ext);
    return true;
}
