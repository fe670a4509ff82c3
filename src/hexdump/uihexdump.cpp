// The UIHexDump control: a read-only view of a block the owner lends it, with
// its own selection, scrolling, header menus and dump text. All arithmetic is
// in hexdump_core; this file talks to USER and GDI.
#include "hexdump/uihexdump.h"

#include "app/log.h"
#include "app/win_raii.h"
#include "hexdump/hexdump_core.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

struct HexDumpState {
    HWND hwnd;
    HFONT dumpFont;
    HWND header;
    HFONT headerFont;
    int cellWidth;
    int cellHeight;
    unsigned style;
    unsigned exStyle;
    int bodyTop;
    int rowCount;
    int visibleRows;
    int topRow;
    int totalWidth;
    int pageWidth;
    int scrollX;
    int anchor;
    int caret;
    int digitsPerByte;
    int decimalOffset;
    int dumpRadix;
    int bytesPerRow;
    int groupSize;
    int copyOffset;
    int copyDump;
    int copyAscii;
    int extendedAscii;
    HGLOBAL data;
    int size;
    int captured;
    int trackMode;
    int scrollSpeed;
};

namespace {

constexpr char kTag[] = "UIHexDump";
constexpr UINT_PTR kScrollTimer = 1002;
constexpr int kTrackIdle = 0, kTrackDrag = 1, kTrackUp = 0x10, kTrackDown = 0x20;

HexDumpState* state_of(HWND w) { return reinterpret_cast<HexDumpState*>(GetWindowLongPtrW(w, 0)); }

HexGeometry geometry(const HexDumpState* s) {
    return HexGeometry{s->cellWidth, s->digitsPerByte, s->bytesPerRow, s->groupSize};
}

int column_width(const HexDumpState* s, int item) {
    switch (item) {
    case 0: return hexdump_offset_column_width(s->cellWidth);
    case 1: return hexdump_dump_column_width(geometry(s));
    default: return hexdump_ascii_column_width(s->cellWidth, s->bytesPerRow);
    }
}

// Client x of each column's left edge and its width. The header decides where
// the columns stand (the user may reorder its items); a control without a
// header shows them side by side in creation order.
void column_rects(const HexDumpState* s, int left[3], int width[3]) {
    int x = 0;
    for (int i = 0; i < 3; ++i) {
        RECT r{};
        if (s->header && SendMessageW(s->header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) {
            left[i] = r.left - s->scrollX;
            width[i] = r.right - r.left;
        } else {
            left[i] = x - s->scrollX;
            width[i] = column_width(s, i);
        }
        x += column_width(s, i);
    }
}

RECT body_rect(const HexDumpState* s) {
    RECT r;
    GetClientRect(s->hwnd, &r);
    r.top = s->bodyTop;
    return r;
}

void set_header_item(HexDumpState* s, int item, const wchar_t* text, int width) {
    if (!s->header) return;
    HDITEMW it{};
    if (text) {
        it.mask |= HDI_TEXT;
        it.pszText = const_cast<wchar_t*>(text);
    }
    if (width >= 0) {
        it.mask |= HDI_WIDTH;
        it.cxy = width;
    }
    SendMessageW(s->header, HDM_SETITEMW, item, reinterpret_cast<LPARAM>(&it));
}

const wchar_t* dump_title(int radix) {
    switch (radix) {
    case 10: return L"Decimal Dump";
    case 8: return L"Octal Dump";
    case 1: return L"Binary Dump";
    default: return L"Hexadecimal Dump";
    }
}

// Bytes of the block that may be read: the count the owner gave, never more
// than the block really holds.
int readable_size(const HexDumpState* s, const GlobalLockGuard& lock) {
    SIZE_T real = lock.size();
    return real < static_cast<SIZE_T>(s->size) ? static_cast<int>(real) : s->size;
}

void place_header(HexDumpState* s) {
    if (!s->header) return;
    RECT client;
    GetClientRect(s->hwnd, &client);
    WINDOWPOS pos{};
    HDLAYOUT layout{&client, &pos};
    if (!SendMessageW(s->header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout))) return;
    SetWindowPos(s->header, nullptr, pos.x - s->scrollX, pos.y, pos.cx + s->scrollX, pos.cy,
                 pos.flags | SWP_NOZORDER | SWP_NOACTIVATE);
    s->bodyTop = pos.y + pos.cy;
}

void update_vscroll(HexDumpState* s) {
    RECT client;
    GetClientRect(s->hwnd, &client);
    s->rowCount = hexdump_row_count(s->size, s->bytesPerRow);
    s->visibleRows = hexdump_visible_rows(client.bottom - s->bodyTop, s->cellHeight, s->rowCount);
    s->topRow = hexdump_clamp_top_row(s->topRow, s->visibleRows, s->rowCount);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, s->rowCount > 0 ? s->rowCount - 1 : 0,
                  static_cast<UINT>(s->visibleRows), s->topRow, 0};
    SetScrollInfo(s->hwnd, SB_VERT, &si, TRUE);
}

