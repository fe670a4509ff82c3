// Reads the text viewer of a running Clipnook main window from outside:
//
//   e2e_viewer_text   ->  "edit\t<length>\t<text>"  for each visible edit child
//                         "pane"                    when no edit is visible
//
// The text is UTF-8 with CR, LF, tab and backslash written as \r \n \t \\.
// WM_GETTEXT is one of the messages the system carries across processes.
// Exits with 1 when no such window exists.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<HWND> g_edits;

BOOL CALLBACK collect(HWND child, LPARAM) {
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (!lstrcmpiW(cls, L"Edit") && IsWindowVisible(child)) g_edits.push_back(child);
    return TRUE;
}

std::string escaped_utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string raw(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), raw.data(), n, nullptr, nullptr);
    std::string out;
    for (char c : raw) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

}  // namespace

int main() {
    HWND main_window = FindWindowW(L"Clipnook", nullptr);
    if (!main_window) {
        std::printf("no window\n");
        return 1;
    }
    EnumChildWindows(main_window, collect, 0);
    for (HWND edit : g_edits) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return 1;
        std::wstring text(length + 1, L'\0');
        DWORD_PTR got = 0;
        if (!SendMessageTimeoutW(edit, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                                 5000, &got))
            return 1;
        text.resize(got);
        std::printf("edit\t%lu\t%s\n", static_cast<unsigned long>(got), escaped_utf8(text).c_str());
    }
    if (g_edits.empty()) std::printf("pane\n");
    return 0;
}
