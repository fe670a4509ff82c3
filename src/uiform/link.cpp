#include "uiform/link.h"
#include "uiform/link_core.h"
#include "base/lazy_dll.h"
#include "base/win_raii.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>
#include <cwchar>

struct LinkState {
    WNDPROC oldProc;
    DWORD options;
    HINSTANCE instance;
    HFONT underlineFont;
    HWND tooltip;
    LPARAM pressed;
    wchar_t address[LINK_ADDRESS_MAX + 1];
    // Set when another subclass sits above ours at WM_DESTROY, so the previous
    // procedure cannot be put back and the state must live to WM_NCDESTROY.
    bool outlived;
};

namespace {

constexpr UINT kCopyLinkCommand = 1000;
// Marks a control as a link, so that link_open never reads another control's user data as a LinkState.
constexpr wchar_t kLinkProperty[] = L"ClipnookLink";

LinkState* link_state(HWND window) {
    return reinterpret_cast<LinkState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT call_old(LinkState* s, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(s->oldProc, window, message, wParam, lParam);
}

LRESULT on_set_address(LinkState* s, HWND window, const wchar_t* address) {
    s->address[0] = 0;
    if (address) {
        wcsncpy(s->address, address, LINK_ADDRESS_MAX);
        s->address[LINK_ADDRESS_MAX] = 0;
    }
    if (!s->underlineFont) SendMessageW(window, WM_SETFONT, SendMessageW(window, WM_GETFONT, 0, 0), FALSE);
    return 1;
}

LRESULT on_set_font(LinkState* s, HWND window, WPARAM wParam, LPARAM lParam) {
    LOGFONTA description;
    HFONT given = reinterpret_cast<HFONT>(wParam);
    if (given && GetObjectA(given, sizeof description, &description) == sizeof description) {
        description.lfUnderline = TRUE;
        HFONT underlined = CreateFontIndirectA(&description);
        if (underlined) {
            if (s->underlineFont) DeleteObject(s->underlineFont);
            s->underlineFont = underlined;
            wParam = reinterpret_cast<WPARAM>(underlined);
        }
    }
    return call_old(s, window, WM_SETFONT, wParam, lParam);
}

RECT focus_rect(const LinkState* s, HWND window) {
    RECT r;
    GetClientRect(window, &r);
    if (s->options & LINK_CENTERED) InflateRect(&r, -2, -2);
    return r;
}

LRESULT on_paint(LinkState* s, HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc) {
        RECT client;
        GetClientRect(window, &client);
        SelectGuard font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
        SetBkMode(dc, TRANSPARENT);
        bool disabled = (GetWindowLongW(window, GWL_STYLE) & WS_DISABLED) != 0;
        SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 255));
        UINT format = DT_VCENTER | DT_SINGLELINE | ((s->options & LINK_CENTERED) ? DT_CENTER : 0);
        wchar_t text[257];
        GetWindowTextW(window, text, 257);
        if (DrawTextW(dc, text, -1, &client, format) == 0) {
            char narrow[257];
            GetWindowTextA(window, narrow, 257);
            DrawTextA(dc, narrow, -1, &client, format);
        }
        if (GetFocus() == window) {
            RECT r = focus_rect(s, window);
            DrawFocusRect(dc, &r);
        }
    }
    EndPaint(window, &ps);
    ValidateRect(window, nullptr);
    return 0;
}

// The control paints no background of its own, so neither an inverted focus
// rectangle nor the text in its old colour may stay behind: the dialog
// repaints the spot, and WM_PAINT draws the text and, while focused, the
// rectangle. Used when the focus comes or goes and when enabling changes.
LRESULT repaint_spot(HWND window) {
    HWND parent = GetParent(window);
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return 0;
}

LRESULT on_get_dlg_code(LinkState* s, HWND window, WPARAM wParam, LPARAM lParam) {
    LRESULT code = call_old(s, window, WM_GETDLGCODE, wParam, lParam);
    // A focused push button would become the dialog's default and take Enter;
    // Enter belongs to the dialog's own default button, so the link does not
    // present itself as one.
    code &= ~static_cast<LRESULT>(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
    return code | DLGC_WANTCHARS;
}

LRESULT on_char(HWND window, WPARAM character) {
    if (character == 3) SendMessageW(window, WM_COPY, 0, 0);
    return 0;
}

// Mouse release or space release: the press the button reported becomes a click.
LRESULT on_release(LinkState* s, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!s->pressed) return call_old(s, window, message, wParam, lParam);
    // The button took the capture when it was pressed; as its own release
    // handling is bypassed, the capture is given back here.
    s->pressed = 0;
    if (GetCapture() == window) ReleaseCapture();
    SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
                 reinterpret_cast<LPARAM>(window));
    return 0;
}

// A press ends when the focus or the capture goes elsewhere: the release that
// follows, wherever it happens, is no click.
void drop_press(LinkState* s, HWND window) {
    s->pressed = 0;
    if (GetCapture() == window) ReleaseCapture();
}

LRESULT on_context_menu(HWND window, LPARAM position) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return 1;
    AppendMenuA(menu, MF_STRING, kCopyLinkCommand, "Copy link");
    int x = GET_X_LPARAM(position), y = GET_Y_LPARAM(position);
    if (position == -1) {  // from the keyboard: below the control's top-left corner
        RECT r;
        GetWindowRect(window, &r);
        x = r.left;
        y = r.bottom;
    }
    UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_VERTICAL, x, y, 0, window, nullptr));
    if (chosen == kCopyLinkCommand) SendMessageW(window, WM_COPY, 0, 0);
    DestroyMenu(menu);
    return 1;
}

