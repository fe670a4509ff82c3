// Capturing every format a data object offers: one entry and one row each,
// with a private copy of every block that can be had as global memory.
#include "entries/entries.h"
#include "entries/entries_core.h"
#include "base/log.h"

#include <cstdint>

UINT cf_filename;
UINT cf_filenamew;

void entry_register_formats() {
    cf_filename = RegisterClipboardFormatA("FileName");
    cf_filenamew = RegisterClipboardFormatA("FileNameW");
}

void clipboard_format_name(UINT format, wchar_t* text) {
    default_format_name(format, text);
    wchar_t registered[kEntryTextCapacity];
    if (GetClipboardFormatNameW(format, registered, static_cast<int>(kEntryTextCapacity)) > 0) {
        registered[kEntryTextCapacity - 1] = 0;
        lstrcpynW(text, registered, static_cast<int>(kEntryTextCapacity));
    }
}

namespace {

// A block size the entry's 32-bit size can hold (always true on 32-bit builds).
bool size_fits_entry(std::uint64_t size) { return size <= 0xFFFFFFFFull; }

// Fetches the format as global memory and keeps a copy in the entry; returns
// the size column's text (a mark when nothing could be kept).
const wchar_t* fetch_block(const FORMATETC* offered, IDataObject* dataObject, DataEntry* entry) {
    FORMATETC wanted = *offered;
    wanted.tymed = TYMED_HGLOBAL;
    STGMEDIUM medium{};
    if (dataObject->GetData(&wanted, &medium) != S_OK) return L"?GetData";

    const wchar_t* mark = nullptr;
    // Only the medium asked for is read; anything else the object hands back
    // counts as a failed fetch, but it is still ours to release.
    if (medium.tymed != TYMED_HGLOBAL) {
        mark = L"?GetData";
    } else if (!medium.hGlobal) {
        mark = L"?NULL";
    } else if (!size_fits_entry(GlobalSize(medium.hGlobal))) {
        mark = L"?Dup";  // beyond what the 32-bit size can describe
    } else if (HGLOBAL copy = GlobalDuplicate(medium.hGlobal)) {
        entry->data = copy;
        entry->size = static_cast<UINT>(GlobalSize(copy));
    } else {
        mark = L"?Dup";
    }
    ReleaseStgMedium(&medium);
    return mark;
}

}  // namespace

void entry_add_format(EntryTable* table, int index, FORMATETC* formatetc, IDataObject* dataObject) {
    if (!table || !formatetc || !dataObject) return;
    if (index == 0) {
        entry_table_clear(table);
        main_set_title(table->window, L"Dropped Object");
    }
    if (!entry_append(table)) return;
    // Equal to index unless an earlier row of this capture could not be added.
    int row = table->count - 1;
    DataEntry* entry = &table->items[row];
    entry->format = formatetc->cfFormat;

    wchar_t name[kEntryTextCapacity], device[kEntryTextCapacity], aspect[kEntryTextCapacity];
    wchar_t number[kEntryTextCapacity], media[kEntryTextCapacity], size[kGroupedTextCapacity] = L"";
    clipboard_format_name(formatetc->cfFormat, name);
    target_device_text(reinterpret_cast<std::uintptr_t>(formatetc->ptd), device);
    aspect_text(formatetc->dwAspect, aspect);
    index_text(formatetc->lindex, number);
    media_text(formatetc->tymed, media);

    const wchar_t* sizeText = size;
    if (formatetc->tymed & TYMED_HGLOBAL) {
        if (const wchar_t* mark = fetch_block(formatetc, dataObject, entry))
            sizeText = mark;
        else
            size_to_grouped_text(entry->size, size);
    }
    const wchar_t* texts[6] = {name, device, aspect, number, media, sizeText};
    entry_set_row_texts(table->listView, row, texts);

    if (index == 0) entry_select_row(table, row);
}

void entry_capture_data_object(EntryTable* table, IDataObject* dataObject) {
    entry_capture_formats(table, dataObject, kMaxEnumeratedFormats);
}

void entry_capture_formats(EntryTable* table, IDataObject* dataObject, int limit) {
    if (!dataObject) return;
    IEnumFORMATETC* formats = nullptr;
    if (FAILED(dataObject->EnumFormatEtc(DATADIR_GET, &formats)) || !formats) return;
    if (SUCCEEDED(formats->Reset())) {
        for (int i = 0; i < limit; ++i) {
            FORMATETC offered{};
            ULONG fetched = 0;
            if (formats->Next(1, &offered, &fetched) != S_OK) break;
            entry_add_format(table, i, &offered, dataObject);
            if (offered.ptd) CoTaskMemFree(offered.ptd);
        }
    }
    formats->Release();
}

void entry_capture_clipboard(EntryTable* table) {
    entry_table_clear(table);
    IDataObject* clipboard = nullptr;
    if (SUCCEEDED(OleGetClipboard(&clipboard)) && clipboard) {
        entry_capture_data_object(table, clipboard);
        clipboard->Release();
    }
    main_set_title(table->window, L"Clipboard");
}
