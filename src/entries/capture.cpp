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

// The source's calls may dispatch messages (COM does while it waits on another
// process), so a command run meanwhile can clear the table or add rows to it.
// The capture remembers the table as it left it and looks again after every
// such call: rows are only ever removed all at once, so while no clear came
// its row is still its own; after anyone else's clear or append it stops.
struct TableShape {
    unsigned clears;
    int count;
};
TableShape shape_of(const EntryTable* table) { return {table->clears, table->count}; }
bool left_alone(const EntryTable* table, TableShape shape) {
    return table->clears == shape.clears && table->count == shape.count;
}

// One capture at a time: a second one started from inside the source's calls
// (F5, another drop) would clear the rows the first is filling.
class CaptureGuard {
public:
    explicit CaptureGuard(EntryTable* table) : table_(table->capturing ? nullptr : table) {
        if (table_)
            table_->capturing = true;
        else
            log_message(0, "Main", "Capture refused: another capture is running.");
    }
    ~CaptureGuard() {
        if (table_) table_->capturing = false;
    }
    CaptureGuard(const CaptureGuard&) = delete;
    CaptureGuard& operator=(const CaptureGuard&) = delete;
    explicit operator bool() const { return table_ != nullptr; }

private:
    EntryTable* table_;
};

// Fetches the format as global memory into a private copy (*copy); returns the
// size column's mark when nothing could be kept, else null.
const wchar_t* fetch_block(const FORMATETC* offered, IDataObject* dataObject, HGLOBAL* copy) {
    FORMATETC wanted = *offered;
    wanted.tymed = TYMED_HGLOBAL;
    STGMEDIUM medium{};
    // Every success code hands over a medium (DATA_S_SAMEFORMATETC is one);
    // only a failure leaves nothing to release.
    if (FAILED(dataObject->GetData(&wanted, &medium))) return L"?GetData";

    const wchar_t* mark = nullptr;
    // Only the medium asked for is read; anything else the object hands back
    // counts as a failed fetch, but it is still ours to release.
    if (medium.tymed != TYMED_HGLOBAL) {
        mark = L"?GetData";
    } else if (!medium.hGlobal) {
        mark = L"?NULL";
    } else if (!size_fits_entry(GlobalSize(medium.hGlobal))) {
        mark = L"?Dup";  // beyond what the 32-bit size can describe
    } else if (!(*copy = GlobalDuplicate(medium.hGlobal))) {
        mark = L"?Dup";
    }
    ReleaseStgMedium(&medium);
    return mark;
}

// Adds one offered format as the last entry (index: its number in this
// capture). False when the capture must stop: the table changed meanwhile.
bool add_format(EntryTable* table, int index, const FORMATETC* formatetc, IDataObject* dataObject) {
    if (index == 0) {
        entry_table_clear(table);
        main_set_title(table->window, L"Dropped Object");
    }
    if (!entry_append(table)) return true;
    // Equal to index unless an earlier row of this capture could not be added.
    int row = table->count - 1;
    TableShape mine = shape_of(table);

    wchar_t name[kEntryTextCapacity], device[kEntryTextCapacity], aspect[kEntryTextCapacity];
    wchar_t number[kEntryTextCapacity], media[kEntryTextCapacity], size[kGroupedTextCapacity] = L"";
    clipboard_format_name(formatetc->cfFormat, name);
    target_device_text(reinterpret_cast<std::uintptr_t>(formatetc->ptd), device);
    aspect_text(formatetc->dwAspect, aspect);
    index_text(formatetc->lindex, number);
    media_text(formatetc->tymed, media);

    HGLOBAL copy = nullptr;
    const wchar_t* sizeText = size;
    if (formatetc->tymed & TYMED_HGLOBAL) {
        if (const wchar_t* mark = fetch_block(formatetc, dataObject, &copy)) sizeText = mark;
    }
    if (table->clears != mine.clears) {  // the row went with the rest
        if (copy) GlobalFree(copy);
        return false;
    }
    DataEntry* entry = &table->items[row];  // read again: appends may have moved the array
    entry->format = formatetc->cfFormat;
    if (copy) {
        entry->data = copy;
        entry->size = static_cast<UINT>(GlobalSize(copy));
        size_to_grouped_text(entry->size, size);
    }
    const wchar_t* texts[6] = {name, device, aspect, number, media, sizeText};
    entry_set_row_texts(table->listView, row, texts);

    // Rows someone else added meanwhile keep the selection they were given.
    bool alone = left_alone(table, mine);
    if (index == 0 && alone) entry_select_row(table, row);
    return alone;
}

// The capture proper; false when it was cut short by a change made meanwhile.
bool capture_formats(EntryTable* table, IDataObject* dataObject, int limit) {
    IEnumFORMATETC* formats = nullptr;
    if (FAILED(dataObject->EnumFormatEtc(DATADIR_GET, &formats)) || !formats) return true;
    bool alone = true;
    if (SUCCEEDED(formats->Reset())) {
        TableShape last = shape_of(table);
        for (int i = 0; alone && i < limit; ++i) {
            FORMATETC offered{};
            ULONG fetched = 0;
            if (formats->Next(1, &offered, &fetched) != S_OK) break;
            // The first format replaces whatever the table holds by then.
            alone = (i == 0 || left_alone(table, last)) && add_format(table, i, &offered, dataObject);
            last = shape_of(table);
            if (offered.ptd) CoTaskMemFree(offered.ptd);
        }
    }
    formats->Release();
    if (!alone) log_message(0, "Main", "Capture stopped: the entry table was changed meanwhile.");
    return alone;
}

}  // namespace

void entry_capture_data_object(EntryTable* table, IDataObject* dataObject) {
    entry_capture_formats(table, dataObject, kMaxEnumeratedFormats);
}

void entry_capture_formats(EntryTable* table, IDataObject* dataObject, int limit) {
    if (!table || !dataObject) return;
    CaptureGuard guard(table);
    if (guard) capture_formats(table, dataObject, limit);
}

void entry_capture_clipboard(EntryTable* table) {
    CaptureGuard guard(table);
    if (!guard) return;
    entry_table_clear(table);
    IDataObject* clipboard = nullptr;
    bool alone = true;
    if (SUCCEEDED(OleGetClipboard(&clipboard)) && clipboard) {
        alone = capture_formats(table, clipboard, kMaxEnumeratedFormats);
        clipboard->Release();
    }
    // A clear or an entry made meanwhile named the list already.
    if (alone) main_set_title(table->window, L"Clipboard");
}
