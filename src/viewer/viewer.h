// Viewer switching and the owner-drawn viewer pane.
#pragma once
#include <windows.h>

struct MainWindowState;

void main_activate_item_viewer(MainWindowState* state, int index);
void viewer_pane_paint(MainWindowState* state, HDC dc, const RECT* rect);

// The viewer pane menu's choice: fit mode 0..2; centring follows (off for 0).
void viewer_set_fit_mode(MainWindowState* state, int mode);