void update_layout(HexDumpState* s) {
    RECT client;
    GetClientRect(s->hwnd, &client);
    s->totalWidth = hexdump_total_width(geometry(s));
    s->pageWidth = std::min<int>(client.right, s->totalWidth);
    s->scrollX = hexdump_clamp_scroll_x(s->scrollX, s->pageWidth, s->totalWidth);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(s->totalWidth - 1, 0),
                  static_cast<UINT>(std::max(s->pageWidth, 0)), s->scrollX, 0};
    SetScrollInfo(s->hwnd, SB_HORZ, &si, TRUE);
    place_header(s);
}

void invalidate(HexDumpState* s) { InvalidateRect(s->hwnd, nullptr, FALSE); }

HexHitResult hittest(HexDumpState* s, int x, int y) {
    HexHitInput in{};
    in.geometry = geometry(s);
    in.cellHeight = s->cellHeight;
    in.bodyTop = s->bodyTop;
    RECT client;
    GetClientRect(s->hwnd, &client);
    in.clientRight = client.right;
    in.clientBottom = client.bottom;
    column_rects(s, in.columnLeft, in.columnWidth);
    in.topRow = s->topRow;
    in.size = s->size;
    HexHitResult r = hexdump_hittest(in, x, y);
    if (r.speedSet) s->scrollSpeed = r.scrollSpeed;
    return r;
}

}  // namespace

// The one way the selection changes; reveal 1 scrolls to the caret, 2 to the
// anchor and then the caret.
void uihexdump_set_selection(HexDumpState* s, long long anchor, long long caret, int reveal) {
    int a = hexdump_clamp_offset(anchor, s->size);
    int c = hexdump_clamp_offset(caret, s->size);
    if (a != s->anchor || c != s->caret) {
        s->anchor = a;
        s->caret = c;
        invalidate(s);
        UpdateWindow(s->hwnd);
    }
    if (reveal == 2) {
        s->topRow = hexdump_reveal(s->topRow, s->visibleRows, s->anchor, s->bytesPerRow);
        invalidate(s);
        update_vscroll(s);
    }
    if (reveal == 1 || reveal == 2) {
        s->topRow = hexdump_reveal(s->topRow, s->visibleRows, s->caret, s->bytesPerRow);
        invalidate(s);
        update_vscroll(s);
    }
}

void uihexdump_vscroll(HexDumpState* s, int code) {
    int track = 0;
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
        // The message carries only 16 bits; a large block has more rows.
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(s->hwnd, SB_VERT, &si);
        track = si.nTrackPos;
    }
    int top;
    if (!hexdump_vscroll_target(code, s->topRow, s->visibleRows, s->rowCount, track, &top)) return;
    if (top == s->topRow) return;
    s->topRow = top;
    update_vscroll(s);
    invalidate(s);
}

void uihexdump_hscroll(HexDumpState* s, int code, int position) {
    int x;
    if (!hexdump_hscroll_target(code, s->scrollX, s->pageWidth, s->totalWidth, s->cellWidth, position, &x)) return;
    if (x == s->scrollX) return;
    s->scrollX = x;
    update_layout(s);
    invalidate(s);
}

void uihexdump_autoscroll(HexDumpState* s, int mode) {
    if (mode != kTrackUp && mode != kTrackDown) {
        KillTimer(s->hwnd, kScrollTimer);
        s->trackMode = mode;
        return;
    }
    HexAutoScroll step = hexdump_autoscroll_step(mode == kTrackUp, s->scrollSpeed, s->bytesPerRow);
    SetTimer(s->hwnd, kScrollTimer, step.intervalMs, nullptr);
    if (s->trackMode == mode) {
        long long caret = s->caret - s->caret % s->bytesPerRow + step.step;
        uihexdump_set_selection(s, s->anchor, caret, 1);
    } else {
        uihexdump_set_selection(s, s->anchor, s->caret, 1);
        s->trackMode = mode;
    }
}

void uihexdump_set_radix(HexDumpState* s, int radix) {
    int digits = hexdump_digits_for_radix(radix);
    if (!digits) return;
    s->digitsPerByte = digits;
    s->dumpRadix = radix;
    set_header_item(s, 1, dump_title(radix), column_width(s, 1));
    update_layout(s);
    invalidate(s);
}

