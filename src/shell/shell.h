// The program's verb in the shell context menu of all files, for the current user.
#pragma once
#include <windows.h>

void shell_add_to_context_menu(HWND window);
void shell_remove_from_context_menu(HWND window);
// Writes the verb below root's "Software\Classes\*\shell"; on failure removes
// exactly the keys this call created. 0 or a registry error code.
LONG shell_add_verb(HKEY root, const wchar_t* verb, const wchar_t* menuText, const wchar_t* commandLine);
LONG reg_delete_tree(HKEY parent, const wchar_t* subkey);
void shell_report_error(HWND window, LONG error);
// Whether Remove has a verb it may take away: the user's own, or a
// machine-wide one this account has the rights to delete.
bool shell_verb_removable();
