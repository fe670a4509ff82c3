// Filling the entry table: format names, data object capture, files, the
// ASCII table, and the global-memory helpers every subsystem shares.
#pragma once
#include "entries/entry_table.h"

#include <windows.h>
#include <objidl.h>

// Ids registered at start-up for "FileName" and "FileNameW"; a bitmap file entry's id.
extern UINT cf_filename;
extern UINT cf_filenamew;
constexpr INT cf_bitmapfile = -11;
void entry_register_formats();

HGLOBAL GlobalDuplicate(HGLOBAL block);
int GlobalSave(HGLOBAL block, UINT length, const wchar_t* path);
int GlobalLoad(const wchar_t* path, HGLOBAL* block, UINT* length);

// Display name of a clipboard format id (registered name, symbolic name or
// "CF_<id>"); text holds 256 wide characters.
void clipboard_format_name(UINT format, wchar_t* text);

// Lists every format the object offers, replacing the table once the first one
// comes. One capture runs at a time: one started while another waits in the
// source's calls is refused (and logged); a capture whose table is cleared or
// added to meanwhile keeps what is still its own and stops.
void entry_capture_data_object(EntryTable* table, IDataObject* dataObject);
// The capture, taking at most `limit` formats from the object's enumerator.
void entry_capture_formats(EntryTable* table, IDataObject* dataObject, int limit);
struct MediumBytes;
// Writes row `row` (already in the table) for one offered format and hands its
// bytes to the entry; the size column shows the bytes' mark when there are none.
void entry_fill_row(EntryTable* table, int row, const FORMATETC& formatetc, MediumBytes* bytes);

// An entry's own copy of a target device (null for none or one that is not
// even its own header long); the table frees it.
constexpr DWORD kLargestDeviceBytes = 0x10000;
DVTARGETDEVICE* entry_copy_device(const DVTARGETDEVICE* device);

void entry_add_file(EntryTable* table, const wchar_t* path);
void entry_add_ascii_table(EntryTable* table);

// The open-file dialog of the file commands, titled `title`; the chosen path is
// left in main_file_path. False when the user cancels.
bool entry_choose_file(HWND window, const wchar_t* title);

// Last path chosen in the open-file dialogs (shared by Add file and New List from File).
extern wchar_t main_file_path[260];