void uihexdump_set_bytes_per_row(HexDumpState* s, int count) {
    if (count <= 0) return;
    s->bytesPerRow = count;
    set_header_item(s, 1, nullptr, column_width(s, 1));
    set_header_item(s, 2, nullptr, column_width(s, 2));
    update_layout(s);
    // The row count changes with the row width; refresh the range now rather
    // than at the next scroll.
    update_vscroll(s);
    invalidate(s);
}

void uihexdump_set_group(HexDumpState* s, int count) {
    if (count < 0) return;
    s->groupSize = count;
    set_header_item(s, 1, nullptr, column_width(s, 1));
    update_layout(s);
    invalidate(s);
}

namespace {

// ---- creation and destruction ----

bool create_fonts(HexDumpState* s) {
    WindowDC dc(s->hwnd);
    if (!dc) return false;
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    LOGFONTW lf{};
    lf.lfHeight = gui.lfHeight;
    lstrcpynW(lf.lfFaceName, L"Courier New", LF_FACESIZE);
    s->dumpFont = CreateFontIndirectW(&lf);
    SelectGuard sel(dc.get(), s->dumpFont);
    SIZE cell{};
    GetTextExtentPoint32W(dc.get(), L".", 1, &cell);
    s->cellWidth = cell.cx > 0 ? cell.cx : 8;
    s->cellHeight = cell.cy > 0 ? cell.cy : 16;
    log_message(0, kTag, "Font: Height=%ld cell_w=%ld cell_h=%ld", static_cast<long>(lf.lfHeight),
                static_cast<long>(s->cellWidth), static_cast<long>(s->cellHeight));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    log_message(0, kTag, "Font: FirstChar=%d LastChar=%d DefaultChar=%d", tm.tmFirstChar, tm.tmLastChar,
                tm.tmDefaultChar);
    return true;
}

void create_header(HexDumpState* s, HINSTANCE instance) {
    DWORD style = WS_CHILD | WS_VISIBLE | HDS_DRAGDROP;
    if (!(s->style & UIHDS_NOHEADERBUTTONS)) style |= HDS_BUTTONS;
    s->header = CreateWindowExW(0, WC_HEADERW, nullptr, style, 0, 0, 0, 0, s->hwnd, nullptr, instance, nullptr);
    if (!s->header) return;
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    s->headerFont = CreateFontIndirectW(&gui);
    SendMessageW(s->header, WM_SETFONT, reinterpret_cast<WPARAM>(s->headerFont), FALSE);
    const wchar_t* texts[3] = {L"Hex. Offset", L"Hexadecimal Dump", L"ASCII Dump"};
    for (int i = 0; i < 3; ++i) {
        HDITEMW it{};
        it.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        it.fmt = HDF_STRING | HDF_LEFT;
        it.pszText = const_cast<wchar_t*>(texts[i]);
        it.cxy = column_width(s, i);
        SendMessageW(s->header, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&it));
    }
}

LRESULT on_nccreate(HWND w, const CREATESTRUCTW* cs) {
    auto* s = static_cast<HexDumpState*>(calloc(1, sizeof(HexDumpState)));
    if (!s) return FALSE;
    SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(s));
    s->hwnd = w;
    create_fonts(s);
    s->style = static_cast<unsigned>(cs->style);
    s->exStyle = static_cast<unsigned>(cs->dwExStyle);
    s->bytesPerRow = 16;
    s->groupSize = 4;
    s->decimalOffset = 0;
    s->dumpRadix = 16;
    s->copyOffset = s->copyDump = s->copyAscii = s->extendedAscii = 1;
    s->digitsPerByte = 2;
    if (s->style & UIHDS_HEADER) create_header(s, cs->hInstance);
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
    update_vscroll(s);
    update_layout(s);
    invalidate(s);
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
    invalidate(s);
    update_vscroll(s);
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
    invalidate(s);
    update_vscroll(s);
    return 1;
}

LRESULT on_idealwidth(HexDumpState* s) {
    RECT r{0, 0, s->totalWidth + GetSystemMetrics(SM_CXVSCROLL), 0};
    if (s->totalWidth == 0) r.right = hexdump_total_width(geometry(s)) + GetSystemMetrics(SM_CXVSCROLL);
    AdjustWindowRectEx(&r, s->style, FALSE, s->exStyle);
    return r.right - r.left;
}

LRESULT on_find(HexDumpState* s, const HexDumpFindRequest* req) {
    if (!req || !s->data) return 0;
    long long found;
    {
        GlobalLockGuard lock(s->data);
        if (!lock) return 0;
        int start = std::max(s->anchor, s->caret);
        found = hexdump_find(lock.as<uint8_t>(), readable_size(s, lock), start, req->pattern, req->length);
    }
    if (found < 0) return 0;
    uihexdump_set_selection(s, found, found + req->length, 2);
    return 1;
}

