// Extras > Data inspector: the inspector beside the hex dump, fed the bytes
// at the dump's caret whenever its selection or data changes.
#pragma once
#include <windows.h>

struct MainWindowState;

constexpr int IDC_INSPECTOR = 1358;
constexpr int IDC_DUMP_SPLITTER = 1359;

void main_set_inspector(MainWindowState* state, bool on);
bool main_inspector_shown(const MainWindowState* state);
// The values at the caret of the active entry, when the inspector is shown.
void main_inspector_refresh(MainWindowState* state);
