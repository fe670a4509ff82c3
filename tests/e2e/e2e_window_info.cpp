// Reports the geometry of a running Clipnook main window (found by its class
// name), as the end-to-end tests cannot read Win32 client areas from X:
//
//   e2e_window_info   ->  "client <width> <height> ideal <hex dump ideal width>"
//
// Exits with 1 when no such window exists.
#include <windows.h>

#include <cstdio>

#include "../../src/hexdump/uihexdump.h"

int main() {
    HWND main_window = FindWindowW(L"Clipnook", nullptr);
    if (!main_window) {
        std::printf("no window\n");
        return 1;
    }
    RECT client{};
    GetClientRect(main_window, &client);
    HWND dump = FindWindowExW(main_window, nullptr, UIHEXDUMP_CLASS, nullptr);
    DWORD_PTR ideal = 0;
    if (dump) SendMessageTimeoutW(dump, UIHDM_GETIDEALWIDTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &ideal);
    std::printf("client %ld %ld ideal %ld\n", client.right - client.left, client.bottom - client.top,
                static_cast<long>(ideal));
    return 0;
}
