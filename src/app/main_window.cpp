// The main window: creates and owns the children, keeps the focus across
// activation, routes notifications, paints the viewer pane off screen.
#include "app/main_state.h"
#include "app/capture.h"
#include "app/commands.h"
#include "app/values_pane.h"
#include "app/status_bar.h"
#include "app/resource_ids.h"
#include "base/dpi.h"
#include "base/dpi_core.h"
#include "base/log.h"
#include "base/win_raii.h"
#include "dnd/drop_target.h"
#include "entries/entries.h"
#include "hexdump/uihexdump.h"
#include "snapshot/snapshot.h"
#include "values/values_view.h"
#include "splitter/splitter.h"

#include <commctrl.h>
#include <cstdlib>

const wchar_t main_class_name[] = L"Clipnook";

namespace {

WNDPROC g_prev_ansi_edit_proc;
WNDPROC g_prev_wide_edit_proc;

struct ColumnSpec {
    const wchar_t* title;
    int width;
    int format;
};
const ColumnSpec kColumns[] = {
    {L"Data Format Name", 148, LVCFMT_LEFT}, {L"TD", 36, LVCFMT_LEFT},
    {L"Data Aspect", 80, LVCFMT_LEFT},       {L"Index", 48, LVCFMT_RIGHT},
    {L"Media Types", 118, LVCFMT_LEFT},      {L"HG. Size", 70, LVCFMT_RIGHT},
};

const DWORD kDumpStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | UIHDS_HEADER | UIHDS_NOHEADERBUTTONS;
const int kClientHeight = 486;  // at 96 DPI

// The window's size for a dump of `width` at `dpi`.
SIZE window_size(int width, int dpi) {
    RECT r{0, 0, width, dpi_scale(kClientHeight, dpi)};
    dpi_adjust_window_rect(&r, WS_OVERLAPPEDWINDOW, true, 0, dpi);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

HWND create_child(HWND parent, const wchar_t* cls, DWORD ex_style, DWORD style, int x, int y, int w, int h,
                  int id, bool ansi = false) {
    if (ansi)
        return CreateWindowExA(ex_style, "Edit", nullptr, style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
    return CreateWindowExW(ex_style, cls, nullptr, style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
}

void setup_edit(MainWindowState* state, HWND edit, WNDPROC* previous, bool ansi) {
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(state->viewer.font), FALSE);
    if (ansi)
        *previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit_subclass_proc)));
    else
        *previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit_subclass_proc)));
}

// The stock GUI font at the window's density (it is made for the system's).
HFONT make_gui_font(int dpi) {
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfHeight = dpi_rescale(lf.lfHeight, dpi, dpi_of_system());
    return CreateFontIndirectW(&lf);
}

void setup_list_view(MainWindowState* state) {
    HWND lv = state->listView;
    SendMessageW(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, static_cast<WPARAM>(-1), 0x14032);
    SendMessageW(lv, WM_SETFONT, reinterpret_cast<WPARAM>(state->viewer.font), FALSE);
    int index = 0;
    for (const ColumnSpec& c : kColumns) {
        LVCOLUMNW col{};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        col.fmt = c.format;
        col.cx = dpi_scale(c.width, state->dpi);
        col.pszText = const_cast<wchar_t*>(c.title);
        SendMessageW(lv, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&col));
    }
}

void activate_entry(void* context, int index) {
    main_activate_item_viewer(static_cast<MainWindowState*>(context), index);
}

// A row dragged out takes the whole list with it; with Ctrl only that row.
// The window's own target refuses it meanwhile: dropped back it would only
// replace the list with itself.
void on_list_begin_drag(MainWindowState* state, int row) {
    bool only = GetKeyState(VK_CONTROL) < 0;
    uidad_drop_set_own_drag(state->dropTarget, true);
    snapshot_drag(&state->entries, only ? row : -1);
    uidad_drop_set_own_drag(state->dropTarget, false);
}

void capture_drop(void* context, IDataObject* data) {
    main_capture_drop(static_cast<MainWindowState*>(context), data);
}

