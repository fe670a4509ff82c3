// The UIInspector window: a report list view filling its client area. The
// rows' names are written once; a new position changes only the values, so
// the list neither flickers nor loses its scroll position as the caret moves.
#include "values/values_view.h"
#include "values/values_core.h"

#include "base/local_time.h"

#include <commctrl.h>
#include <cstdlib>
#include <string>

namespace {

struct InspectorState {
    HWND window;
    HWND list;
};

InspectorState* inspector_state(HWND w) { return reinterpret_cast<InspectorState*>(GetWindowLongPtrW(w, 0)); }

const wchar_t kNotAvailable[] = L"\u2014";

void set_cell(HWND list, int row, int column, const wchar_t* text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text);
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void add_columns_and_rows(HWND list) {
    const struct { const wchar_t* title; int width; } columns[] = {{L"Type", 80}, {L"Value", 235}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = columns[i].width;
        column.pszText = const_cast<wchar_t*>(columns[i].title);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    int row = 0;
    for (const InspectorRow& r : inspector_rows(nullptr, 0, 0)) {
        std::wstring label(r.label, r.label + std::char_traits<char>::length(r.label));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = label.data();
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        set_cell(list, row++, 1, kNotAvailable);
    }
}

LRESULT on_create(HWND w) {
    auto* s = static_cast<InspectorState*>(std::calloc(1, sizeof(InspectorState)));
    if (!s) return -1;
    SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(s));
    s->window = w;
    s->list = CreateWindowExW(0, WC_LISTVIEWW, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER |
                                  LVS_SHOWSELALWAYS,
                              0, 0, 0, 0, w, nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(w, GWLP_HINSTANCE)),
                              nullptr);
    if (!s->list) return -1;
    SendMessageW(s->list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    add_columns_and_rows(s->list);
    return 0;
}

void on_ncdestroy(HWND w, InspectorState* s) {
    SetWindowLongPtrW(w, 0, 0);
    std::free(s);
}

void on_size(InspectorState* s, int width, int height) { MoveWindow(s->list, 0, 0, width, height, TRUE); }

// A time row shows the local date and time when there is one, else its number.
std::u16string shown_value(const InspectorRow& r) {
    if (!r.available) return reinterpret_cast<const char16_t*>(kNotAvailable);
    if (r.isTime && r.timeValid) {
        std::u16string local = local_time_text(r.fileTime);
        if (!local.empty()) return local;
    }
    return r.value;
}

LRESULT on_show(InspectorState* s, const InspectorBytes* bytes) {
    const InspectorBytes none{nullptr, 0, 0};
    if (!bytes || !bytes->data) bytes = &none;
    int row = 0;
    for (const InspectorRow& r : inspector_rows(bytes->data, bytes->size, bytes->position)) {
        std::u16string value = shown_value(r);
        set_cell(s->list, row++, 1, reinterpret_cast<const wchar_t*>(value.c_str()));
    }
    return 1;
}

LRESULT CALLBACK inspector_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CREATE) return on_create(w);
    InspectorState* s = inspector_state(w);
    if (!s) return DefWindowProcW(w, msg, wp, lp);
    switch (msg) {
    case WM_NCDESTROY: on_ncdestroy(w, s); break;
    case WM_SIZE: on_size(s, LOWORD(lp), HIWORD(lp)); return 0;
    case WM_SETFONT: SendMessageW(s->list, WM_SETFONT, wp, lp); return 0;
    case WM_SETFOCUS: SetFocus(s->list); return 0;
    case UIINM_SHOW: return on_show(s, reinterpret_cast<const InspectorBytes*>(lp));
    case UIINM_GETLIST: return reinterpret_cast<LRESULT>(s->list);
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

ATOM inspector_register(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = inspector_proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = UIINSPECTOR_CLASS;
    return RegisterClassExW(&wc);
}
