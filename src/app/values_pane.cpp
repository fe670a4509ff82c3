// The inspector's place: a vertical splitter takes the dump's pane of the
// inner splitter and shares it between the dump and the inspector; turned
// off, the dump has the pane to itself again.
#include "app/values_pane.h"

#include "app/main_state.h"
#include "app/status_bar.h"
#include "base/win_raii.h"
#include "hexdump/uihexdump.h"
#include "values/values_view.h"
#include "splitter/splitter.h"

#include <algorithm>

namespace {

constexpr int kInspectorWidth = 340;  // its two columns and a scroll bar

// The window grows by the inspector's width (unless maximised), so the dump
// keeps its columns; the bar goes where the dump's right edge was.
bool make_room(MainWindowState* state) {
    if (!state->inspector) {
        state->inspector = CreateWindowExW(WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT, UIINSPECTOR_CLASS, nullptr,
                                           WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, state->window,
                                           reinterpret_cast<HMENU>(IDC_INSPECTOR), g_instance, nullptr);
        if (!state->inspector) return false;
        SendMessageW(state->inspector, WM_SETFONT, reinterpret_cast<WPARAM>(state->viewer.font), FALSE);
    }
    RECT dump{};
    GetWindowRect(state->viewer.hexDump, &dump);
    state->dumpSplitter = CreateWindowExW(0, UISPLITTER_CLASS, nullptr, WS_CHILD, dump.right - dump.left, 0, 3, 3,
                                          state->window, reinterpret_cast<HMENU>(IDC_DUMP_SPLITTER), g_instance, nullptr);
    if (!state->dumpSplitter) return false;
    SendMessageW(state->dumpSplitter, UISPM_SETPANES, reinterpret_cast<WPARAM>(state->viewer.hexDump),
                 reinterpret_cast<LPARAM>(state->inspector));
    if (!IsZoomed(state->window)) {
        RECT frame{};
        GetWindowRect(state->window, &frame);
        SetWindowPos(state->window, nullptr, 0, 0, frame.right - frame.left + kInspectorWidth, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

// The window gives the inspector's width and its bar back (measured while
// both are still in place).
void give_back_room(MainWindowState* state, const RECT& inspector, const RECT& dump) {
    DestroyWindow(state->dumpSplitter);
    state->dumpSplitter = nullptr;
    if (IsZoomed(state->window)) return;
    RECT frame{};
    GetWindowRect(state->window, &frame);
    const int width = std::max(200, static_cast<int>(frame.right - frame.left - (inspector.right - dump.right)));
    SetWindowPos(state->window, nullptr, 0, 0, width, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool main_inspector_shown(const MainWindowState* state) {
    // Its own flag, not IsWindowVisible: it stays on while the main window is hidden.
    return state->inspector && (GetWindowLongPtrW(state->inspector, GWL_STYLE) & WS_VISIBLE);
}

void main_set_inspector(MainWindowState* state, bool on) {
    if (on == main_inspector_shown(state)) return;
    if (on && !make_room(state)) return;
    RECT inspector{}, dump{};
    GetWindowRect(state->inspector, &inspector);
    GetWindowRect(state->viewer.hexDump, &dump);
    SendMessageW(state->innerSplitter, UISPM_SETPANES, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(on ? state->dumpSplitter : state->viewer.hexDump));
    ShowWindow(state->inspector, on ? SW_SHOW : SW_HIDE);
    if (on) ShowWindow(state->dumpSplitter, SW_SHOW);
    else give_back_room(state, inspector, dump);
    main_layout(state);
    main_inspector_refresh(state);
}

void main_inspector_refresh(MainWindowState* state) {
    if (!main_inspector_shown(state)) return;
    const DataEntry* entry = entry_at(&state->entries, state->entries.active);
    GlobalLockGuard lock(entry ? entry->data : nullptr);
    int anchor = 0, caret = 0;
    SendMessageW(state->viewer.hexDump, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&anchor),
                 reinterpret_cast<LPARAM>(&caret));
    // Never more than the block holds, nor than the entry says it has.
    const SIZE_T size = entry ? std::min<SIZE_T>(entry->size, lock.size()) : 0;
    const InspectorBytes bytes{lock.as<const uint8_t>(), size, static_cast<size_t>(std::max(caret, 0))};
    SendMessageW(state->inspector, UIINM_SHOW, 0, reinterpret_cast<LPARAM>(&bytes));
}
