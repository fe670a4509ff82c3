// The least a Win32 window program does: register a class, create a window,
// show it, paint once, and close itself when the queue is idle after that first
// paint. bench/startup_bench.py starts it as the yardstick for clipnook.exe.
//
//   minimal_window.exe           closes itself after the first paint
//   minimal_window.exe --stay    waits to be closed (Ctrl+Q or WM_CLOSE), as clipnook.exe does
#include <windows.h>

#include <cwchar>

namespace {

bool g_stay = false;
bool g_painted = false;

LRESULT CALLBACK window_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        TextOutW(dc, 8, 8, L"minimal", 7);
        EndPaint(w, &ps);
        g_painted = true;
        return 0;
    }
    case WM_KEYDOWN:
        if (wp == 'Q' && GetKeyState(VK_CONTROL) < 0) PostMessageW(w, WM_CLOSE, 0, 0);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const wchar_t* commandLine = GetCommandLineW();
    g_stay = commandLine && std::wcsstr(commandLine, L"--stay");
    WNDCLASSW wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"MinimalWindow";
    if (!RegisterClassW(&wc)) return 1;
    HWND window = CreateWindowExW(0, L"MinimalWindow", L"Minimal window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    SetForegroundWindow(window);
    MSG msg;
    for (;;) {
        if (!g_stay && g_painted && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            g_painted = false;
        }
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) return got < 0 ? 1 : static_cast<int>(msg.wParam);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
