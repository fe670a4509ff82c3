#include "base/dpi.h"
#include "base/dpi_core.h"

namespace {

using DpiForWindowFn = UINT(WINAPI*)(HWND);
using DpiForSystemFn = UINT(WINAPI*)();
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn user32_function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int screen_dpi() {
    HDC screen = GetDC(nullptr);
    if (!screen) return kBaseDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int dpi_of_window(HWND window) {
    static const DpiForWindowFn for_window = user32_function<DpiForWindowFn>("GetDpiForWindow");
    if (for_window && window)
        if (UINT dpi = for_window(window)) return static_cast<int>(dpi);
    return dpi_of_system();
}

int dpi_of_system() {
    static const DpiForSystemFn for_system = user32_function<DpiForSystemFn>("GetDpiForSystem");
    if (for_system)
        if (UINT dpi = for_system()) return static_cast<int>(dpi);
    return screen_dpi();
}

void dpi_adjust_window_rect(RECT* rect, DWORD style, bool menu, DWORD ex_style, int dpi) {
    static const AdjustForDpiFn for_dpi = user32_function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    if (for_dpi && dpi > 0 && for_dpi(rect, style, menu, ex_style, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(rect, style, menu, ex_style);
}
