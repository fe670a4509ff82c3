// The file dialogs and the few shell calls are used long after the window is
// up, if at all; importing comdlg32 and shell32 statically made every start
// load them (and winspool with them). These load the DLL from the system
// directory on first use and fail like the call itself when it cannot be had.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

BOOL lazy_get_open_file_name(OPENFILENAMEW* ofn);
BOOL lazy_get_save_file_name(OPENFILENAMEW* ofn);
DWORD lazy_comm_dlg_extended_error();  // CDERR_INITIALIZATION when comdlg32 is missing
UINT lazy_extract_icon_ex(const wchar_t* file, int index, HICON* large, HICON* small, UINT count);
PIDLIST_ABSOLUTE lazy_il_clone(PCUIDLIST_RELATIVE pidl);
PIDLIST_ABSOLUTE lazy_il_combine(PCIDLIST_ABSOLUTE parent, PCUIDLIST_RELATIVE child);
void lazy_il_free(PIDLIST_RELATIVE pidl);
HRESULT lazy_sh_get_name_from_id_list(PCIDLIST_ABSOLUTE pidl, SIGDN kind, PWSTR* name);
HINSTANCE lazy_shell_execute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                             const wchar_t* folder, int show);
