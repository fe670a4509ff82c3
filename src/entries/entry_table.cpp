// The entry table, its list rows, the title,
// and the global-memory helpers every subsystem shares.
#include "entries/entries.h"
#include "entries/entries_core.h"
#include "base/log.h"
#include "base/win_raii.h"

#include <commctrl.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

unsigned long handle_value(HGLOBAL block) {
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(block));
}

}  // namespace

DataEntry* entry_at(EntryTable* table, int index) {
    return table && table->items && index >= 0 && index < table->count ? &table->items[index] : nullptr;
}

const DataEntry* entry_at(const EntryTable* table, int index) {
    return entry_at(const_cast<EntryTable*>(table), index);
}

bool entry_append(EntryTable* table) {
    if (!table) return false;
    if (table->count >= table->capacity) {
        int capacity = table->capacity + 4;
        void* grown = std::realloc(table->items, sizeof(DataEntry) * static_cast<std::size_t>(capacity));
        if (!grown) return false;
        table->items = static_cast<DataEntry*>(grown);
        table->capacity = capacity;
    }
    table->items[table->count] = DataEntry{};

    LVITEMW item{};
    item.mask = LVIF_STATE | LVIF_PARAM;
    item.iItem = table->count;
    item.state = 0;
    item.stateMask = static_cast<UINT>(-1);
    item.lParam = table->count;
    if (SendMessageW(table->listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0) return false;
    ++table->count;
    return true;
}

void listview_set_cell_text(HWND listView, int row, int column, const wchar_t* text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text);
    SendMessageW(listView, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void entry_set_row_texts(HWND listView, int row, const wchar_t* const texts[6]) {
    for (int column = 0; column < 6; ++column) listview_set_cell_text(listView, row, column, texts[column]);
}

void entry_select_row(EntryTable* table, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(table->listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    if (table->activate) table->activate(table->context, row);
}

void entry_table_clear(EntryTable* table) {
    if (!table) return;
    // The viewers borrow the active block: let them go before it is freed.
    if (table->activate) table->activate(table->context, -1);
    SendMessageW(table->listView, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < table->count; ++i) {
        DataEntry& e = table->items[i];
        if (e.data) GlobalFree(e.data);
        if (e.device) CoTaskMemFree(e.device);
        e.data = nullptr;
        e.device = nullptr;
        e.size = 0;
        e.format = 0;
    }
    table->count = 0;
    ++table->clears;
}

void entry_table_free(EntryTable* table) {
    if (!table) return;
    entry_table_clear(table);
    std::free(table->items);
    table->items = nullptr;
    table->capacity = 0;
}

void main_set_title(HWND window, const wchar_t* suffix) {
    wchar_t title[300];
    if (suffix)
        _snwprintf(title, 300, L"Clipnook [%ls]", suffix);
    else
        lstrcpyW(title, L"Clipnook");
    title[299] = 0;
    SetWindowTextW(window, title);
}

HGLOBAL GlobalDuplicate(HGLOBAL block) {
    GlobalLockGuard in(block);
    if (!in) {
        log_message(0, "Main", "GlobalLock( In) failed on $%lX", handle_value(block));
        return nullptr;
    }
    SIZE_T size = GlobalSize(block);
    GlobalBlock copy(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!copy) {
        log_message(0, "Main", "GlobalAlloc( Out) failed. Size = %ld", static_cast<long>(size));
        return nullptr;
    }
    {
        GlobalLockGuard out(copy.get());
        if (!out) {
            log_message(0, "Main", "GlobalLock( Out) failed on $%lX", handle_value(copy.get()));
            return nullptr;  // the guard frees the new block
        }
        std::memcpy(out.get(), in.get(), size);
    }
    return copy.release();
}

int GlobalSave(HGLOBAL block, UINT length, const wchar_t* path) {
    if (!path) return -2;
    int result = 0;
    if (!block) {
        result = -1;
    } else if (FILE* file = _wfopen(path, L"wb")) {
        {
            GlobalLockGuard bytes(block);
            if (!bytes) {
                result = -3;
            } else {
                std::int64_t count = save_length(static_cast<std::int32_t>(length), bytes.size());
                if (count <= 0 ||
                    std::fwrite(bytes.get(), 1, static_cast<std::size_t>(count), file) != static_cast<std::size_t>(count))
                    result = -4;
            }
        }
        if (std::fclose(file) != 0 && result == 0) result = -5;
    } else {
        result = -2;
    }
    if (result != 0) _wremove(path);
    return result;
}

int GlobalLoad(const wchar_t* path, HGLOBAL* block, UINT* length) {
    if (block) *block = nullptr;
    if (length) *length = 0;
    if (!path || !block || !length) return -1;
    FILE* file = _wfopen(path, L"rb");
    if (!file) return -1;
    int result = 0;
    std::int64_t size = -1;
    if (_fseeki64(file, 0, SEEK_END) != 0 || (size = _ftelli64(file)) < 0 || _fseeki64(file, 0, SEEK_SET) != 0) {
        result = -2;
    } else if (!file_length_loadable(size)) {
        result = -3;  // the entry's 32-bit size could not describe it
    } else {
        GlobalBlock loaded(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size)));
        if (!loaded) {
            result = -3;
        } else {
            {
                GlobalLockGuard bytes(loaded.get());
                if (!bytes)
                    result = -4;
                else if (size == 0 ||
                         std::fread(bytes.get(), 1, static_cast<std::size_t>(size), file) != static_cast<std::size_t>(size))
                    result = -5;
            }
            if (result == 0) {
                *block = loaded.release();
                *length = static_cast<UINT>(size);
            }
        }
    }
    std::fclose(file);
    return result;
}
