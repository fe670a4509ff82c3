// The UIHexDump control: a read-only view of a block the owner lends it, with
// its own selection, scrolling, header menus and dump text. All arithmetic is
// in hexdump_core; this file is the message table, creation and the data and
// view messages; painting, input, the header and copies have files of their own.
#include "hexdump/uihexdump_internal.h"

#include "base/dpi.h"
#include "base/dpi_core.h"
#include "base/log.h"
#include "hexdump/find_core.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// The pitch of the font selected into `dc`; the metric's flag is named for the
// opposite and is set for a variable-pitch font.
bool selected_font_is_fixed(HDC dc) {
    TEXTMETRICW tm{};
    return GetTextMetricsW(dc, &tm) && !(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
}

}  // namespace

HFONT uihexdump_make_dump_font(HDC dc, LONG height, const wchar_t* face, bool quiet) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    if (HFONT font = CreateFontIndirectW(&lf)) {
        bool fixed;
        {
            SelectGuard sel(dc, font);
            fixed = selected_font_is_fixed(dc);
        }
        if (fixed) return font;
        DeleteObject(font);
    }
    // The columns are computed for equal cells; a system without any fixed
    // face under that name still has its stock fixed fonts.
    if (!quiet) log_message(0, kHexDumpTag, "Font: '%ls' is not fixed-pitch, using a stock fixed font", face);
    HGDIOBJ stock = GetStockObject(ANSI_FIXED_FONT);
    SelectGuard sel(dc, stock);
    if (!selected_font_is_fixed(dc)) stock = GetStockObject(SYSTEM_FIXED_FONT);
    return static_cast<HFONT>(stock);
}

namespace {

// A new control's layout: 16 bytes per row in groups of 4, two hex digits each.
constexpr int kFirstBytesPerRow = 16, kFirstGroupSize = 4, kFirstDigitsPerByte = 2;

void on_size(HexDumpState* s);

// The dump font at a density and its character cell, measured in `dc` (left as
// it was). The stock font is made for the system's density; the window may
// sit on a screen of another. A quiet one logs nothing: the control's own says it.
HFONT make_font_for(HDC dc, int dpi, LONG* height, SIZE* cell, bool quiet = false) {
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    *height = dpi_rescale(gui.lfHeight, dpi, dpi_of_system());
    HFONT font = uihexdump_make_dump_font(dc, *height, L"Courier New", quiet);
    SelectGuard sel(dc, font);
    *cell = SIZE{};
    GetTextExtentPoint32W(dc, L".", 1, cell);
    if (cell->cx <= 0) cell->cx = 8;
    if (cell->cy <= 0) cell->cy = 16;
    return font;
}

bool create_fonts(HexDumpState* s, int dpi) {
    WindowDC dc(s->hwnd);
    if (!dc) return false;
    LONG height = 0;
    SIZE cell;
    s->dumpFont = make_font_for(dc.get(), dpi, &height, &cell);
    SelectGuard sel(dc.get(), s->dumpFont);
    s->cellWidth = cell.cx;
    s->cellHeight = cell.cy;
    log_message(0, kHexDumpTag, "Font: Height=%ld cell_w=%ld cell_h=%ld", static_cast<long>(height),
                static_cast<long>(s->cellWidth), static_cast<long>(s->cellHeight));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    log_message(0, kHexDumpTag, "Font: FirstChar=%d LastChar=%d DefaultChar=%d", tm.tmFirstChar, tm.tmLastChar,
                tm.tmDefaultChar);
    return true;
}

// A new density: fonts, cells and everything measured in them again.
LRESULT on_rebuildfonts(HexDumpState* s, int dpi) {
    if (dpi <= 0) dpi = dpi_of_window(s->hwnd);
    HFONT oldDump = s->dumpFont;
    if (!create_fonts(s, dpi)) return 0;
    if (oldDump) DeleteObject(oldDump);
    if (s->header) {
        uihexdump_set_header_font(s, dpi);
        for (int i = 0; i < 3; ++i) uihexdump_set_header_item(s, i, nullptr, uihexdump_column_width(s, i));
    }
    on_size(s);
    uihexdump_invalidate(s);
    return 1;
}

LRESULT on_nccreate(HWND w, const CREATESTRUCTW* cs) {
    auto* s = static_cast<HexDumpState*>(calloc(1, sizeof(HexDumpState)));
    if (!s) return FALSE;
    SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(s));
    s->hwnd = w;
    create_fonts(s, dpi_of_window(w));
    s->style = static_cast<unsigned>(cs->style);
    s->exStyle = static_cast<unsigned>(cs->dwExStyle);
    s->bytesPerRow = kFirstBytesPerRow;
    s->groupSize = kFirstGroupSize;
    s->decimalOffset = 0;
    s->dumpRadix = 16;
    s->copyOffset = s->copyDump = s->copyAscii = s->extendedAscii = 1;
    s->digitsPerByte = kFirstDigitsPerByte;
    if (s->style & UIHDS_HEADER) uihexdump_create_header(s, cs->hInstance);
    return TRUE;
}

