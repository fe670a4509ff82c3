// The soft gradient background of form dialogs under visual styles, with the
// static and button controls painted transparently over it.
#pragma once
#include <windows.h>

enum : int {
    DIALOG_BACKGROUND_OFF = 0,
    DIALOG_BACKGROUND_GRADIENT = 1,       // gradient, controls cut from it
    DIALOG_BACKGROUND_SOLID = 2,          // solid colour, controls solid too
    DIALOG_BACKGROUND_SOLID_PATTERN = 3,  // solid colour, controls cut from it
};

// Sees every message of a form dialog first. Returns non-zero when it handled
// the message; *result then holds the dialog procedure's return value.
BOOL dialog_background_handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);

// Mode (a mode above 3 becomes 0) and colour (0x00BBGGRR) for all form dialogs.
void dialog_background_set(int mode, COLORREF colour);

// A pattern brush of `reference`'s painted client background (null reference:
// the window's parent). Null when any step fails. The caller owns the brush.
HBRUSH dialog_background_brush(HWND window, HWND reference);

// Fills `rect` with a grey gradient between the four corner levels (0..255):
// top-left, top-right, bottom-left, bottom-right. 0 when the system offers no
// gradient filling.
BOOL gradient_fill_rect(HDC dc, const RECT* rect, int topLeft, int topRight, int bottomLeft, int bottomRight);

// True when the application runs with visual styles (the check the hook makes).
bool dialog_background_themed();
