// Command dispatch, menu enabling and the two context menus the main window
// builds at run time. Most commands act on the focused child, not on a fixed
// control, so the keyboard focus decides what Copy, Select all and the Copy As
// and Export As families do.
#include "app/commands.h"
#include "app/capture.h"
#include "app/status_bar.h"
#include "app/values_pane.h"
#include "app/commands_core.h"
#include "app/dialogs.h"
#include "base/log.h"
#include "app/main_state.h"
#include "base/win_raii.h"
#include "entries/entries.h"
#include "export/export.h"
#include "find/find_dialog.h"
#include "hexdump/uihexdump.h"
#include "shell/shell.h"
#include "snapshot/snapshot.h"
#include "viewer/viewer.h"

namespace {

constexpr UINT kGray = MF_BYCOMMAND | MF_GRAYED | MF_DISABLED;
constexpr UINT kEnable = MF_BYCOMMAND | MF_ENABLED;

void set_enabled(HMENU menu, int first, int last, bool enabled) {
    for (int id = first; id <= last; ++id) EnableMenuItem(menu, id, enabled ? kEnable : kGray);
}

bool hexdump_selection_empty(HWND hexDump) {
    int anchor = 0;
    int caret = 0;
    SendMessageW(hexDump, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&anchor), reinterpret_cast<LPARAM>(&caret));
    return anchor == caret;
}

void on_exit(MainWindowState* state) {
    log_message(1, "Main", "Exit the application.");
    SendMessageW(state->window, WM_CLOSE, 0, 0);
}

void on_empty_clipboard(MainWindowState* state) {
    log_message(1, "Main", "Empty the clipboard.");
    ClipboardGuard clipboard(state->window);
    if (clipboard) EmptyClipboard();
}

void on_new(MainWindowState* state) {
    log_message(1, "Main", "Clear the view");
    entry_table_clear(&state->entries);
    main_set_title(state->window, nullptr);
}

void on_new_list_from_file(MainWindowState* state) {
    log_message(1, "Main", "Select a file, clear the list and add the file.");
    if (!entry_choose_file(state->window, L"New List from File")) return;
    main_open_file(state, main_file_path, true);
}

void on_save_snapshot(MainWindowState* state) {
    log_message(1, "Main", "Save the entries as a snapshot.");
    static wchar_t path[MAX_PATH];
    if (!snapshot_choose_path(state->window, path, MAX_PATH)) return;
    wchar_t why[kSnapshotWhyCapacity];
    if (!snapshot_save(&state->entries, path, why)) MessageBoxW(state->window, why, L"Clipnook", MB_OK | MB_ICONERROR);
}

void on_put_on_clipboard(MainWindowState* state) {
    log_message(1, "Main", "Put the entries on the clipboard.");
    SnapshotPut put = snapshot_put_on_clipboard(&state->entries, state->window);
    wchar_t text[200];
    if (!put.opened)
        lstrcpyW(text, L"The clipboard could not be opened.");
    else if (put.skipped)
        wsprintfW(text, L"%d of %d entries could not be put on the clipboard and were skipped.", put.skipped,
                  put.put + put.skipped);
    else
        return;
    MessageBoxW(state->window, text, L"Clipnook", MB_OK | MB_ICONWARNING);
}

void on_ascii_table(MainWindowState* state) {
    log_message(1, "Main", "Add an ASCII table entry to the view.");
    entry_add_ascii_table(&state->entries);
}

void on_select_all() {
    HWND focus = GetFocus();
    if (is_hexdump_window(focus)) SendMessageW(focus, UIHDM_SETSEL, 0, static_cast<LPARAM>(-1));
}

// Copy As 2021..2027 are the kinds from Dump on; Export 2028..2035 start at Raw.
void on_copy_as(int id) {
    HWND focus = GetFocus();
    if (is_hexdump_window(focus))
        export_copy_as(focus, static_cast<ExportKind>(id - IDM_COPY_AS_DUMP + static_cast<int>(ExportKind::Dump)));
}

void on_export_as(int id) {
    HWND focus = GetFocus();
    if (is_hexdump_window(focus)) export_save_as(focus, static_cast<ExportKind>(id - IDM_EXPORT));
}

