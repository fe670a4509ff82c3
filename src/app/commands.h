// Command dispatch, menu enabling and the run-time context menus.
#pragma once
#include "app/resource_ids.h"

#include <windows.h>

struct MainWindowState;

// WM_COMMAND: sets *handled when the message must not get default processing (2016).
LRESULT main_on_command(MainWindowState* state, WPARAM wParam, LPARAM lParam, bool* handled);
// WM_INITMENUPOPUP; always 0.
int main_update_menu(MainWindowState* state, HMENU menu);
// WM_CONTEXTMENU from the hex dump or the viewer pane (wParam the window).
void main_on_context_menu(MainWindowState* state, HWND from, LPARAM position);
void main_on_add_file(HWND window);
// Open file and the command line: a snapshot opens as itself (a broken one is
// refused in a message box and the list kept); any other file is added as a
// file entry, after clearing the list when `clear` says so.
void main_open_file(MainWindowState* state, const wchar_t* path, bool clear);
// Clears the view and lists the clipboard's formats (F5, and start-up without files).
void main_on_clipboard(HWND window);
