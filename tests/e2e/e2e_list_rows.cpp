// Reads the entry list of a running Clipnook main window from outside, as the
// end-to-end tests cannot read list view cells from X:
//
//   e2e_list_rows   ->  "title\t<window title>"
//                       "count\t<LVM_GETITEMCOUNT>"
//                       "row\t<cell 0>\t...\t<cell 5>"   (one line per row, UTF-8)
//
// The cell texts are fetched through a buffer allocated inside the program's
// process, since the list view writes into its own address space.
// Exits with 1 when no such window exists.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

int main() {
    HWND main_window = FindWindowW(L"Clipnook", nullptr);
    if (!main_window) {
        std::printf("no window\n");
        return 1;
    }
    wchar_t title[512] = {};
    GetWindowTextW(main_window, title, 512);
    std::printf("title\t%s\n", utf8(title).c_str());

    HWND list = GetDlgItem(main_window, 1234);
    DWORD_PTR count = 0;
    if (!list || !SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) return 1;
    std::printf("count\t%lu\n", static_cast<unsigned long>(count));

    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 1;
    const SIZE_T textChars = 260;
    auto* remote = static_cast<unsigned char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + textChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return 1;
    auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    for (DWORD_PTR row = 0; row < count; ++row) {
        std::string line = "row";
        for (int column = 0; column < 6; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = remoteText;
            item.cchTextMax = static_cast<int>(textChars);
            wchar_t text[textChars] = {};
            DWORD_PTR got = 0;
            if (WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
                SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                                    5000, &got))
                ReadProcessMemory(process, remoteText, text, sizeof(wchar_t) * (textChars - 1), nullptr);
            line += "\t" + utf8(text);
        }
        std::printf("%s\n", line.c_str());
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return 0;
}
