// Arithmetic behind the run-time context menus, kept free of the window system.
#pragma once
#include <cstdint>

struct MenuPoint {
    int x;
    int y;
};

// WM_CONTEXTMENU's position: both signed 16-bit halves -1 means the menu key or
// Shift+F10 asked for it, so there is no mouse position to open at.
bool context_menu_from_keyboard(std::uint32_t position);

// The point a context menu opens at, in the coordinates of `client` (a client
// rectangle): the given screen position for a mouse request, else the centre of
// the rectangle with halves truncated toward zero. `*keyboard` tells the caller
// whether the result still has to be converted to screen coordinates.
MenuPoint context_menu_point(std::uint32_t position, int left, int top, int right, int bottom, bool* keyboard);

// First command id of the viewer pane menu; the three fit modes follow it.
constexpr int kFitMenuBase = 1000;
constexpr int kFitModeCount = 3;

// TrackPopupMenu's answer for the viewer pane menu -> fit mode 0..2, or -1 when
// the menu was dismissed (0) or answered something that is not one of ours.
int fit_mode_from_menu_choice(int choice);