void on_ncdestroy(HWND w, HexDumpState* s) {
    KillTimer(w, kScrollTimer);
    if (s->header && IsWindow(s->header)) DestroyWindow(s->header);
    if (s->dumpFont) DeleteObject(s->dumpFont);
    if (s->headerFont) DeleteObject(s->headerFont);
    SetWindowLongPtrW(w, 0, 0);
    free(s);
}

// ---- data and view messages ----

LRESULT on_setdata(HexDumpState* s, WPARAM count, HGLOBAL block) {
    s->data = block;
    SIZE_T real = block ? GlobalSize(block) : 0;
    SIZE_T want = count == static_cast<WPARAM>(-1) ? real : static_cast<SIZE_T>(count);
    // A count larger than the block would let paint, search and copy read past it.
    if (want > real) want = real;
    if (want > static_cast<SIZE_T>(INT_MAX)) want = INT_MAX;
    s->size = static_cast<int>(want);
    s->topRow = s->scrollX = s->anchor = s->caret = 0;
    uihexdump_update_vscroll(s);
    uihexdump_update_layout(s);
    uihexdump_invalidate(s);
    uihexdump_notify_selection(s);
    return 1;
}

LRESULT on_setsel(HexDumpState* s, WPARAM wp, LPARAM lp) {
    // Read signed, so a -1 (or any negative offset) from a 32-bit caller
    // means the same on 64 bits.
    const long long a = static_cast<INT_PTR>(wp), c = lp;
    uihexdump_set_selection(s, a == -1 ? s->size : a, c == -1 ? s->size : c, 0);
    return 1;
}

LRESULT on_getsel(const HexDumpState* s, int* anchor, int* caret) {
    if (anchor) *anchor = s->anchor;
    if (caret) *caret = s->caret;
    return 1;
}

LRESULT on_settopoffset(HexDumpState* s, WPARAM offset) {
    unsigned long long row = static_cast<unsigned long long>(offset) / static_cast<unsigned>(s->bytesPerRow);
    s->topRow = row > static_cast<unsigned long long>(INT_MAX) ? INT_MAX : static_cast<int>(row);
    uihexdump_invalidate(s);
    uihexdump_update_vscroll(s);
    return 1;
}

LRESULT on_gettopoffset(HexDumpState* s, int* out) {
    if (out) {
        long long v = static_cast<long long>(s->topRow) * s->bytesPerRow;
        *out = v > INT_MAX ? INT_MAX : static_cast<int>(v);
    }
    return 1;
}

LRESULT on_ensurecaretvisible(HexDumpState* s) {
    s->topRow = hexdump_reveal(s->topRow, s->visibleRows, s->caret, s->bytesPerRow);
    uihexdump_invalidate(s);
    uihexdump_update_vscroll(s);
    return 1;
}

// The columns, a vertical bar and the control's frame.
int ideal_width(int columns, DWORD style, DWORD exStyle) {
    RECT r{0, 0, columns + GetSystemMetrics(SM_CXVSCROLL), 0};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return r.right - r.left;
}

LRESULT on_idealwidth(HexDumpState* s) {
    return ideal_width(s->totalWidth ? s->totalWidth : hexdump_total_width(uihexdump_geometry(s)), s->style, s->exStyle);
}

FindOptions find_options(UINT flags) {
    const bool blind = flags & UIHDF_FIND_IGNORECASE;
    return {blind ? ((flags & UIHDF_FIND_UTF16) ? FindKind::Text16 : FindKind::Text8) : FindKind::Hex, !blind,
            (flags & UIHDF_FIND_BACKWARDS) != 0};
}

LRESULT on_find_from(HexDumpState* s, const HexDumpFindRequest* req) {
    if (!req->pattern || req->length <= 0) return 0;
    FindHit hit;
    {
        GlobalLockGuard lock(s->data);
        if (!lock) return 0;
        const std::vector<uint8_t> pattern(req->pattern, req->pattern + req->length);
        hit = find_search(lock.as<uint8_t>(), static_cast<size_t>(uihexdump_readable_size(s, lock)),
                          static_cast<size_t>(std::max(req->start, 0)), pattern, find_options(req->flags));
    }
    if (hit.position < 0) return 0;
    uihexdump_set_selection(s, hit.position, hit.position + req->length, 2);
    return hit.wrapped ? 2 : 1;
}

LRESULT on_find(HexDumpState* s, const HexDumpFindRequest* req) {
    if (!req || !s->data) return 0;
    if (req->flags & UIHDF_FIND_FROM) return on_find_from(s, req);
    long long found;
    {
        GlobalLockGuard lock(s->data);
        if (!lock) return 0;
        int start = std::max(s->anchor, s->caret);
        found = hexdump_find(lock.as<uint8_t>(), uihexdump_readable_size(s, lock), start, req->pattern, req->length);
    }
    if (found < 0) return 0;
    uihexdump_set_selection(s, found, found + req->length, 2);
    return 1;
}

