// The window's side of capturing: starting and ending clipboard reads, the
// watchdog timer, watching for changes, and the line each capture leaves.
#include "app/capture.h"

#include "app/main_state.h"
#include "app/status_bar.h"
#include "base/log.h"
#include "entries/clipboard_capture.h"
#include "entries/entries.h"

#include <cwchar>
#include <iterator>
#include <utility>

namespace {

constexpr UINT kWatchdogMs = 250;

// The clipboard owner's program and process id, and the clipboard's sequence number.
void clipboard_source(wchar_t* text, size_t capacity) {
    DWORD process = 0;
    if (HWND owner = GetClipboardOwner()) GetWindowThreadProcessId(owner, &process);
    wchar_t path[MAX_PATH] = L"?";
    DWORD length = MAX_PATH;
    if (HANDLE handle = process ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process) : nullptr) {
        if (!QueryFullProcessImageNameW(handle, 0, path, &length)) lstrcpyW(path, L"?");
        CloseHandle(handle);
    }
    const wchar_t* name = std::wcsrchr(path, L'\\');
    std::swprintf(text, capacity, L"clipboard %ls (%lu), sequence %lu", name ? name + 1 : path, process,
                  GetClipboardSequenceNumber());
}

void capture_ended(MainWindowState* state) {
    KillTimer(state->window, kCaptureTimer);
    main_status_capture(state, state->captureSource, state->capture.took);
    if (std::exchange(state->readAgain, false)) main_capture_clipboard(state);
}

bool changed_by_this_process() {
    DWORD process = 0;
    HWND owner = GetClipboardOwner();
    return owner && GetWindowThreadProcessId(owner, &process) && process == GetCurrentProcessId();
}

}  // namespace

void main_capture_clipboard(MainWindowState* state) {
    if (entry_clipboard_running(&state->capture)) {
        main_capture_cancel(state);
        return;
    }
    clipboard_source(state->captureSource, std::size(state->captureSource));
    if (entry_clipboard_begin(&state->entries, &state->capture, state->window, WM_CLIPNOOK_CAPTURE))
        SetTimer(state->window, kCaptureTimer, kWatchdogMs, nullptr);
}

void main_capture_cancel(MainWindowState* state) {
    if (!entry_clipboard_running(&state->capture)) return;
    state->readAgain = false;  // the user stopped it: no read queued behind it either
    entry_clipboard_cancel(&state->entries, &state->capture);
    capture_ended(state);
}

void main_on_capture_event(MainWindowState* state, WPARAM generation, LPARAM event) {
    if (entry_clipboard_event(&state->entries, &state->capture, generation, reinterpret_cast<ClipboardEvent*>(event)))
        capture_ended(state);
}

void main_on_capture_timer(MainWindowState* state) {
    if (!entry_clipboard_running(&state->capture)) {
        KillTimer(state->window, kCaptureTimer);
        return;
    }
    if (entry_clipboard_watchdog(&state->entries, &state->capture, GetTickCount())) capture_ended(state);
}

void main_set_watching(MainWindowState* state, bool on) {
    if (on == state->watching) return;
    if (on ? !AddClipboardFormatListener(state->window) : !RemoveClipboardFormatListener(state->window)) {
        log_message(0, "Main", "Watch the clipboard: the listener failed (%lu).", GetLastError());
        return;
    }
    state->watching = on;
    log_message(1, "Main", on ? "Watch the clipboard: on" : "Watch the clipboard: off");
}

void main_on_clipboard_update(MainWindowState* state) {
    if (!state->watching || changed_by_this_process()) return;
    if (entry_clipboard_running(&state->capture))
        state->readAgain = true;
    else
        main_capture_clipboard(state);
}

void main_capture_drop(MainWindowState* state, void* dataObject) {
    EntryTable* table = &state->entries;
    if (entry_clipboard_running(&state->capture)) main_capture_cancel(state);  // the drop replaces its rows
    DWORD began = GetTickCount();
    entry_capture_data_object(table, static_cast<IDataObject*>(dataObject));
    main_status_capture(state, L"drop", GetTickCount() - began);
}
