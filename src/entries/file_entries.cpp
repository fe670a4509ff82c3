// Whole files and the ASCII table as entries, and the open-file dialog.
#include "entries/entries.h"
#include "entries/entries_core.h"
#include "base/lazy_dll.h"
#include "base/win_raii.h"

#include <commdlg.h>

wchar_t main_file_path[260];

namespace {

const wchar_t* file_name_of(const wchar_t* path) {
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

// Stores a block as a new last entry and shows it; the block is freed when no
// row can be added.
void add_block_entry(EntryTable* table, HGLOBAL block, UINT size, INT format, const wchar_t* const texts[6]) {
    if (!entry_append(table)) {
        GlobalFree(block);
        return;
    }
    int row = table->count - 1;
    entry_set_row_texts(table->listView, row, texts);
    DataEntry& entry = table->items[row];
    entry.data = block;
    entry.size = size;
    entry.format = format;
    entry_select_row(table, row);
    main_set_title(table->window, L"Files & Tables");
}

}  // namespace

bool entry_choose_file(HWND window, const wchar_t* title) {
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window;
    ofn.lpstrFilter = L"All\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = main_file_path;
    ofn.nMaxFile = 260;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return lazy_get_open_file_name(&ofn) != FALSE;
}

void entry_add_file(EntryTable* table, const wchar_t* path) {
    HGLOBAL block = nullptr;
    UINT length = 0;
    if (!path || GlobalLoad(path, &block, &length) != 0) return;

    INT format = 0;
    {
        GlobalLockGuard bytes(block);
        if (bytes && starts_like_bitmap_file(bytes.get(), bytes.size() < length ? bytes.size() : length))
            format = cf_bitmapfile;
    }
    wchar_t size[kGroupedTextCapacity];
    size_to_grouped_text(length, size);
    const wchar_t* texts[6] = {file_name_of(path), L"-", L"(File)", L"-", L"HGLOBAL", size};
    add_block_entry(table, block, length, format, texts);
}

void entry_add_ascii_table(EntryTable* table) {
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, 256));
    if (!block) return;
    {
        GlobalLockGuard bytes(block.get());
        if (!bytes) return;
        unsigned char* p = bytes.as<unsigned char>();
        for (int i = 0; i < 256; ++i) p[i] = static_cast<unsigned char>(i);
    }
    const wchar_t* texts[6] = {L"ASCII Table", L"-", L"(Table)", L"-", L"HGLOBAL", L"256"};
    add_block_entry(table, block.release(), 256, 0, texts);
}