void on_size(HexDumpState* s) {
    if (s->header) place_header(s);
    else s->bodyTop = 0;
    update_vscroll(s);
    update_layout(s);
}

// ---- painting ----

struct Colours {
    HDC dc;
    COLORREF selText, selBack;
    bool selected = false;
    void set(bool sel) {
        if (sel == selected) return;
        selected = sel;
        SetTextColor(dc, sel ? selText : RGB(0, 0, 0));
        SetBkColor(dc, sel ? selBack : RGB(255, 255, 255));
    }
};

void paint_empty(HexDumpState* s, HDC dc, const RECT& body) {
    SelectObject(dc, s->headerFont ? static_cast<HGDIOBJ>(s->headerFont) : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    static const char text[] = "No data to dump.";
    SIZE ext{};
    GetTextExtentPoint32A(dc, text, 16, &ext);
    int x = body.left + (body.right - body.left - ext.cx) / 2;
    int y = body.top + (body.bottom - body.top - ext.cy) / 2;
    TextOutA(dc, x, y, text, 16);
}

void paint_rows(HexDumpState* s, HDC dc, const RECT& body, const uint8_t* bytes, int size, HBRUSH selBrush,
                const Colours& start) {
    SelectObject(dc, s->dumpFont);
    SetTextColor(dc, RGB(0, 0, 0));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int w = s->cellWidth, h = s->cellHeight, n = s->bytesPerRow;
    const HexGeometry geo = geometry(s);
    const int b = hexdump_byte_cell_width(geo);
    const int lo = std::min(s->anchor, s->caret), hi = std::max(s->anchor, s->caret);
    int left[3], width[3];
    column_rects(s, left, width);
    const long long firstOffset = static_cast<long long>(s->topRow) * n;
    auto row_top = [&](int k) { return s->bodyTop + 1 + k * h; };
    auto row_visible = [&](int k) { return firstOffset + static_cast<long long>(k) * n < size && row_top(k) < body.bottom; };

    // Offsets first, all black on white.
    for (int k = 0; row_visible(k); ++k) {
        char text[16];
        unsigned offset = static_cast<unsigned>(firstOffset + static_cast<long long>(k) * n);
        int len = hexdump_format_offset(s->decimalOffset != 0, offset, text);
        if (!s->decimalOffset) {
            TextOutA(dc, left[0] + w, row_top(k), text, len);
        } else {
            UINT old = SetTextAlign(dc, TA_RIGHT);
            TextOutA(dc, left[0] + w + 8 * w, row_top(k), text, len);
            SetTextAlign(dc, old);
        }
    }

    // Cells: the colours change only where the selected state does.
    Colours colours = start;
    for (int k = 0; row_visible(k); ++k) {
        const long long rowStart = firstOffset + static_cast<long long>(k) * n;
        const int count = static_cast<int>(std::min<long long>(n, size - rowStart));
        const int top = row_top(k);
        for (int j = 0; j < count; ++j) {
            const long long off = rowStart + j;
            colours.set(lo <= off && off < hi);
            char text[8];
            int len = hexdump_format_byte(s->dumpRadix, bytes[off], text);
            const int x = left[1] + hexdump_dump_cell_x(geo, j);
            RECT cell{x, top, x + b, top + h};
            ExtTextOutA(dc, x + w / 4, top, ETO_OPAQUE, &cell, text, static_cast<UINT>(len), nullptr);
        }
        for (int j = 0; j < count; ++j) {
            const int x = left[2] + hexdump_ascii_cell_x(w, j);
            if (x >= body.right) break;
            const long long off = rowStart + j;
            colours.set(lo <= off && off < hi);
            uint8_t c = bytes[off];
            char ch = (c >= tm.tmFirstChar && c <= tm.tmLastChar) ? static_cast<char>(c) : '.';
            RECT cell{x, top, x + w + 1, top + h};
            ExtTextOutA(dc, x, top, ETO_OPAQUE, &cell, &ch, 1, nullptr);
        }
    }

    // An empty selection is a caret: a bar before its cell in both columns.
    if (lo == hi && lo >= firstOffset) {
        const long long rel = lo - firstOffset;
        const long long k = rel / n;
        const int j = static_cast<int>(rel % n);
        if (k <= s->visibleRows) {
            const int top = row_top(static_cast<int>(k));
            const int xs[2] = {left[1] + hexdump_dump_cell_x(geo, j) - 1, left[2] + hexdump_ascii_cell_x(w, j) - 1};
            for (int x : xs) {
                RECT bar{x, top, x + 2, top + h};
                FillRect(dc, &bar, selBrush);
            }
        }
    }
}

LRESULT on_paint(HexDumpState* s, HDC given) {
    PAINTSTRUCT ps{};
    HDC target = given;
    RECT body = body_rect(s);
    RECT update = body;
    if (!given) {
        target = BeginPaint(s->hwnd, &ps);
        if (!target) {
            EndPaint(s->hwnd, &ps);
            return 0;
        }
        update = ps.rcPaint;
    }
    RECT client;
    GetClientRect(s->hwnd, &client);
    {
        MemoryCanvas canvas(target, client.right, client.bottom);
        if (canvas) {
            HDC dc = canvas.dc();
            HGDIOBJ oldFont = SelectObject(dc, GetStockObject(SYSTEM_FONT));
            FillRect(dc, &body, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            const bool focused = GetFocus() == s->hwnd;
            Colours colours{dc, focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0),
                            focused ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_BTNFACE)};
            GdiObject<HBRUSH> selBrush(CreateSolidBrush(colours.selBack));
            SetBkColor(dc, RGB(255, 255, 255));
            {
                GlobalLockGuard lock(s->data);
                if (!lock) paint_empty(s, dc, body);
                else paint_rows(s, dc, body, lock.as<uint8_t>(), readable_size(s, lock), selBrush.get(), colours);
            }
            SelectObject(dc, oldFont);
            RECT copy;
            if (IntersectRect(&copy, &body, &update))
                BitBlt(target, copy.left, copy.top, copy.right - copy.left, copy.bottom - copy.top, dc, copy.left,
                       copy.top, SRCCOPY);
        }
    }
    if (!given) EndPaint(s->hwnd, &ps);
    return 0;
}

