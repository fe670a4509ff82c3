// Centring a window on another (or on the desktop), kept inside the desktop.
#pragma once
#include <windows.h>

void center_window(HWND window, HWND reference);
void center_on_parent(HWND window);
