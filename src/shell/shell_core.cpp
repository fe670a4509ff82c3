#include "shell/shell_core.h"

#include <cstdio>
#include <cwchar>

const wchar_t shell_verb_name[] = L"Clipnook";
const wchar_t shell_verb_menu_text[] = L"Open with Clipnook";
const wchar_t shell_verb_key_path[] = L"Software\\Classes\\*\\shell\\Clipnook";

bool shell_format_command_line(const wchar_t* exePath, wchar_t* out, std::size_t capacity) {
    static const wchar_t tail[] = L"\" \"%1\"";
    if (!out || capacity == 0) return false;
    out[0] = L'\0';
    if (!exePath) return false;
    std::size_t path_length = std::wcslen(exePath);
    std::size_t tail_length = sizeof tail / sizeof tail[0] - 1;
    // Opening quote + path + tail + terminator; a cut path would register a
    // command that starts some other file, so it is all or nothing.
    if (path_length > capacity || capacity - path_length < 1 + tail_length + 1) return false;
    out[0] = L'"';
    std::wmemcpy(out + 1, exePath, path_length);
    std::wmemcpy(out + 1 + path_length, tail, tail_length + 1);
    return true;
}

int shell_format_error(long code, const char* systemText, char* out, std::size_t capacity) {
    if (!out || capacity == 0) return 0;
    int n = std::snprintf(out, capacity,
                          "Error (%ld): %s\nRun the application as administrator\n"
                          "to 'add to' or 'remove from' the context menu.",
                          code, systemText ? systemText : "");
    if (n < 0) {
        out[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(n) < capacity ? n : static_cast<int>(capacity - 1);
}
