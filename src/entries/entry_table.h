// The entry table: every captured format, file or sample the list shows, one
// row each, owning a private copy of the bytes.
#pragma once
#include <windows.h>
#include <objidl.h>

struct DataEntry {
    HGLOBAL data;          // own movable copy of the bytes, null when nothing could be fetched
    UINT size;             // byte count
    INT format;            // clipboard format id, 0 for files/ASCII table, cf_bitmapfile for bitmap files
    INT selectionAnchor;   // hex dump view saved when the entry stops being active
    INT selectionCaret;
    INT scrollOffset;
    DWORD offered;         // the TYMED_ bits the source offered, 0 for files and tables
    DWORD medium;          // the TYMED_ bit the bytes came from, 0 for files, tables and no bytes
    // The rest of the FORMATETC, so that a snapshot keeps it whole: the
    // target device is the entry's own copy (CoTaskMemAlloc), or null.
    DWORD aspect = 0;
    LONG lindex = 0;
    DVTARGETDEVICE* device = nullptr;
};

// Called with the row to show, or -1 before the table lets go of the blocks a
// viewer may still borrow.
using EntryActivateFn = void (*)(void* context, int index);

struct EntryTable {
    DataEntry* items;
    int count;
    int capacity;
    int active;            // the entry the viewers show, -1 for none
    HWND listView;         // mirrors the table row by row
    HWND window;           // whose title names where the entries came from
    EntryActivateFn activate;
    void* context;
    bool capturing;        // a capture is running: another one is refused, never nested
    unsigned clears;       // counts the clears, so a capture can tell its rows went meanwhile
};

// The entry at `index`, or null when there is none.
DataEntry* entry_at(EntryTable* table, int index);
const DataEntry* entry_at(const EntryTable* table, int index);

// A zeroed entry and an empty row at the end.
bool entry_append(EntryTable* table);
void entry_set_row_texts(HWND listView, int row, const wchar_t* const texts[6]);
void listview_set_cell_text(HWND listView, int row, int column, const wchar_t* text);
// Marks the row selected and focused (no other state bit) and shows it.
void entry_select_row(EntryTable* table, int row);
void entry_table_clear(EntryTable* table);
void entry_table_free(EntryTable* table);

void main_set_title(HWND window, const wchar_t* suffix);