// ---- mouse ----

void start_drag_if_dragged(HexDumpState* s, int x, int y) {
    POINT pt{x, y};
    ClientToScreen(s->hwnd, &pt);
    if (!DragDetect(s->hwnd, pt)) return;
    log_message(0, kTag, "Start Tracking");
    SetCapture(s->hwnd);
    s->captured = 1;
    s->trackMode = kTrackDrag;
    SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
}

void on_lbuttondown(HexDumpState* s, WPARAM keys, int x, int y) {
    SetFocus(s->hwnd);
    HexHitResult hit = hittest(s, x, y);
    log_message(0, kTag, "Hittest on button down => hit=$%lX new_var=%d", static_cast<unsigned long>(hit.code),
                hit.offset);
    if (!(hit.code & (HEXHIT_DUMP | HEXHIT_ASCII))) return;
    long long offset = hit.offset + ((hit.code & HEXHIT_RIGHTHALF) ? 1 : 0);
    long long anchor = (keys & MK_SHIFT) ? s->anchor : offset;
    uihexdump_set_selection(s, anchor, offset, 0);
    start_drag_if_dragged(s, x, y);
}

void on_lbuttondblclk(HexDumpState* s, int x, int y) {
    HexHitResult hit = hittest(s, x, y);
    log_message(0, kTag, "Hittest on WM_LBUTTONDBLCLK => hit=$%lX new_var=%d",
                static_cast<unsigned long>(hit.code), hit.offset);
    if (!(hit.code & (HEXHIT_DUMP | HEXHIT_ASCII))) return;
    uihexdump_set_selection(s, hit.offset, static_cast<long long>(hit.offset) + 1, 0);
    start_drag_if_dragged(s, x, y);
}

void on_mousemove(HexDumpState* s, int x, int y) {
    if (s->trackMode == kTrackIdle) return;
    HexHitResult hit = hittest(s, x, y);
    if (hit.code & (HEXHIT_DUMP | HEXHIT_ASCII)) {
        uihexdump_autoscroll(s, kTrackDrag);
        uihexdump_set_selection(s, s->anchor, hit.offset, 0);
    } else if (hit.code & HEXHIT_TOPBAND) {
        if (s->trackMode != kTrackUp) uihexdump_autoscroll(s, kTrackUp);
    } else if (hit.code & HEXHIT_BOTTOMBAND) {
        if (s->trackMode != kTrackDown) uihexdump_autoscroll(s, kTrackDown);
    } else {
        uihexdump_autoscroll(s, kTrackDrag);
    }
}

void on_lbuttonup(HexDumpState* s) {
    if (!s->captured) return;
    if (s->trackMode != kTrackIdle) log_message(0, kTag, "Finish Tracking");
    s->trackMode = kTrackIdle;
    s->captured = 0;
    ReleaseCapture();
}

