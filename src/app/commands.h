// Command dispatch, menu enabling and the run-time context menus.
#pragma once
#include <windows.h>

struct MainWindowState;

enum : int {
    IDM_EXIT = 2000, IDM_ABOUT = 2001, IDM_OPEN_CLIPBOARD = 2002, IDM_EMPTY_CLIPBOARD = 2003,
    IDM_NEW = 2004, IDM_CUT = 2005, IDM_COPY = 2006, IDM_PASTE = 2007, IDM_DELETE = 2008,
    IDM_SELECT_ALL = 2009, IDM_ADD_FILE = 2010, IDM_ADD_ASCII_TABLE = 2011, IDM_GOTO = 2016,
    IDM_SHELL_ADD = 2019, IDM_SHELL_REMOVE = 2020,
    IDM_COPY_AS_DUMP = 2021, IDM_COPY_AS_C_ARRAY = 2022, IDM_COPY_AS_C_STRING = 2023,
    IDM_COPY_AS_CSHARP_ARRAY = 2024, IDM_COPY_AS_JAVA_ARRAY = 2025, IDM_COPY_AS_PASCAL_ARRAY = 2026,
    IDM_COPY_AS_VBNET_ARRAY = 2027, IDM_EXPORT = 2028, IDM_EXPORT_AS_DUMP = 2029,
    IDM_EXPORT_AS_C_ARRAY = 2030, IDM_EXPORT_AS_C_STRING = 2031, IDM_EXPORT_AS_CSHARP_ARRAY = 2032,
    IDM_EXPORT_AS_JAVA_ARRAY = 2033, IDM_EXPORT_AS_PASCAL_ARRAY = 2034, IDM_EXPORT_AS_VBNET_ARRAY = 2035,
    IDM_OPEN_FILE = 2036,
};

// WM_COMMAND: sets *handled when the message must not get default processing (2016).
LRESULT main_on_command(MainWindowState* state, WPARAM wParam, LPARAM lParam, bool* handled);
// WM_INITMENUPOPUP; always 0.
int main_update_menu(MainWindowState* state, HMENU menu);
// WM_CONTEXTMENU from the hex dump or the viewer pane (wParam the window).
void main_on_context_menu(MainWindowState* state, HWND from, LPARAM position);
void main_on_add_file(HWND window);
