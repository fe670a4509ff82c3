// The density a window is shown at. The per-window calls exist from Windows 10
// on and are looked up when first needed; before that every window has the
// screen's density.
#pragma once
#include <windows.h>

int dpi_of_window(HWND window);
// The density the stock fonts were made for.
int dpi_of_system();
// AdjustWindowRectEx for a window at `dpi`: its frame and menu bar are that
// density's, which only Windows 10 can tell apart from the system's.
void dpi_adjust_window_rect(RECT* rect, DWORD style, bool menu, DWORD ex_style, int dpi);