// Another window took the mouse (a menu, a dialog, a task switch): the
// button-up will never arrive, so the drag ends here instead of following a
// released mouse.
void on_capturechanged(HexDumpState* s, HWND newCapture) {
    if (!s->captured || newCapture == s->hwnd) return;
    s->trackMode = kTrackIdle;
    s->captured = 0;
}

void on_timer(HexDumpState* s, UINT_PTR id) {
    if (id != kScrollTimer) return;
    if (s->trackMode == kTrackIdle) KillTimer(s->hwnd, kScrollTimer);
    else uihexdump_autoscroll(s, s->trackMode);
}

// ---- keyboard ----

void on_keydown(HexDumpState* s, WPARAM vk) {
    unsigned key = static_cast<unsigned>(vk & 0xFF);
    if (GetKeyState(VK_SHIFT) < 0) key |= 0x100;
    if (GetKeyState(VK_CONTROL) < 0) key |= 0x200;
    if (GetKeyState(VK_MENU) < 0) key |= 0x400;
    long long to;
    switch (hexdump_key_move(key, s->caret, s->size, s->bytesPerRow, s->visibleRows, &to)) {
    case HEXKEY_MOVE: uihexdump_set_selection(s, (key & 0x100) ? s->anchor : to, to, 1); return;
    case HEXKEY_BLOCKED: return;
    case HEXKEY_NOT_MOVEMENT: break;
    }
    HWND w = s->hwnd;
    switch (key) {
    case 0x226: uihexdump_vscroll(s, SB_LINEUP); break;
    case 0x228: uihexdump_vscroll(s, SB_LINEDOWN); break;
    case 0x221: uihexdump_vscroll(s, SB_PAGEUP); break;
    case 0x222: uihexdump_vscroll(s, SB_PAGEDOWN); break;
    case 0x224: uihexdump_vscroll(s, SB_TOP); break;
    case 0x223: uihexdump_vscroll(s, SB_BOTTOM); break;
    case 0x225: uihexdump_hscroll(s, SB_LINELEFT, 0); break;
    case 0x227: uihexdump_hscroll(s, SB_LINERIGHT, 0); break;
    case 0x241: PostMessageW(w, UIHDM_SETSEL, 0, -1); break;
    case 0x243: PostMessageW(w, WM_COPY, 0, 0); break;
    case 0x258: PostMessageW(w, WM_CUT, 0, 0); break;
    case 0x256: PostMessageW(w, WM_PASTE, 0, 0); break;
    case 0x25A: PostMessageW(w, WM_UNDO, 0, 0); break;
    case 0x2E: PostMessageW(w, WM_CLEAR, 0, 0); break;
    case 0x08: PostMessageW(w, WM_CLEAR, 1, 0); break;
    default: log_message(0, kTag, "WM_KEYDOWN %d ignored", static_cast<int>(vk));
    }
}

// ---- header ----

LRESULT on_header_notify(HWND w, HexDumpState* s, NMHDR* nm, WPARAM wp, LPARAM lp) {
    switch (nm->code) {
    case HDN_BEGINTRACKA:
    case HDN_BEGINTRACKW: return TRUE;
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW:
        log_message(0, kTag, "WM_NOTIFY HDN_DIVIDERDBLCLICK iItem=%d", reinterpret_cast<NMHEADERW*>(nm)->iItem);
        break;
    case HDN_ENDDRAG: invalidate(s); return 0;
    }
    return DefWindowProcW(w, WM_NOTIFY, wp, lp);
}

void apply_header_command(HexDumpState* s, int item, UINT id) {
    if (item == 0) {
        switch (id) {
        case 1000:
            s->decimalOffset = 0;
            set_header_item(s, 0, L"Hex. Offset", -1);
            invalidate(s);
            break;
        case 1001:
            s->decimalOffset = 1;
            set_header_item(s, 0, L"Dec. Offset", -1);
            invalidate(s);
            break;
        case 1003: s->copyOffset = !s->copyOffset; break;
        }
    } else if (item == 1) {
        static const int radixes[] = {16, 10, 8, 1};
        static const int rows[] = {8, 10, 16, 32};
        static const int groups[] = {0, 2, 4, 5, 8};
        if (id >= 1000 && id <= 1003) uihexdump_set_radix(s, radixes[id - 1000]);
        else if (id >= 1005 && id <= 1008) uihexdump_set_bytes_per_row(s, rows[id - 1005]);
        else if (id >= 1010 && id <= 1014) uihexdump_set_group(s, groups[id - 1010]);
        else if (id == 1016) s->copyDump = !s->copyDump;
    } else if (item == 2) {
        if (id == 1002) s->copyAscii = !s->copyAscii;
        else if (id == 1003) s->extendedAscii = !s->extendedAscii;
    }
}

