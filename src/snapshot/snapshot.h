// Snapshots on the Win32 side: the entry table written to a snapshot file and
// read back from one, put on the clipboard, and the command-line /save and
// /restore that run without a window. The file format is snapshot_core's.
#pragma once
#include "entries/entry_table.h"

#include <cstddef>

// The longest message any of these leaves in `why`.
constexpr std::size_t kSnapshotWhyCapacity = 600;

// The save dialog ("Clipnook snapshot (*.clipnook)"); false on cancel.
bool snapshot_choose_path(HWND owner, wchar_t* path, std::size_t capacity);

// Writes every entry with its row's texts into a temporary file in the
// target's folder and replaces the target only once all of it is written and
// flushed; on failure the target is as it was and `why` says what happened.
bool snapshot_save(const EntryTable* table, const wchar_t* path, wchar_t* why);

enum class SnapshotOpen {
    NotSnapshot,  // the file does not start with the magic (or cannot be read): nothing done
    Opened,       // the table holds the snapshot's entries
    Refused,      // a snapshot that does not check out: the table is untouched, `why` names the file and offset
};
SnapshotOpen snapshot_open(EntryTable* table, const wchar_t* path, wchar_t* why);

struct SnapshotPut {
    bool opened;  // the clipboard could be opened and emptied
    int put;
    int skipped;  // entries without bytes, without a clipboard id, with a target device or bytes no handle can be made of
};
// Every entry onto the clipboard as its own data (no delayed rendering), so
// it stays there after this process ends. `owner` becomes the clipboard's owner.
SnapshotPut snapshot_put_on_clipboard(const EntryTable* table, HWND owner);

// A data object of every entry (`only` -1) or of row `only`, holding its own
// copies; null when no entry has a clipboard format and bytes. The caller releases it.
IDataObject* snapshot_data_object(const EntryTable* table, int only);
// Drags that object (it is its own drop source) until it is dropped or cancelled.
DWORD snapshot_drag(const EntryTable* table, int only);

// Reads the clipboard into the table on this thread, every format through
// the clipboard's own calls (the command line's /save has no window to keep
// answering, so no worker is needed).
void snapshot_read_clipboard(EntryTable* table);

// `/save FILE` and `/restore FILE`: done without a window; the exit code is 0,
// or non-zero with the reason on standard error (when there is one) and in the log.
int snapshot_run_save(const wchar_t* path);
int snapshot_run_restore(const wchar_t* path);
