// What the clipboard and a drag both make of an entry: the id another process
// knows its format by, the medium that format travels on, and a handle of
// that medium made from the entry's bytes. Internal to src/snapshot.
#pragma once
#include "entries/entry_table.h"

#include <cstddef>

// A registered format by its name (the row's first column), 0 for an entry
// without a clipboard format (files, tables).
UINT snapshot_clipboard_id(const EntryTable* table, int row);
// TYMED_GDI, _ENHMF or _MFPICT for the formats that are handles, else TYMED_HGLOBAL.
DWORD snapshot_tymed_of(UINT format);
// A new handle for `size` bytes under `format`, null when the bytes do not
// make one; `medium` is the one the bytes came from.
HANDLE snapshot_handle_for(UINT format, DWORD medium, const BYTE* bytes, std::size_t size);
void snapshot_free_handle(UINT format, HANDLE handle);
