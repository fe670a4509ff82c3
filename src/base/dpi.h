// The density a window is shown at. The per-window calls exist from Windows 10
// on and are looked up when first needed; before that every window has the
// screen's density.
#pragma once
#include <windows.h>

int dpi_of_window(HWND window);
// The density the stock fonts were made for.
int dpi_of_system();
