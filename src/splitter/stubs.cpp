// Placeholder until the splitter lands; replaced by the splitter subsystem.
#include "splitter/splitter.h"
ATOM splitter_register_class(HINSTANCE instance) {
    WNDCLASSEXW wc{}; wc.cbSize = sizeof wc; wc.lpfnWndProc = DefWindowProcW; wc.hInstance = instance;
    wc.cbWndExtra = sizeof(void*); wc.lpszClassName = UISPLITTER_CLASS;
    return RegisterClassExW(&wc);
}
void splitter_unregister_class(HINSTANCE instance) { UnregisterClassW(UISPLITTER_CLASS, instance); }
bool is_splitter_window(HWND) { return false; }
