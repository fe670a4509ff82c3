// The window's side of capturing: starting and ending clipboard reads, the
// watchdog timer, watching for changes, and the line each capture leaves.
#include "app/capture.h"

#include "app/main_state.h"
#include "app/status_bar.h"
#include "base/log.h"
#include "entries/clipboard_capture.h"
#include "base/win_raii.h"
#include "entries/entries.h"
#include "snapshot/snapshot.h"
#include "viewer/formats_core.h"

#include <cstdlib>
#include <cstring>

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

// The one file a shell drop names, when it names exactly one. The list is
// another program's bytes: it is read through the checked parser, not the
// shell's own call.
bool single_dropped_file(IDataObject* data, wchar_t* path) {
    FORMATETC wanted{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&wanted, &medium))) return false;
    bool one = false;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        GlobalLockGuard block(medium.hGlobal);
        const auto* bytes = block.as<uint8_t>();
        const DropFiles list = block ? formats_parse_hdrop(bytes, block.size()) : DropFiles{};
        if (list.header && list.names.size() == 1 && list.problems.empty()) {
            const TextSpan& name = list.names[0];
            const size_t units = list.wide ? name.bytes / 2 : name.bytes;
            if (units && units < MAX_PATH) {
                if (list.wide)
                    std::memcpy(path, bytes + name.offset, units * 2), path[units] = 0;
                else
                    path[MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes + name.offset),
                                             static_cast<int>(units), path, MAX_PATH - 1)] = 0;
                one = path[0] != 0;
            }
        }
    }
    ReleaseStgMedium(&medium);
    return one;
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
    wchar_t path[MAX_PATH], why[kSnapshotWhyCapacity];
    if (!table->capturing && single_dropped_file(static_cast<IDataObject*>(dataObject), path)) {
        switch (snapshot_open(table, path, why)) {
        case SnapshotOpen::Opened:
            main_status_capture(state, L"snapshot", 0);
            return;
        case SnapshotOpen::Refused:
            // Said once Drop has returned: the source waits for it meanwhile.
            if (wchar_t* text = _wcsdup(why); text && !PostMessageW(state->window, WM_CLIPNOOK_REFUSED, 0,
                                                                     reinterpret_cast<LPARAM>(text)))
                std::free(text);
            return;
        case SnapshotOpen::NotSnapshot:
            break;
        }
    }
    DWORD began = GetTickCount();
    entry_capture_data_object(table, static_cast<IDataObject*>(dataObject));
    main_status_capture(state, L"drop", GetTickCount() - began);
}

void main_on_refused_snapshot(MainWindowState* state, LPARAM text) {
    auto* why = reinterpret_cast<wchar_t*>(text);
    MessageBoxW(state->window, why, L"Clipnook", MB_OK | MB_ICONERROR);
    std::free(why);
}
