// Reading the clipboard from the window: F5 and start-up, Esc, watching the
// clipboard, and the facts of each capture (where from, how much, how long).
#pragma once
#include <windows.h>

struct MainWindowState;

// The worker's events and the watchdog's timer.
constexpr UINT WM_CLIPNOOK_CAPTURE = WM_APP + 1;
constexpr UINT_PTR kCaptureTimer = 0xC1;
// A snapshot file dropped from the shell that does not check out: lParam the
// message text (malloc'd), shown once Drop has returned.
constexpr UINT WM_CLIPNOOK_REFUSED = WM_APP + 2;

// F5 and start-up: the table is cleared and the rows come as the worker reads
// them. While a capture runs, F5 ends it as Esc does.
void main_capture_clipboard(MainWindowState* state);
// Esc: ends a running capture, keeping what was read.
void main_capture_cancel(MainWindowState* state);
void main_on_capture_event(MainWindowState* state, WPARAM generation, LPARAM event);
void main_on_capture_timer(MainWindowState* state);

// Watch the clipboard (id 2040, /watch): on or off, logged.
void main_set_watching(MainWindowState* state, bool on);
// WM_CLIPBOARDUPDATE: read again unless this process made the change; a change
// during a capture reads once more after it.
void main_on_clipboard_update(MainWindowState* state);

// A drop's capture, synchronous inside Drop (the source owns its data only
// until Drop returns), with its facts logged like the clipboard's.
// A shell drop of one snapshot file opens the snapshot instead.
void main_capture_drop(MainWindowState* state, void* dataObject);
void main_on_refused_snapshot(MainWindowState* state, LPARAM text);
