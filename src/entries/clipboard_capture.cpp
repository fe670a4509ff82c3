// The window's half of the clipboard capture. The table is the window's alone:
// the worker only posts, and every event is checked against the running job's
// generation and against the table it started with before it is written.
#include "entries/clipboard_capture.h"

#include "base/log.h"
#include "entries/entries.h"
#include "entries/entries_core.h"
#include "entries/medium.h"

namespace {

void finish(ClipboardCapture* capture) {
    clipboard_job_abandon(capture->job);
    capture->job = nullptr;
    capture->took = GetTickCount() - capture->started;
}

// Rows from `from` on that got no answer get `mark` in the size column.
void mark_unread(EntryTable* table, const ClipboardCapture* capture, int from, const wchar_t* mark) {
    for (int row = from; row < capture->listed; ++row) {
        const DataEntry* entry = entry_at(table, row);
        if (entry && !entry->data && row >= capture->read) listview_set_cell_text(table->listView, row, 5, mark);
    }
}

void list_formats(EntryTable* table, ClipboardCapture* capture, const ClipboardEvent& event) {
    capture->listed = 0;
    for (int i = 0; i < event.count && entry_append(table); ++i) {
        MediumBytes none{};
        entry_fill_row(table, table->count - 1, event.formats[i], &none);
        ++capture->listed;
    }
}

void take_format(EntryTable* table, ClipboardCapture* capture, ClipboardEvent* event) {
    if (event->index < 0 || event->index >= capture->listed) return;
    capture->read = event->index + 1;
    DataEntry* entry = entry_at(table, event->index);
    if (!entry || entry->data) return;
    capture->bytes += event->bytes.block ? event->bytes.size : 0;
    // The row keeps the names it was listed with; its bytes, their size and
    // the medium they came from are new.
    if (event->bytes.block) {
        entry->data = event->bytes.block;
        entry->size = event->bytes.size;
        entry->medium = event->bytes.medium;
        event->bytes.block = nullptr;
        wchar_t size[kGroupedTextCapacity], media[kEntryTextCapacity];
        size_to_grouped_text(entry->size, size);
        listview_set_cell_text(table->listView, event->index, 5, size);
        media_used_text(entry->offered, entry->medium, media);
        listview_set_cell_text(table->listView, event->index, 4, media);
    } else if (event->bytes.mark) {
        listview_set_cell_text(table->listView, event->index, 5, event->bytes.mark);
    }
    if (event->index == 0 && table->active < 0) entry_select_row(table, 0);
    else if (event->index == table->active) table->activate(table->context, table->active);
}

}  // namespace

bool entry_clipboard_begin(EntryTable* table, ClipboardCapture* capture, HWND window, UINT message) {
    if (table->capturing) {
        log_message(0, "Main", "Capture refused: another capture is running.");
        return false;
    }
    if (capture->job) finish(capture);
    entry_table_clear(table);
    main_set_title(table->window, L"Clipboard");
    *capture = ClipboardCapture{nullptr, capture->generation + 1, table->clears, -1, 0, GetTickCount(), 0, 0};
    capture->job = clipboard_job_start(window, message, capture->generation);
    return capture->job != nullptr;
}

bool entry_clipboard_event(EntryTable* table, ClipboardCapture* capture, WPARAM generation, ClipboardEvent* event) {
    bool ended = false;
    if (capture->job && generation == capture->generation && event) {
        if (table->clears != capture->clears) {  // New, a drop or a file list replaced the rows meanwhile
            log_message(0, "Main", "Capture stopped: the entry table was changed meanwhile.");
            finish(capture);
            ended = true;
        } else if (event->kind == ClipboardEventKind::Formats) {
            list_formats(table, capture, *event);
        } else if (event->kind == ClipboardEventKind::Format) {
            take_format(table, capture, event);
        } else {
            finish(capture);
            ended = true;
        }
    }
    clipboard_event_free(event);
    return ended;
}

bool entry_clipboard_watchdog(EntryTable* table, ClipboardCapture* capture, DWORD now) {
    int index = 0;
    DWORD since = 0;
    if (!capture->job || !clipboard_job_waiting(capture->job, &index, &since) || now - since < kNoAnswerMs) return false;
    if (table->clears == capture->clears) {
        if (index >= 0 && index < capture->listed) {
            listview_set_cell_text(table->listView, index, 5, L"(no answer)");
            capture->read = index + 1;
        }
        mark_unread(table, capture, 0, L"(not read)");
    }
    log_message(0, "Main", "Capture: no answer from the clipboard for %lu ms (format %d).", now - since, index);
    finish(capture);
    return true;
}

void entry_clipboard_cancel(EntryTable* table, ClipboardCapture* capture) {
    if (!capture->job) return;
    if (table->clears == capture->clears) mark_unread(table, capture, 0, L"(not read)");
    log_message(1, "Main", "Capture cancelled after %d of %d formats.", capture->read, capture->listed < 0 ? 0 : capture->listed);
    finish(capture);
}