HMENU build_header_menu(const HexDumpState* s, int item) {
    HMENU m = CreatePopupMenu();
    if (!m) return nullptr;
    auto add = [m](UINT id, const char* text) {
        AppendMenuA(m, text ? MF_STRING : MF_SEPARATOR, id, text);
    };
    auto check = [m](UINT id, bool on) { CheckMenuItem(m, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
    if (item == 0) {
        add(1000, "Hexadecimal Offset");
        add(1001, "Decimal Offset");
        add(1002, nullptr);
        add(1003, "Add to 'Copy As Dump'");
        CheckMenuRadioItem(m, 1000, 1001, s->decimalOffset ? 1001 : 1000, MF_BYCOMMAND);
        check(1003, s->copyOffset);
    } else if (item == 1) {
        add(1000, "Hexadecimal Dump");
        add(1001, "Decimal Dump");
        add(1002, "Octal Dump");
        add(1003, "Binary Dump");
        add(1004, nullptr);
        add(1005, "8 bytes per row");
        add(1006, "10 bytes per row");
        add(1007, "16 bytes per row");
        add(1008, "32 bytes per row");
        add(1009, nullptr);
        add(1010, "No groups");
        add(1011, "2 bytes per group");
        add(1012, "4 bytes per group");
        add(1013, "5 bytes per group");
        add(1014, "8 bytes per group");
        add(1015, nullptr);
        add(1016, "Add to 'Copy As Dump'");
        UINT radix = s->dumpRadix == 1 ? 1003 : s->dumpRadix == 8 ? 1002 : s->dumpRadix == 10 ? 1001 : 1000;
        UINT rows = s->bytesPerRow == 10 ? 1006 : s->bytesPerRow == 16 ? 1007 : s->bytesPerRow == 32 ? 1008 : 1005;
        UINT group = s->groupSize == 2   ? 1011
                     : s->groupSize == 4 ? 1012
                     : s->groupSize == 5 ? 1013
                     : s->groupSize == 8 ? 1014
                                         : 1010;
        CheckMenuRadioItem(m, 1000, 1003, radix, MF_BYCOMMAND);
        CheckMenuRadioItem(m, 1005, 1008, rows, MF_BYCOMMAND);
        CheckMenuRadioItem(m, 1010, 1014, group, MF_BYCOMMAND);
        check(1016, s->copyDump);
    } else if (item == 2) {
        add(1000, "Ascii Dump");
        add(1001, nullptr);
        add(1002, "Add to 'Copy As Dump'");
        add(1003, "Add extended Ascii");
        CheckMenuRadioItem(m, 1000, 1000, 1000, MF_BYCOMMAND);
        check(1002, s->copyAscii);
        check(1003, s->extendedAscii);
    } else {
        DestroyMenu(m);
        return nullptr;
    }
    return m;
}

LRESULT on_contextmenu(HWND w, HexDumpState* s, WPARAM wp, LPARAM lp) {
    if (!s->header || reinterpret_cast<HWND>(wp) != s->header) {
        log_message(0, kTag, "WM_CONTEXTMENU Body");
        return DefWindowProcW(w, WM_CONTEXTMENU, wp, lp);
    }
    POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    HDHITTESTINFO info{};
    info.pt = screen;
    ScreenToClient(s->header, &info.pt);
    int item = static_cast<int>(SendMessageW(s->header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    log_message(0, kTag, "WM_CONTEXTMENU Header item=%d flags=$%X", item, info.flags);
    if (item < 0 || (info.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN))) return 0;
    HMENU menu = build_header_menu(s, item);
    if (!menu) return 0;
    UINT id = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, screen.x, screen.y, 0, w, nullptr));
    DestroyMenu(menu);
    if (id) apply_header_command(s, item, id);
    return 0;
}

// ---- dump text and copies ----

HexTextSettings text_settings(const HexDumpState* s) {
    return HexTextSettings{s->bytesPerRow,       s->groupSize,    s->digitsPerByte, s->dumpRadix,
                           s->decimalOffset != 0, s->copyOffset != 0, s->copyDump != 0, s->copyAscii != 0,
                           s->extendedAscii != 0};
}

LRESULT on_getdumptext(HexDumpState* s, int* outLength) {
    if (!s->data) return 0;
    GlobalLockGuard lock(s->data);
    if (!lock) return 0;
    const long long lo = std::min(s->anchor, s->caret);
    const long long hi = std::min<long long>(std::max(s->anchor, s->caret), readable_size(s, lock));
    const long long total = hexdump_text_length(text_settings(s), lo, std::max(lo, hi));
    // The length travels back as an int; a text that long cannot be reported.
    if (total < 0 || total >= INT_MAX) return 0;
    GlobalBlock text(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(total) + 1));
    if (!text) return 0;
    {
        GlobalLockGuard out(text.get());
        if (!out) return 0;
        size_t written =
            hexdump_text_write(text_settings(s), lock.as<uint8_t>() + lo, lo, std::max(lo, hi), out.as<char>());
        if (written != static_cast<size_t>(total)) return 0;
    }
    if (outLength) *outLength = static_cast<int>(total);
    return reinterpret_cast<LRESULT>(text.release());
}

