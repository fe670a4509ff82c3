// The clipboard capture as the window runs it: the worker's events written
// into the table row by row, a watchdog for an owner that stops answering,
// and cancelling. Only the window's thread calls these.
#pragma once
#include "entries/clipboard_job.h"
#include "entries/entry_table.h"

// A format (or the listing) that gets no answer this long ends the capture.
constexpr DWORD kNoAnswerMs = 5000;

struct ClipboardCapture {
    ClipboardJob* job;   // null while none runs
    WPARAM generation;   // the running job's; events of earlier ones are dropped
    unsigned clears;     // the table's clears when the job started
    int listed;          // rows of the job, -1 until its list came
    int read;            // formats whose answer came
    DWORD started;       // GetTickCount at the start
    DWORD took;          // milliseconds the last capture took
    unsigned long long bytes;
};

// Clears the table, names it "Clipboard" and starts the worker. Refused (and
// logged) while a drop's capture runs; false then or when no worker starts.
bool entry_clipboard_begin(EntryTable* table, ClipboardCapture* capture, HWND window, UINT message);
// Takes one posted event (and frees it); true when it ended the capture.
bool entry_clipboard_event(EntryTable* table, ClipboardCapture* capture, WPARAM generation, ClipboardEvent* event);
// Ends the capture when its worker has waited kNoAnswerMs or more by `now`:
// the format it waits on says "(no answer)", the ones after it "(not read)".
bool entry_clipboard_watchdog(EntryTable* table, ClipboardCapture* capture, DWORD now);
// Ends the capture and keeps what was read; rows still without an answer say
// "(not read)". Nothing happens when none runs.
void entry_clipboard_cancel(EntryTable* table, ClipboardCapture* capture);
inline bool entry_clipboard_running(const ClipboardCapture* capture) { return capture->job != nullptr; }
