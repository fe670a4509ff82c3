// Row helpers shared by the files of the entries subsystem.
#pragma once
#include <windows.h>
#include <objidl.h>

struct MainWindowState;

// Sets the six cells of one row.
void entry_set_row_texts(HWND listView, int row, const wchar_t* const texts[6]);
// Marks the row selected and focused (no other state bit) and shows it.
void entry_select_row(MainWindowState* state, int row);
// The capture, taking at most `limit` formats from the object's enumerator.
void entry_capture_formats(HWND window, IDataObject* dataObject, int limit);