// Find opens the form; Find next and previous open it only when nothing was searched for yet.
void on_find(MainWindowState* state, int id) {
    main_status_note(state, nullptr);
    if ((id == IDM_FIND || !find_last.confirmed) && !find_dialog_run(state->window, &find_last)) return;
    const FindStep step = id == IDM_FIND_NEXT ? FindStep::Next : id == IDM_FIND_PREVIOUS ? FindStep::Previous
                                                                                         : FindStep::Fresh;
    const FindOutcome outcome = find_in_dump(state->viewer.hexDump, find_last, step);
    if (outcome == FindOutcome::Missed) {
        MessageBoxW(state->window, L"Not found", L"Find", MB_OK | MB_ICONINFORMATION);
        return;
    }
    SetFocus(state->viewer.hexDump);
    if (outcome == FindOutcome::Wrapped)
        main_status_note(state, step == FindStep::Previous ? L"Search wrapped to the end" : L"Search wrapped to the start");
}

struct MenuItemSpec {
    UINT id;           // 0 for a separator
    const char* text;
};

const MenuItemSpec kCopyAsItems[] = {
    {IDM_COPY_AS_DUMP, "Dump\tCtrl+Shift+C"}, {0, nullptr},
    {IDM_COPY_AS_C_ARRAY, "C Array"},          {IDM_COPY_AS_C_STRING, "C String"},
    {IDM_COPY_AS_CSHARP_ARRAY, "C# Array"},    {IDM_COPY_AS_JAVA_ARRAY, "Java Array"},
    {IDM_COPY_AS_PASCAL_ARRAY, "Pascal Array"}, {IDM_COPY_AS_VBNET_ARRAY, "VB.NET Array"},
};

const MenuItemSpec kExportAsItems[] = {
    {IDM_EXPORT_AS_DUMP, "Dump...\tCtrl+Shift+E"}, {0, nullptr},
    {IDM_EXPORT_AS_C_ARRAY, "C Array..."},          {IDM_EXPORT_AS_C_STRING, "C String..."},
    {IDM_EXPORT_AS_CSHARP_ARRAY, "C# Array..."},    {IDM_EXPORT_AS_JAVA_ARRAY, "Java Array..."},
    {IDM_EXPORT_AS_PASCAL_ARRAY, "Pascal Array..."}, {IDM_EXPORT_AS_VBNET_ARRAY, "VB.NET Array..."},
};

template <size_t N>
HMENU build_popup(const MenuItemSpec (&items)[N]) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MenuItemSpec& item : items)
        AppendMenuA(menu, item.id ? MF_STRING : MF_SEPARATOR, item.id, item.text);
    return menu;
}

HMENU build_copy_as_menu() { return build_popup(kCopyAsItems); }
HMENU build_export_as_menu() { return build_popup(kExportAsItems); }

// Destroys a popup with its submenus, also when building it failed half way.
class PopupMenu {
public:
    explicit PopupMenu(HMENU menu) : menu_(menu) {}
    ~PopupMenu() { if (menu_) DestroyMenu(menu_); }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU get() const { return menu_; }
private:
    HMENU menu_;
};

void show_hexdump_menu(MainWindowState* state, LPARAM position) {
    PopupMenu top(CreatePopupMenu());
    if (!top.get()) return;
    HMENU copy_as = build_copy_as_menu();
    HMENU export_as = build_export_as_menu();
    // Attached submenus go with the top menu; a loose one is freed here.
    AppendMenuA(top.get(), MF_STRING, IDM_COPY, "Copy\tCtrl+C");
    if (copy_as && !AppendMenuA(top.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(copy_as), "Copy As")) {
        DestroyMenu(copy_as);
        copy_as = nullptr;
    }
    AppendMenuA(top.get(), MF_STRING, IDM_EXPORT, "Export...\tCtrl+E");
    if (export_as && !AppendMenuA(top.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(export_as), "Export As")) {
        DestroyMenu(export_as);
        export_as = nullptr;
    }

    bool enabled = !hexdump_selection_empty(state->viewer.hexDump);
    set_enabled(top.get(), IDM_COPY, IDM_COPY, enabled);
    set_enabled(top.get(), IDM_COPY_AS_DUMP, IDM_EXPORT_AS_VBNET_ARRAY, enabled);

    RECT client{};
    GetClientRect(state->viewer.hexDump, &client);
    bool keyboard = false;
    MenuPoint p = context_menu_point(static_cast<std::uint32_t>(position), client.left, client.top, client.right,
                                     client.bottom, &keyboard);
    POINT at{p.x, p.y};
    if (keyboard) ClientToScreen(state->viewer.hexDump, &at);
    TrackPopupMenu(top.get(), TPM_LEFTALIGN, at.x, at.y, 0, state->window, nullptr);
}

