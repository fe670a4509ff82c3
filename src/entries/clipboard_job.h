// Reading the clipboard on a worker thread, so that an owner that does not
// answer never freezes the window. The worker has its own apartment, opens
// the clipboard's data object itself, and posts what it reads to the window
// format by format; the window owns the entry table and is the only one that
// touches it.
#pragma once
#include "entries/medium.h"

#include <windows.h>
#include <objidl.h>

// What the worker posts: wParam the job's generation, lParam a ClipboardEvent*
// that the receiver frees with clipboard_event_free (also when it ignores it).
enum class ClipboardEventKind {
    Formats,  // `formats`/`count`: everything the clipboard offers, in order
    Format,   // `index`: that format's bytes (or mark) in `bytes`
    Done,     // the worker is finished; `count` formats were read
};

struct ClipboardEvent {
    ClipboardEventKind kind;
    int index;
    int count;
    FORMATETC* formats;  // Formats: `count` entries, each target device owned by the event
    MediumBytes bytes;   // Format: owned by the event until taken (set block to null)
};

void clipboard_event_free(ClipboardEvent* event);

struct ClipboardJob;

// Starts a worker; null when no thread could be started.
ClipboardJob* clipboard_job_start(HWND window, UINT message, WPARAM generation);
// What the worker waits on and since when (GetTickCount): a format's index,
// or -1 while it opens the clipboard and lists its formats; false when it
// waits on nothing (between formats, or finished).
bool clipboard_job_waiting(const ClipboardJob* job, int* index, DWORD* since);
// The window stops listening: the worker stops after the call it is in
// (which may never return; then the thread is left to end on its own), and
// what it posts later is dropped by its generation. The job is not used again.
void clipboard_job_abandon(ClipboardJob* job);
