// Entry table, list rows, title, global-memory helpers, capture and file entries.
#pragma once
#include <windows.h>
#include <objidl.h>

struct MainWindowState;

bool entry_append(MainWindowState* state);
void listview_set_cell_text(HWND listView, int row, int column, const wchar_t* text);
void entry_table_clear(MainWindowState* state);
void entry_table_free(MainWindowState* state);
void main_set_title(HWND window, const wchar_t* suffix);
void size_to_grouped_text(UINT value, wchar_t* text);
HGLOBAL GlobalDuplicate(HGLOBAL block);
int GlobalSave(HGLOBAL block, UINT length, const wchar_t* path);
int GlobalLoad(const wchar_t* path, HGLOBAL* block, UINT* length);

void entry_add_format(HWND window, int index, FORMATETC* formatetc, IDataObject* dataObject);
void entry_capture_data_object(HWND window, IDataObject* dataObject);
void main_on_clipboard(HWND window);

// Display name of a clipboard format id (registered name, symbolic name or
// "CF_<id>"); text holds 256 wide characters.
void clipboard_format_name(UINT format, wchar_t* text);

void entry_add_file(HWND window, const wchar_t* path);
void main_on_new_list_from_file(HWND window);
void main_on_ascii_table(HWND window);

// The open-file dialog of the file commands, titled `title`; the chosen path is
// left in main_file_path. False when the user cancels.
bool entry_choose_file(HWND window, const wchar_t* title);

// Last path chosen in the open-file dialogs (shared by Add file and New List from File).
extern wchar_t main_file_path[260];