LRESULT on_copy(LinkState* s, HWND window) {
    ClipboardGuard clipboard(GetParent(window));
    if (!clipboard) return 0;
    EmptyClipboard();
    size_t bytes = (wcslen(s->address) + 1) * sizeof(wchar_t);
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) return 0;
    {
        GlobalLockGuard lock(block.get());
        if (!lock) return 0;
        memcpy(lock.get(), s->address, bytes);
    }
    if (SetClipboardData(CF_UNICODETEXT, block.get())) block.release();
    return 0;
}

LRESULT on_destroy(LinkState* s, HWND window, WPARAM wParam, LPARAM lParam) {
    if (s->underlineFont) DeleteObject(s->underlineFont);
    s->underlineFont = nullptr;
    if (s->tooltip) DestroyWindow(s->tooltip);
    s->tooltip = nullptr;
    LRESULT result = call_old(s, window, WM_DESTROY, wParam, lParam);
    if (GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(link_wndproc)) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s->oldProc));
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        RemovePropW(window, kLinkProperty);
        LocalFree(s);
    } else {
        s->outlived = true;  // the tooltip's subclass is still above us
    }
    return result;
}

LRESULT on_nc_destroy(LinkState* s, HWND window, WPARAM wParam, LPARAM lParam) {
    LRESULT result = call_old(s, window, WM_NCDESTROY, wParam, lParam);
    if (s->outlived) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        RemovePropW(window, kLinkProperty);
        LocalFree(s);
    }
    return result;
}

HWND make_tooltip(HWND dialog, HINSTANCE instance) {
    HWND tip = CreateWindowExA(0, "tooltips_class32", nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, instance, nullptr);
    if (tip) SendMessageW(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(32767, 0));
    return tip;
}

}  // namespace

int link_attach(HWND dialog, int id, HINSTANCE instance, const wchar_t* address, HWND tooltip, DWORD options) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return 0;
    auto* s = static_cast<LinkState*>(LocalAlloc(LPTR, sizeof(LinkState)));
    if (!s) return 0;
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    SetPropW(control, kLinkProperty, s);
    s->oldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link_wndproc)));
    s->instance = instance;
    s->tooltip = tooltip;
    s->options = options;
    SendMessageW(control, WM_SETTEXT, LINK_SETADDRESS, reinterpret_cast<LPARAM>(address));

    if (!s->tooltip) s->tooltip = make_tooltip(dialog, instance);
    if (!s->tooltip) return 1;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.hinst = instance;
    tool.lpszText = s->address;
    SendMessageW(s->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return 1;
}

BOOL link_open(HWND dialog, int id, INT_PTR* result) {
    if (result) *result = 0;
    HWND control = GetDlgItem(dialog, id);
    LinkState* s = control ? link_state(control) : nullptr;
    if (!s || GetPropW(control, kLinkProperty) != s || !link_address_opens(s->address)) return FALSE;
    if (s->tooltip) {
        SendMessageW(s->tooltip, TTM_ACTIVATE, FALSE, 0);
        SendMessageW(s->tooltip, TTM_ACTIVATE, TRUE, 0);
    }
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    INT_PTR code = reinterpret_cast<INT_PTR>(lazy_shell_execute(dialog, L"open", s->address, nullptr, nullptr, SW_SHOWNORMAL));
    SetCursor(previous ? previous : LoadCursorW(nullptr, IDC_ARROW));
    if (result) *result = code;
    return code > 32;
}

LRESULT CALLBACK link_wndproc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LinkState* s = link_state(window);
    if (!s) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_SETTEXT:
        if (wParam == LINK_SETADDRESS) return on_set_address(s, window, reinterpret_cast<const wchar_t*>(lParam));
        return call_old(s, window, message, wParam, lParam);
    case WM_SETFONT: return on_set_font(s, window, wParam, lParam);
    case WM_PAINT: return on_paint(s, window);
    case WM_ERASEBKGND: return 0;
    case WM_NCPAINT: return 0;
    case WM_SETFOCUS: return repaint_spot(window);
    case WM_KILLFOCUS: drop_press(s, window); return repaint_spot(window);
    case WM_CAPTURECHANGED: drop_press(s, window); return call_old(s, window, message, wParam, lParam);
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_HAND)); return 1;
    case WM_GETDLGCODE: return on_get_dlg_code(s, window, wParam, lParam);
    case WM_CHAR: return on_char(window, wParam);
    case BM_SETSTATE: s->pressed = static_cast<LPARAM>(wParam); return 0;
    case WM_LBUTTONUP: return on_release(s, window, message, wParam, lParam);
    case WM_KEYUP:
        if (wParam == VK_SPACE) return on_release(s, window, message, wParam, lParam);
        return call_old(s, window, message, wParam, lParam);
    case WM_CONTEXTMENU: return on_context_menu(window, lParam);
    case WM_COPY: return on_copy(s, window);
    case WM_ENABLE: return repaint_spot(window);
    case WM_CHANGEUISTATE:
    case WM_UPDATEUISTATE:
    case WM_THEMECHANGED: return 0;
    case WM_DESTROY: return on_destroy(s, window, wParam, lParam);
    case WM_NCDESTROY: return on_nc_destroy(s, window, wParam, lParam);
    default: return call_old(s, window, message, wParam, lParam);
    }
}
