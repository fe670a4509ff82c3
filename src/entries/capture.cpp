// Capturing every format a data object offers: one entry and one row each,
// with a private copy of every block that can be had as global memory.
#include "entries/entries.h"
#include "entries/entries_core.h"
#include "entries/medium.h"
#include "base/log.h"

#include <cstdint>
#include <cstring>
#include <utility>

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

    MediumBytes bytes = formatetc->tymed ? entry_fetch_format(dataObject, *formatetc) : MediumBytes{};
    if (table->clears != mine.clears) {  // the row went with the rest
        if (bytes.block) GlobalFree(bytes.block);
        return false;
    }
    entry_fill_row(table, row, *formatetc, &bytes);
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

void entry_fill_row(EntryTable* table, int row, const FORMATETC& formatetc, MediumBytes* bytes) {
    wchar_t name[kEntryTextCapacity], device[kEntryTextCapacity], aspect[kEntryTextCapacity];
    wchar_t number[kEntryTextCapacity], media[kEntryTextCapacity], size[kGroupedTextCapacity] = L"";
    clipboard_format_name(formatetc.cfFormat, name);
    target_device_text(reinterpret_cast<std::uintptr_t>(formatetc.ptd), device);
    aspect_text(formatetc.dwAspect, aspect);
    index_text(formatetc.lindex, number);
    media_used_text(formatetc.tymed, bytes->block ? bytes->medium : 0, media);
    DataEntry* entry = &table->items[row];
    entry->format = formatetc.cfFormat;
    entry->offered = formatetc.tymed;
    entry->aspect = formatetc.dwAspect;
    entry->lindex = formatetc.lindex;
    if (entry->device) CoTaskMemFree(entry->device);
    entry->device = entry_copy_device(formatetc.ptd);
    if (bytes->block) {
        entry->data = std::exchange(bytes->block, nullptr);
        entry->size = bytes->size;
        entry->medium = bytes->medium;
        size_to_grouped_text(entry->size, size);
    }
    const wchar_t* texts[6] = {name, device, aspect, number, media, bytes->mark && !entry->data ? bytes->mark : size};
    entry_set_row_texts(table->listView, row, texts);
}

DVTARGETDEVICE* entry_copy_device(const DVTARGETDEVICE* device) {
    // The smallest device is its four offsets and size; a larger claim is
    // bounded so that a hostile size cannot ask for the whole address space.
    if (!device || device->tdSize < 12 || device->tdSize > kLargestDeviceBytes) return nullptr;
    auto* copy = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(device->tdSize));
    if (copy) std::memcpy(copy, device, device->tdSize);
    return copy;
}

void entry_capture_data_object(EntryTable* table, IDataObject* dataObject) {
    entry_capture_formats(table, dataObject, kMaxEnumeratedFormats);
}

void entry_capture_formats(EntryTable* table, IDataObject* dataObject, int limit) {
    if (!table || !dataObject) return;
    CaptureGuard guard(table);
    if (guard) capture_formats(table, dataObject, limit);
}