void show_viewer_pane_menu(MainWindowState* state, LPARAM position) {
    PopupMenu menu(CreatePopupMenu());
    if (!menu.get()) return;
    AppendMenuA(menu.get(), MF_STRING, kFitMenuBase + 0, "Don't fit bitmaps to view");
    AppendMenuA(menu.get(), MF_STRING, kFitMenuBase + 1, "Fit bitmaps to view");
    AppendMenuA(menu.get(), MF_STRING, kFitMenuBase + 2, "Fit only large bitmaps to view");
    CheckMenuRadioItem(menu.get(), kFitMenuBase, kFitMenuBase + kFitModeCount - 1, kFitMenuBase + state->viewer.fitMode,
                       MF_BYCOMMAND);
    int choice = static_cast<int>(TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RETURNCMD,
                                                 static_cast<std::int16_t>(LOWORD(position)),
                                                 static_cast<std::int16_t>(HIWORD(position)), 0, state->window,
                                                 nullptr));
    int mode = fit_mode_from_menu_choice(choice);
    if (mode >= 0) viewer_set_fit_mode(&state->viewer, mode);
}

}  // namespace

LRESULT main_on_command(MainWindowState* state, WPARAM wParam, LPARAM, bool* handled) {
    *handled = false;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    HWND window = state->window;
    switch (id) {
    case IDM_EXIT:
        on_exit(state);  // the state record is gone afterwards
        break;
    case IDM_ABOUT:
        main_on_about(window);
        break;
    case IDM_OPEN_CLIPBOARD:
        main_on_clipboard(window);
        break;
    case IDM_EMPTY_CLIPBOARD:
        on_empty_clipboard(state);
        break;
    case IDM_NEW:
        on_new(state);
        break;
    case IDM_COPY:
        SendMessageW(GetFocus(), WM_COPY, 0, 0);
        break;
    case IDM_SELECT_ALL:
        on_select_all();
        break;
    case IDM_ADD_FILE:
        main_on_add_file(window);
        break;
    case IDM_ADD_ASCII_TABLE:
        on_ascii_table(state);
        break;
    case IDM_GOTO:
        main_on_goto(window);
        *handled = true;
        return 1;
    case IDM_FIND:
    case IDM_FIND_NEXT:
    case IDM_FIND_PREVIOUS:
        on_find(state, id);
        break;
    case IDM_DATA_INSPECTOR:
        main_set_inspector(state, !main_inspector_shown(state));
        break;
    case IDM_STATUS_BAR:
        main_set_status_bar(state, !(state->statusBar && IsWindowVisible(state->statusBar)));
        break;
    case IDM_WATCH_CLIPBOARD:
        main_set_watching(state, !state->watching);
        break;
    case IDCANCEL:  // Esc, through the dialog manager
        main_capture_cancel(state);
        break;
    case IDM_SHELL_ADD:
        shell_add_to_context_menu(window);
        break;
    case IDM_SHELL_REMOVE:
        shell_remove_from_context_menu(window);
        break;
    case IDM_OPEN_FILE:
        on_new_list_from_file(state);
        break;
    case IDM_SAVE_SNAPSHOT:
        on_save_snapshot(state);
        break;
    case IDM_PUT_ON_CLIPBOARD:
        on_put_on_clipboard(state);
        break;
    default:
        if (id >= IDM_COPY_AS_DUMP && id <= IDM_COPY_AS_VBNET_ARRAY)
            on_copy_as(id);
        else if (id >= IDM_EXPORT && id <= IDM_EXPORT_AS_VBNET_ARRAY)
            on_export_as(id);
        else
            log_message(0, "Main", "WM_COMMAND %d not handled (%d).", id, code);
        break;
    }
    return 0;
}

