// Whole files and the ASCII table as entries, and the New List from File command.
#include "entries/entries.h"
#include "entries/entries_core.h"
#include "entries/entries_internal.h"
#include "entries/entry.h"
#include "app/log.h"
#include "app/main_state.h"
#include "app/win_raii.h"

#include <commdlg.h>

wchar_t main_file_path[260];

namespace {

const wchar_t* file_name_of(const wchar_t* path) {
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

// Stores a block as a new last entry and shows it; the block is freed when no
// row can be added.
void add_block_entry(HWND window, HGLOBAL block, UINT size, INT format, const wchar_t* const texts[6]) {
    MainWindowState* state = main_state(window);
    if (!state || !entry_append(state)) {
        GlobalFree(block);
        return;
    }
    int row = state->entryCount - 1;
    entry_set_row_texts(state->listView, row, texts);
    DataEntry& entry = state->entries[row];
    entry.data = block;
    entry.size = size;
    entry.format = format;
    entry_select_row(state, row);
    main_set_title(window, L"Files & Tables");
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
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameW(&ofn) != FALSE;
}

void entry_add_file(HWND window, const wchar_t* path) {
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
    add_block_entry(window, block, length, format, texts);
}

void main_on_new_list_from_file(HWND window) {
    log_message(1, "Main", "Select a file, clear the list and add the file.");
    if (!entry_choose_file(window, L"New List from File")) return;
    entry_table_clear(main_state(window));
    entry_add_file(window, main_file_path);
}

void main_on_ascii_table(HWND window) {
    log_message(1, "Main", "Add an ASCII table entry to the view.");
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, 256));
    if (!block) return;
    {
        GlobalLockGuard bytes(block.get());
        if (!bytes) return;
        unsigned char* p = bytes.as<unsigned char>();
        for (int i = 0; i < 256; ++i) p[i] = static_cast<unsigned char>(i);
    }
    const wchar_t* texts[6] = {L"ASCII Table", L"-", L"(Table)", L"-", L"HGLOBAL", L"256"};
    add_block_entry(window, block.release(), 256, 0, texts);
}