LRESULT on_create(HWND window) {
    auto* state = static_cast<MainWindowState*>(std::calloc(1, sizeof(MainWindowState)));
    if (!state) return -1;
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(state));
    state->window = window;
    EntryTable& table = state->entries;
    table.active = -1;
    table.window = window;
    table.activate = activate_entry;
    table.context = state;
    ViewerState& viewer = state->viewer;
    viewer.fitMode = 1;
    viewer.centerBitmap = 1;

    viewer.localeText = GlobalAlloc(GMEM_MOVEABLE, 256);
    state->dpi = dpi_of_window(window);
    const int dpi = state->dpi;
    viewer.font = make_gui_font(dpi);

    const DWORD edit_style = WS_CHILD | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE |
                             ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;

    viewer.outerSplitter = create_child(window, UISPLITTER_CLASS, 0, WS_CHILD | WS_VISIBLE | UISPS_HORIZONTAL,
                                        dpi_scale(323, dpi), dpi_scale(323, dpi), dpi_scale(3, dpi),
                                        dpi_scale(3, dpi), IDC_OUTER_SPLITTER);
    if (!viewer.outerSplitter) return -1;
    state->innerSplitter = create_child(window, UISPLITTER_CLASS, 0, WS_CHILD | WS_VISIBLE | UISPS_HORIZONTAL,
                                        dpi_scale(160, dpi), dpi_scale(160, dpi), dpi_scale(3, dpi),
                                        dpi_scale(3, dpi), IDC_INNER_SPLITTER);
    if (!state->innerSplitter) return -1;
    viewer.viewerPane = create_child(window, L"Static", WS_EX_CLIENTEDGE,
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL | SS_NOTIFY |
                                         SS_OWNERDRAW,
                                     0, 0, 0, 0, IDC_VIEWER_PANE);
    if (!viewer.viewerPane) return -1;
    SetScrollRange(viewer.viewerPane, SB_HORZ, 0, 0, TRUE);
    SetScrollRange(viewer.viewerPane, SB_VERT, 0, 0, TRUE);
    viewer.ansiEdit = create_child(window, nullptr, WS_EX_CLIENTEDGE, edit_style, 0, 0, 0, 0, IDC_ANSI_EDIT, true);
    if (!viewer.ansiEdit) return -1;
    setup_edit(state, viewer.ansiEdit, &g_prev_ansi_edit_proc, true);
    viewer.wideEdit = create_child(window, L"Edit", WS_EX_CLIENTEDGE, edit_style, 0, 0, 0, 0, IDC_WIDE_EDIT);
    if (!viewer.wideEdit) return -1;
    setup_edit(state, viewer.wideEdit, &g_prev_wide_edit_proc, false);
    state->listView = create_child(window, WC_LISTVIEWW, WS_EX_CLIENTEDGE,
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | LVS_REPORT |
                                       LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                                   0, 0, 0, 0, IDC_LISTVIEW);
    if (!state->listView) return -1;
    table.listView = state->listView;
    setup_list_view(state);
    viewer.hexDump = create_child(window, UIHEXDUMP_CLASS, WS_EX_CLIENTEDGE, kDumpStyle, 0, 0, 0, 0, IDC_HEXDUMP);
    if (!viewer.hexDump) return -1;
    SendMessageW(viewer.outerSplitter, UISPM_SETPANES, reinterpret_cast<WPARAM>(state->innerSplitter),
                 reinterpret_cast<LPARAM>(viewer.viewerPane));
    SendMessageW(state->innerSplitter, UISPM_SETPANES, reinterpret_cast<WPARAM>(state->listView),
                 reinterpret_cast<LPARAM>(viewer.hexDump));

    static const FORMATETC no_formats[1] = {};
    uidad_drop_register(window, &state->dropTarget, no_formats, DropHandler{capture_drop, state});

    // The first activation hands it the focus: focusing a child now would
    // activate the hidden window, and showing it activates it once more.
    state->focusWindow = GetNextDlgTabItem(window, nullptr, FALSE);
    return 0;
}

void on_destroy(HWND window, MainWindowState* state) {
    main_set_watching(state, false);
    main_capture_cancel(state);
    uidad_drop_unregister(window, &state->dropTarget);
    entry_table_free(&state->entries);
    SetWindowLongPtrW(window, 0, 0);
    std::free(state);
    PostQuitMessage(0);
}

void remember_focus(MainWindowState* state) {
    if (HWND focus = GetFocus()) state->focusWindow = focus;
}

// The remembered child may have been hidden since (a viewer swapped out while
// the window was inactive); the focus must not go to a window nobody sees.
void restore_focus(MainWindowState* state) {
    HWND target = state->focusWindow;
    if (!target) return;
    if (!IsChild(state->window, target) || !(GetWindowLongPtrW(target, GWL_STYLE) & WS_VISIBLE))
        target = state->listView;
    SetFocus(target);
}

void on_activate(MainWindowState* state, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE)
        remember_focus(state);
    else
        restore_focus(state);
}

void on_list_item_changed(MainWindowState* state) {
    int index = static_cast<int>(SendMessageW(state->listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                              MAKELPARAM(LVNI_SELECTED, 0)));
    main_activate_item_viewer(state, index);
}

void on_draw_item(MainWindowState* state, const DRAWITEMSTRUCT* item) {
    log_message(0, "Main", "main_on_WM_DRAWITEM");
    const RECT& r = item->rcItem;
    if (r.left >= r.right || r.top >= r.bottom) return;
    MemoryCanvas canvas(item->hDC, r.right - r.left, r.bottom - r.top);
    if (!canvas) return;
    // The canvas is as large as the rectangle but drawn at the rectangle's own
    // coordinates, so shift the origin for the paint and copy back one to one.
    SetViewportOrgEx(canvas.dc(), -r.left, -r.top, nullptr);
    viewer_pane_paint(&state->viewer, &state->entries, canvas.dc(), &r);
    SetViewportOrgEx(canvas.dc(), 0, 0, nullptr);
    BitBlt(item->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, canvas.dc(), 0, 0, SRCCOPY);
}

