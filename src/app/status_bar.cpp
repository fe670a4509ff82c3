// The status bar. Its texts are rebuilt from the entry table and the dump
// whenever something may have changed them, the selection part each time the
// dump says its selection changed (UIHDN_SELCHANGED). A note (a search that wrapped)
// takes the source's place until the next capture or search.
#include "app/status_bar.h"
#include "base/dpi_core.h"

#include "app/main_state.h"
#include "base/log.h"
#include "hexdump/uihexdump.h"
#include "splitter/splitter.h"

#include <commctrl.h>
#include <algorithm>
#include <cwchar>
#include <iterator>

namespace {


unsigned long long table_bytes(const EntryTable* table) {
    unsigned long long bytes = 0;
    for (int i = 0; i < table->count; ++i) bytes += table->items[i].size;
    return bytes;
}

void set_part(HWND bar, int part, const wchar_t* text) {
    wchar_t shown[200] = {};
    SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(shown));
    if (std::wcscmp(shown, text)) SendMessageW(bar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text));
}

}  // namespace

void main_layout(MainWindowState* state) {
    RECT area;
    GetClientRect(state->window, &area);
    if (state->statusBar && IsWindowVisible(state->statusBar)) {
        SendMessageW(state->statusBar, WM_SIZE, 0, 0);
        RECT bar;
        GetWindowRect(state->statusBar, &bar);
        area.bottom = std::max(area.top, area.bottom - (bar.bottom - bar.top));
        // The facts keep their room; the source takes what is left.
        const int right = area.right, dpi = state->dpi;
        const int widths[] = {right - dpi_scale(345, dpi), right - dpi_scale(280, dpi), right - dpi_scale(195, dpi),
                              right - dpi_scale(140, dpi), -1};
        SendMessageW(state->statusBar, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(widths));
    }
    SendMessageW(state->viewer.outerSplitter, UISPM_LAYOUT, 0, reinterpret_cast<LPARAM>(&area));
}

void main_set_status_bar(MainWindowState* state, bool on) {
    if (on && !state->statusBar)
        state->statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                           state->window, nullptr, g_instance, nullptr);
    if (!state->statusBar) return;
    ShowWindow(state->statusBar, on ? SW_SHOW : SW_HIDE);
    main_layout(state);
    main_status_refresh(state);
}

void main_status_capture(MainWindowState* state, const wchar_t* source, DWORD took) {
    if (source != state->captureSource)
        lstrcpynW(state->captureSource, source, static_cast<int>(std::size(state->captureSource)));
    state->captureTook = took;
    state->statusNote[0] = L'\0';
    if (state->statusBar && IsWindowVisible(state->statusBar))
        main_status_refresh(state);
    else
        log_message(1, "Main", "Capture: %d formats, %llu bytes, %lu ms, source %ls", state->entries.count,
                    table_bytes(&state->entries), took, source);
}

void main_status_refresh(MainWindowState* state) {
    HWND bar = state->statusBar;
    if (!bar || !IsWindowVisible(bar)) return;
    wchar_t text[200];
    set_part(bar, 0, state->statusNote[0] ? state->statusNote : state->captureSource);
    std::swprintf(text, std::size(text), L"%d formats", state->entries.count);
    set_part(bar, 1, text);
    std::swprintf(text, std::size(text), L"%llu bytes", table_bytes(&state->entries));
    set_part(bar, 2, text);
    std::swprintf(text, std::size(text), L"%lu ms", state->captureTook);
    set_part(bar, 3, text);
    int anchor = 0, caret = 0;
    SendMessageW(state->viewer.hexDump, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&anchor), reinterpret_cast<LPARAM>(&caret));
    std::swprintf(text, std::size(text), L"offset %d, length %d", std::min(anchor, caret),
                  anchor > caret ? anchor - caret : caret - anchor);
    set_part(bar, 4, text);
}

void main_status_note(MainWindowState* state, const wchar_t* note) {
    lstrcpynW(state->statusNote, note ? note : L"", static_cast<int>(std::size(state->statusNote)));
    if (state->statusBar && IsWindowVisible(state->statusBar))
        main_status_refresh(state);
    else if (note)
        MessageBeep(MB_OK);
}
