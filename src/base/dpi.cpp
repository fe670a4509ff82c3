#include "base/dpi.h"
#include "base/dpi_core.h"

namespace {

using DpiForWindowFn = UINT(WINAPI*)(HWND);
using DpiForSystemFn = UINT(WINAPI*)();

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