int main_update_menu(MainWindowState* state, HMENU menu) {
    HWND focus = GetFocus();
    EnableMenuItem(menu, IDM_CUT, kGray);
    EnableMenuItem(menu, IDM_PASTE, kGray);
    if (is_hexdump_window(focus)) {
        bool has_selection = !hexdump_selection_empty(focus);
        set_enabled(menu, IDM_COPY, IDM_COPY, has_selection);
        set_enabled(menu, IDM_COPY_AS_DUMP, IDM_EXPORT_AS_VBNET_ARRAY, has_selection);
        EnableMenuItem(menu, IDM_SELECT_ALL, kEnable);
    } else {
        set_enabled(menu, IDM_COPY, IDM_COPY, false);
        set_enabled(menu, IDM_COPY_AS_DUMP, IDM_EXPORT_AS_VBNET_ARRAY, false);
        EnableMenuItem(menu, IDM_SELECT_ALL, kGray);
    }
    EnableMenuItem(menu, IDM_GOTO, kEnable);
    // An empty list makes no snapshot, and putting it on the clipboard would only empty that.
    set_enabled(menu, IDM_SAVE_SNAPSHOT, IDM_PUT_ON_CLIPBOARD, state->entries.count > 0);
    set_enabled(menu, IDM_FIND, IDM_FIND_PREVIOUS, state->entries.active >= 0);
    CheckMenuItem(menu, IDM_STATUS_BAR,
                  MF_BYCOMMAND | (state->statusBar && IsWindowVisible(state->statusBar) ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_DATA_INSPECTOR, MF_BYCOMMAND | (main_inspector_shown(state) ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_WATCH_CLIPBOARD, MF_BYCOMMAND | (state->watching ? MF_CHECKED : MF_UNCHECKED));
    // A verb this account cannot remove (one left for every account, without
    // administrator rights) does not count: Add is offered then.
    bool verb_present = shell_verb_removable();
    EnableMenuItem(menu, IDM_SHELL_ADD, verb_present ? kGray : kEnable);
    EnableMenuItem(menu, IDM_SHELL_REMOVE, verb_present ? kEnable : kGray);
    return 0;
}

void main_on_context_menu(MainWindowState* state, HWND from, LPARAM position) {
    if (from && from == state->viewer.viewerPane) {
        if (viewer_shows_bitmap(&state->entries)) show_viewer_pane_menu(state, position);
    } else if (from && from == state->viewer.hexDump) {
        show_hexdump_menu(state, position);
    }
}

void main_on_add_file(HWND window) {
    log_message(1, "Main", "Select a file and add it to the view.");
    // Same dialog as "Open file...", sharing its path buffer, only the title differs.
    if (!entry_choose_file(window, L"Add File to List")) return;
    entry_add_file(&main_state(window)->entries, main_file_path);
    main_status_capture(main_state(window), L"files", 0);
}

void main_open_file(MainWindowState* state, const wchar_t* path, bool clear) {
    wchar_t why[kSnapshotWhyCapacity];
    switch (snapshot_open(&state->entries, path, why)) {
    case SnapshotOpen::Opened:
        main_status_capture(state, L"snapshot", 0);
        return;
    case SnapshotOpen::Refused:
        MessageBoxW(state->window, why, L"Clipnook", MB_OK | MB_ICONERROR);
        return;
    case SnapshotOpen::NotSnapshot:
        break;
    }
    if (clear) entry_table_clear(&state->entries);
    entry_add_file(&state->entries, path);
    main_status_capture(state, L"files", 0);
}

void main_on_clipboard(HWND window) {
    log_message(1, "Main", "Clear the view and add the clipboard content.");
    main_capture_clipboard(main_state(window));
}