// Moved to a screen of another density: the suggested rectangle keeps the
// window's size in inches; fonts, columns and bars follow.
void on_dpi_changed(MainWindowState* state, int dpi, const RECT* suggested) {
    const int old = state->dpi;
    state->dpi = dpi;
    ViewerState& viewer = state->viewer;
    HFONT previous = viewer.font;
    viewer.font = make_gui_font(dpi);
    for (HWND w : {state->listView, viewer.ansiEdit, viewer.wideEdit})
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(viewer.font), TRUE);
    if (previous) DeleteObject(previous);
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i) {
        const int width = static_cast<int>(SendMessageW(state->listView, LVM_GETCOLUMNWIDTH, i, 0));
        SendMessageW(state->listView, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(dpi_rescale(width, dpi, old), 0));
    }
    for (HWND splitter : {viewer.outerSplitter, state->innerSplitter})
        SendMessageW(splitter, UISPM_RESCALE, static_cast<WPARAM>(dpi), old);
    SendMessageW(viewer.hexDump, UIHDM_REBUILDFONTS, static_cast<WPARAM>(dpi), 0);
    SetWindowPos(state->window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    main_layout(state);
    InvalidateRect(state->window, nullptr, TRUE);
}

}  // namespace

void main_activate_item_viewer(MainWindowState* state, int index) {
    viewer_activate(&state->viewer, &state->entries, index);
}

LRESULT CALLBACK edit_subclass_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    bool ansi = !IsWindowUnicode(window);
    LRESULT result = ansi ? CallWindowProcA(g_prev_ansi_edit_proc, window, message, wParam, lParam)
                          : CallWindowProcW(g_prev_wide_edit_proc, window, message, wParam, lParam);
    if (message == WM_GETDLGCODE) result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    return result;
}

LRESULT CALLBACK main_wndproc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindowState* state = main_state(window);
    if (message == WM_CREATE) return on_create(window);
    if (!state) return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
    case WM_DESTROY:
        on_destroy(window, state);
        return 0;
    case WM_SIZE:
        main_layout(state);
        break;
    case WM_ERASEBKGND:
        return 0;
    case WM_DPICHANGED:
        on_dpi_changed(state, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        on_activate(state, wParam);
        return 0;
    case WM_SETFOCUS:
        restore_focus(state);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE) remember_focus(state);
        break;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == LVN_ITEMCHANGED) on_list_item_changed(state);
        if (reinterpret_cast<const NMHDR*>(lParam)->code == LVN_BEGINDRAG)
            on_list_begin_drag(state, reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem);
        if (reinterpret_cast<const NMHDR*>(lParam)->code == UIHDN_SELCHANGED) {
            main_inspector_refresh(state);
            main_status_refresh(state);
        }
        break;
    case WM_DRAWITEM:
        on_draw_item(state, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        break;
    case WM_CONTEXTMENU:
        log_message(0, "Main", "WM_CONTEXTMENU");
        main_on_context_menu(state, reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    case WM_CLIPNOOK_REFUSED:
        main_on_refused_snapshot(state, lParam);
        return 0;
    case WM_CLIPNOOK_CAPTURE:
        main_on_capture_event(state, wParam, lParam);
        return 0;
    case WM_TIMER:
        if (wParam == kCaptureTimer) main_on_capture_timer(state);
        return 0;
    case WM_CLIPBOARDUPDATE:
        main_on_clipboard_update(state);
        return 0;
    case WM_INITMENUPOPUP:
        main_update_menu(state, reinterpret_cast<HMENU>(wParam));
        break;
    case WM_COMMAND: {
        bool handled = false;
        LRESULT result = main_on_command(state, wParam, lParam, &handled);
        if (handled) return result;
        break;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

ATOM main_register_class(HINSTANCE instance) {
    inspector_register(instance);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = main_wndproc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAIN), IMAGE_ICON, 32, 32, 0));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAIN), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN);
    wc.lpszClassName = main_class_name;
    return RegisterClassExW(&wc);
}

// Made at the size the dump asks for on the primary screen, where a default
// position puts it: sizing it again once the dump exists would cost another
// round of window messages and a resize of its X window.
HWND main_create_window(HINSTANCE instance) {
    const int dpi = dpi_of_system();
    const SIZE size = window_size(uihexdump_first_ideal_width(dpi, kDumpStyle, WS_EX_CLIENTEDGE), dpi);
    return CreateWindowExW(0, main_class_name, L"Clipnook", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                           size.cy, nullptr, nullptr, instance, nullptr);
}

void main_size_to_hexdump(HWND window) {
    MainWindowState* state = main_state(window);
    const int width = static_cast<int>(SendMessageW(state->viewer.hexDump, UIHDM_GETIDEALWIDTH, 0, 0));
    const SIZE size = window_size(width, state->dpi);
    RECT now;
    GetWindowRect(window, &now);
    if (now.right - now.left != size.cx || now.bottom - now.top != size.cy)
        SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
}

void main_register_formats() { entry_register_formats(); }
