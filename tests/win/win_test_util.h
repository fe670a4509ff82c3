// Helpers shared by the Wine tests: real windows, real message pumping.
#pragma once
#include "app/main_state.h"
#include "hexdump/uihexdump.h"
#include "splitter/splitter.h"

#include <windows.h>
#include <string>

// Dispatches every waiting message of this thread (also through the dialog
// navigation of the main window, as the program's loop does).
inline void pump_messages(HWND dialog = nullptr) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog && IsDialogMessageW(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps for about `ms` milliseconds.
inline void pump_for(DWORD ms, HWND dialog = nullptr) {
    DWORD start = GetTickCount();
    do {
        pump_messages(dialog);
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// The main window as start-up makes it: created, sized to the hex dump, shown.
struct MainWindowFixture {
    HWND window = nullptr;
    MainWindowFixture() {
        window = main_create_window(g_instance);
        if (window) {
            main_size_to_hexdump(window);
            ShowWindow(window, SW_SHOWNORMAL);
            SetForegroundWindow(window);
            pump_for(50, window);
        }
    }
    ~MainWindowFixture() {
        if (window && IsWindow(window)) DestroyWindow(window);
        // WM_DESTROY posts the quit message; drop it so later cases can pump.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }
    MainWindowState* state() const { return main_state(window); }
};

inline std::wstring window_class(HWND w) {
    wchar_t name[128] = {};
    GetClassNameW(w, name, 128);
    return name;
}

inline std::wstring window_text(HWND w) {
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    return text;
}