void on_copy(HexDumpState* s) {
    ClipboardGuard clip(s->hwnd);
    if (!clip) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    GlobalLockGuard lock(s->data);
    if (!s->data || !lock) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    const int lo = std::min(s->anchor, s->caret);
    const int hi = std::min(std::max(s->anchor, s->caret), readable_size(s, lock));
    const SIZE_T count = hi > lo ? static_cast<SIZE_T>(hi - lo) : 0;
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, count + 1));
    if (!block) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    {
        GlobalLockGuard out(block.get());
        if (!out) {
            MessageBeep(0xFFFFFFFF);
            return;
        }
        char* p = out.as<char>();
        if (count) memcpy(p, lock.as<char>() + lo, count);
        p[count] = '\0';
        for (SIZE_T i = 0; i < count; ++i)
            if (p[i] == '\0') p[i] = ' ';
    }
    // The previous content goes only now that the replacement is complete.
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, block.get())) block.release();
}

LRESULT on_getselbytes(HexDumpState* s, WPARAM capacity, void* buffer) {
    const long long cap = static_cast<long long>(static_cast<INT_PTR>(capacity));
    if (!buffer || cap <= 0 || !s->data) return 0;
    GlobalLockGuard lock(s->data);
    if (!lock) return 0;
    const int lo = std::min(s->anchor, s->caret);
    const int hi = std::min(std::max(s->anchor, s->caret), readable_size(s, lock));
    if (hi <= lo) return 0;
    const size_t n = static_cast<size_t>(std::min<long long>(hi - lo, cap));
    memcpy(buffer, lock.as<char>() + lo, n);
    return static_cast<LRESULT>(n);
}

LRESULT CALLBACK hexdump_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) return on_nccreate(w, reinterpret_cast<CREATESTRUCTW*>(lp));
    HexDumpState* s = state_of(w);
    if (!s) return DefWindowProcW(w, msg, wp, lp);
    switch (msg) {
    case WM_CREATE: log_message(0, kTag, "WM_CREATE"); break;
    case WM_DESTROY: log_message(0, kTag, "WM_DESTROY"); break;
    case WM_NCDESTROY: on_ncdestroy(w, s); break;
    case WM_SIZE: on_size(s); break;
    case WM_PAINT: return on_paint(s, reinterpret_cast<HDC>(wp));
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
        break;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: on_keydown(s, wp); break;
    case WM_LBUTTONDOWN: on_lbuttondown(s, wp, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); break;
    case WM_LBUTTONDBLCLK: on_lbuttondblclk(s, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); break;
    case WM_MOUSEMOVE: on_mousemove(s, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); break;
    case WM_LBUTTONUP: on_lbuttonup(s); break;
    case WM_CAPTURECHANGED: on_capturechanged(s, reinterpret_cast<HWND>(lp)); break;
    case WM_TIMER: on_timer(s, wp); break;
    case WM_VSCROLL: uihexdump_vscroll(s, LOWORD(wp)); return 0;
    case WM_HSCROLL: uihexdump_hscroll(s, LOWORD(wp), HIWORD(wp)); return 0;
    case WM_CONTEXTMENU: return on_contextmenu(w, s, wp, lp);
    case WM_NOTIFY:
        if (s->header && reinterpret_cast<NMHDR*>(lp)->hwndFrom == s->header)
            return on_header_notify(w, s, reinterpret_cast<NMHDR*>(lp), wp, lp);
        break;
    case WM_COPY: on_copy(s); break;
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
    case UIHDM_GETSELBYTES: return on_getselbytes(s, wp, reinterpret_cast<void*>(lp));
    case UIHDM_GETDUMPTEXT: return on_getdumptext(s, reinterpret_cast<int*>(lp));
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

HMENU uihexdump_build_header_menu(HWND control, int item) {
    HexDumpState* s = state_of(control);
    return s ? build_header_menu(s, item) : nullptr;
}

void uihexdump_header_command(HWND control, int item, UINT command) {
    if (HexDumpState* s = state_of(control)) apply_header_command(s, item, command);
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
