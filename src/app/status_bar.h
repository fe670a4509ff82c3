// The status bar (Extras > Status bar, off by default): where the list's data
// came from, how many formats and bytes, how long the capture took, and the
// dump's selection.
#pragma once
#include <windows.h>

struct MainWindowState;


void main_set_status_bar(MainWindowState* state, bool on);
// The facts of the capture (or file list) just made; logged instead while the bar is off.
void main_status_capture(MainWindowState* state, const wchar_t* source, DWORD took);
// Lays the splitters out in the client area above the bar.
void main_layout(MainWindowState* state);
// The bar's texts from the table and the dump, when shown.
void main_status_refresh(MainWindowState* state);
// A short note in the bar's first part (a search that wrapped around); a
// beep when the bar is off. Null clears it.
void main_status_note(MainWindowState* state, const wchar_t* note);