void on_size(HexDumpState* s) {
    if (s->header) uihexdump_place_header(s);
    else s->bodyTop = 0;
    uihexdump_update_vscroll(s);
    uihexdump_update_layout(s);
}

LRESULT CALLBACK hexdump_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) return on_nccreate(w, reinterpret_cast<CREATESTRUCTW*>(lp));
    HexDumpState* s = uihexdump_state(w);
    if (!s) return DefWindowProcW(w, msg, wp, lp);
    switch (msg) {
    case WM_CREATE: log_message(0, kHexDumpTag, "WM_CREATE"); break;
    case WM_DESTROY: log_message(0, kHexDumpTag, "WM_DESTROY"); break;
    case WM_NCDESTROY: on_ncdestroy(w, s); break;
    case WM_SIZE: on_size(s); break;
    case WM_PAINT: return uihexdump_on_paint(s, reinterpret_cast<HDC>(wp));
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
        break;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: uihexdump_on_keydown(s, wp); break;
    case WM_RBUTTONDOWN: uihexdump_on_rbuttondown(s); break;
    case WM_LBUTTONDOWN: uihexdump_on_lbuttondown(s, wp, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); break;
    case WM_LBUTTONDBLCLK: uihexdump_on_lbuttondblclk(s, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); break;
    case WM_MOUSEMOVE: uihexdump_on_mousemove(s, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); break;
    case WM_LBUTTONUP: uihexdump_on_lbuttonup(s); break;
    case WM_CAPTURECHANGED: uihexdump_on_capturechanged(s, reinterpret_cast<HWND>(lp)); break;
    case WM_TIMER: uihexdump_on_timer(s, wp); break;
    case WM_VSCROLL: uihexdump_vscroll(s, LOWORD(wp)); return 0;
    case WM_HSCROLL: uihexdump_hscroll(s, LOWORD(wp), HIWORD(wp)); return 0;
    case WM_CONTEXTMENU: return uihexdump_on_contextmenu(w, s, wp, lp);
    case WM_NOTIFY:
        if (s->header && reinterpret_cast<NMHDR*>(lp)->hwndFrom == s->header)
            return uihexdump_on_header_notify(w, s, reinterpret_cast<NMHDR*>(lp), wp, lp);
        break;
    case WM_COPY: uihexdump_on_copy(s); break;
    case UIHDM_SETDATA: return on_setdata(s, wp, reinterpret_cast<HGLOBAL>(lp));
    case UIHDM_GETDATA: return reinterpret_cast<LRESULT>(s->data);
    case UIHDM_SETSEL: return on_setsel(s, wp, lp);
    case UIHDM_GETSEL: return on_getsel(s, reinterpret_cast<int*>(wp), reinterpret_cast<int*>(lp));
    case UIHDM_SETTOPOFFSET: return on_settopoffset(s, wp);
    case UIHDM_GETTOPOFFSET: return on_gettopoffset(s, reinterpret_cast<int*>(wp));
    case UIHDM_GETHEADER: return reinterpret_cast<LRESULT>(s->header);
    case UIHDM_ENSURECARETVISIBLE: return on_ensurecaretvisible(s);
    case UIHDM_GETIDEALWIDTH: return on_idealwidth(s);
    case UIHDM_FIND: return on_find(s, reinterpret_cast<const HexDumpFindRequest*>(lp));
    case UIHDM_GETSELBYTES: return uihexdump_on_getselbytes(s, wp, reinterpret_cast<void*>(lp));
    case UIHDM_GETDUMPTEXT: return uihexdump_on_getdumptext(s, reinterpret_cast<int*>(lp));
    case UIHDM_REBUILDFONTS: return on_rebuildfonts(s, static_cast<int>(wp));
    }
    return DefWindowProcW(w, msg, wp, lp);
}


}  // namespace

int uihexdump_first_ideal_width(int dpi, DWORD style, DWORD exStyle) {
    WindowDC dc(nullptr);
    if (!dc) return 0;
    LONG height = 0;
    SIZE cell;
    HFONT font = make_font_for(dc.get(), dpi, &height, &cell, true);
    DeleteObject(font);  // a stock one stays: it cannot be deleted
    const HexGeometry first{static_cast<int>(cell.cx), kFirstDigitsPerByte, kFirstBytesPerRow, kFirstGroupSize};
    return ideal_width(hexdump_total_width(first), style, exStyle);
}

ATOM uihexdump_register(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = hexdump_proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = UIHEXDUMP_CLASS;
    return RegisterClassExW(&wc);
}

void uihexdump_unregister(HINSTANCE instance) { UnregisterClassW(UIHEXDUMP_CLASS, instance); }

bool is_hexdump_window(HWND window) {
    wchar_t name[80];
    if (!window || !GetClassNameW(window, name, 80)) return false;
    return lstrcmpW(name, UIHEXDUMP_CLASS) == 0;
}

