// Placeholder control until the hex dump lands; replaced by the hex dump subsystem.
#include "hexdump/uihexdump.h"
static LRESULT CALLBACK stub_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == UIHDM_GETIDEALWIDTH) return 640;
    if (m == WM_PAINT) {
        PAINTSTRUCT ps; HDC dc = BeginPaint(w, &ps); RECT r; GetClientRect(w, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        DrawTextW(dc, L"No data to dump.", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(w, &ps); return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}
ATOM uihexdump_register(HINSTANCE instance) {
    WNDCLASSEXW wc{}; wc.cbSize = sizeof wc; wc.lpfnWndProc = stub_proc; wc.hInstance = instance;
    wc.cbWndExtra = sizeof(void*); wc.hCursor = LoadCursor(nullptr, IDC_IBEAM); wc.lpszClassName = UIHEXDUMP_CLASS;
    return RegisterClassExW(&wc);
}
void uihexdump_unregister(HINSTANCE instance) { UnregisterClassW(UIHEXDUMP_CLASS, instance); }
