// /save and /restore: a snapshot written or put back with no window shown.
// The entry table still mirrors its rows in a list view (that is where a
// snapshot's texts come from and go to), one that is never shown.
#include "snapshot/snapshot.h"

#include "base/log.h"
#include "entries/entries.h"

#include <commctrl.h>
#include <cstdio>

namespace {

// A table with its hidden list view, freed with it.
class HiddenTable {
public:
    HiddenTable() {
        table_.active = -1;
        table_.listView = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 0, 0, nullptr, nullptr,
                                          GetModuleHandleW(nullptr), nullptr);
        for (int column = 0; column < 6; ++column) {
            LVCOLUMNW c{};
            SendMessageW(table_.listView, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
        }
    }
    ~HiddenTable() {
        entry_table_free(&table_);
        if (table_.listView) DestroyWindow(table_.listView);
    }
    HiddenTable(const HiddenTable&) = delete;
    HiddenTable& operator=(const HiddenTable&) = delete;
    EntryTable* get() { return table_.listView ? &table_ : nullptr; }

private:
    EntryTable table_{};
};

// The reason on standard error when the program has one, and always in the log.
int fail(int code, const wchar_t* why) {
    log_message(0, "Main", "%ls", why);
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE && GetFileType(error) != FILE_TYPE_UNKNOWN) {
        char text[kSnapshotWhyCapacity * 3];
        int n = WideCharToMultiByte(CP_UTF8, 0, why, -1, text, sizeof text - 1, nullptr, nullptr);
        if (n > 0) {
            text[n - 1] = '\n';
            DWORD written = 0;
            WriteFile(error, text, static_cast<DWORD>(n), &written, nullptr);
        }
    }
    return code;
}

}  // namespace

int snapshot_run_save(const wchar_t* path) {
    HiddenTable table;
    if (!table.get()) return fail(3, L"No entry table could be made.");
    snapshot_read_clipboard(table.get());
    wchar_t why[kSnapshotWhyCapacity] = L"";
    return snapshot_save(table.get(), path, why) ? 0 : fail(2, why);
}

int snapshot_run_restore(const wchar_t* path) {
    HiddenTable table;
    if (!table.get()) return fail(3, L"No entry table could be made.");
    wchar_t why[kSnapshotWhyCapacity] = L"";
    SnapshotOpen opened = snapshot_open(table.get(), path, why);
    if (opened == SnapshotOpen::NotSnapshot) {
        std::swprintf(why, kSnapshotWhyCapacity, L"%ls is not a snapshot or cannot be read.", path);
        return fail(2, why);
    }
    if (opened == SnapshotOpen::Refused) return fail(2, why);
    // The clipboard's owner; its data stays when the window and the process go.
    HWND owner = CreateWindowExW(0, L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SnapshotPut put = snapshot_put_on_clipboard(table.get(), owner);
    if (owner) DestroyWindow(owner);
    if (!put.opened) return fail(3, L"The clipboard could not be opened.");
    return 0;
}
