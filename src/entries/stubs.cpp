// Placeholder until the entry table lands; replaced by the entries subsystem.
#include "entries/entries.h"
#include "app/main_state.h"
#include <commctrl.h>
#include <cwchar>

wchar_t main_file_path[260];
void entry_table_clear(MainWindowState* state) { ListView_DeleteAllItems(state->listView); }
void entry_table_free(MainWindowState* state) { entry_table_clear(state); }
void main_set_title(HWND window, const wchar_t* suffix) {
    wchar_t title[300];
    if (suffix) _snwprintf(title, 300, L"Clipnook [%ls]", suffix); else wcscpy(title, L"Clipnook");
    SetWindowTextW(window, title);
}
void entry_add_file(HWND, const wchar_t*) {}
void main_on_clipboard(HWND) {}
void main_on_new_list_from_file(HWND) {}
void main_on_ascii_table(HWND) {}
