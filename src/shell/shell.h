// The program's verb in the shell context menu of all files.
#pragma once
#include <windows.h>

void shell_add_to_context_menu(HWND window);
void shell_remove_from_context_menu(HWND window);
LONG shell_add_verb(const wchar_t* verb, const wchar_t* menuText, const wchar_t* commandLine);
LONG reg_delete_tree(HKEY parent, const wchar_t* subkey);
void shell_report_error(HWND window, LONG error);
