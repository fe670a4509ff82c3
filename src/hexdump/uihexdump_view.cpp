// Layout, selection and scrolling of the UIHexDump control: where the columns
// stand, which rows are visible, and the one path every selection change takes.
#include "hexdump/uihexdump_internal.h"

#include "base/log.h"

#include <commctrl.h>

#include <algorithm>

HexGeometry uihexdump_geometry(const HexDumpState* s) {
    return HexGeometry{s->cellWidth, s->digitsPerByte, s->bytesPerRow, s->groupSize};
}

int uihexdump_column_width(const HexDumpState* s, int item) {
    switch (item) {
    case 0: return hexdump_offset_column_width(s->cellWidth);
    case 1: return hexdump_dump_column_width(uihexdump_geometry(s));
    default: return hexdump_ascii_column_width(s->cellWidth, s->bytesPerRow);
    }
}

// Client x of each column's left edge and its width. The header decides where
// the columns stand (the user may reorder its items); a control without a
// header shows them side by side in creation order.
void uihexdump_column_rects(const HexDumpState* s, int left[3], int width[3]) {
    int x = 0;
    for (int i = 0; i < 3; ++i) {
        RECT r{};
        if (s->header && SendMessageW(s->header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) {
            left[i] = r.left - s->scrollX;
            width[i] = r.right - r.left;
        } else {
            left[i] = x - s->scrollX;
            width[i] = uihexdump_column_width(s, i);
        }
        x += uihexdump_column_width(s, i);
    }
}

RECT uihexdump_body_rect(const HexDumpState* s) {
    RECT r;
    GetClientRect(s->hwnd, &r);
    r.top = s->bodyTop;
    return r;
}

void uihexdump_set_header_item(HexDumpState* s, int item, const wchar_t* text, int width) {
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

const wchar_t* uihexdump_dump_title(int radix) {
    switch (radix) {
    case 10: return L"Decimal Dump";
    case 8: return L"Octal Dump";
    case 1: return L"Binary Dump";
    default: return L"Hexadecimal Dump";
    }
}

// Bytes of the block that may be read: the count the owner gave, never more
// than the block really holds.
int uihexdump_readable_size(const HexDumpState* s, const GlobalLockGuard& lock) {
    SIZE_T real = lock.size();
    return real < static_cast<SIZE_T>(s->size) ? static_cast<int>(real) : s->size;
}

void uihexdump_place_header(HexDumpState* s) {
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

void uihexdump_update_vscroll(HexDumpState* s) {
    RECT client;
    GetClientRect(s->hwnd, &client);
    s->rowCount = hexdump_row_count(s->size, s->bytesPerRow);
    s->visibleRows = hexdump_visible_rows(client.bottom - s->bodyTop, s->cellHeight, s->rowCount);
    s->topRow = hexdump_clamp_top_row(s->topRow, s->visibleRows, s->rowCount);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, s->rowCount > 0 ? s->rowCount - 1 : 0,
                  static_cast<UINT>(s->visibleRows), s->topRow, 0};
    SetScrollInfo(s->hwnd, SB_VERT, &si, TRUE);
}

void uihexdump_update_layout(HexDumpState* s) {
    RECT client;
    GetClientRect(s->hwnd, &client);
    s->totalWidth = hexdump_total_width(uihexdump_geometry(s));
    s->pageWidth = std::min<int>(client.right, s->totalWidth);
    s->scrollX = hexdump_clamp_scroll_x(s->scrollX, s->pageWidth, s->totalWidth);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(s->totalWidth - 1, 0),
                  static_cast<UINT>(std::max(s->pageWidth, 0)), s->scrollX, 0};
    SetScrollInfo(s->hwnd, SB_HORZ, &si, TRUE);
    uihexdump_place_header(s);
}

void uihexdump_invalidate(HexDumpState* s) { InvalidateRect(s->hwnd, nullptr, FALSE); }

HexHitResult uihexdump_hittest(HexDumpState* s, int x, int y) {
    HexHitInput in{};
    in.geometry = uihexdump_geometry(s);
    in.cellHeight = s->cellHeight;
    in.bodyTop = s->bodyTop;
    RECT client;
    GetClientRect(s->hwnd, &client);
    in.clientRight = client.right;
    in.clientBottom = client.bottom;
    uihexdump_column_rects(s, in.columnLeft, in.columnWidth);
    in.topRow = s->topRow;
    in.size = s->size;
    HexHitResult r = hexdump_hittest(in, x, y);
    if (r.speedSet) s->scrollSpeed = r.scrollSpeed;
    return r;
}

// The one way the selection changes; reveal 1 scrolls to the caret, 2 to the
// anchor and then the caret.
void uihexdump_notify_selection(const HexDumpState* s) {
    NMHDR note{s->hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(s->hwnd)), UIHDN_SELCHANGED};
    if (HWND parent = GetParent(s->hwnd)) SendMessageW(parent, WM_NOTIFY, note.idFrom, reinterpret_cast<LPARAM>(&note));
}

void uihexdump_set_selection(HexDumpState* s, long long anchor, long long caret, int reveal) {
    int a = hexdump_clamp_offset(anchor, s->size);
    int c = hexdump_clamp_offset(caret, s->size);
    if (a != s->anchor || c != s->caret) {
        s->anchor = a;
        s->caret = c;
        uihexdump_invalidate(s);
        UpdateWindow(s->hwnd);
        uihexdump_notify_selection(s);
    }
    if (reveal == 2) {
        s->topRow = hexdump_reveal(s->topRow, s->visibleRows, s->anchor, s->bytesPerRow);
        uihexdump_invalidate(s);
        uihexdump_update_vscroll(s);
    }
    if (reveal == 1 || reveal == 2) {
        s->topRow = hexdump_reveal(s->topRow, s->visibleRows, s->caret, s->bytesPerRow);
        uihexdump_invalidate(s);
        uihexdump_update_vscroll(s);
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
    uihexdump_update_vscroll(s);
    uihexdump_invalidate(s);
}

void uihexdump_hscroll(HexDumpState* s, int code, int position) {
    int x;
    if (!hexdump_hscroll_target(code, s->scrollX, s->pageWidth, s->totalWidth, s->cellWidth, position, &x)) return;
    if (x == s->scrollX) return;
    s->scrollX = x;
    uihexdump_update_layout(s);
    uihexdump_invalidate(s);
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
    uihexdump_set_header_item(s, 1, uihexdump_dump_title(radix), uihexdump_column_width(s, 1));
    uihexdump_update_layout(s);
    uihexdump_invalidate(s);
}

void uihexdump_set_bytes_per_row(HexDumpState* s, int count) {
    if (count <= 0) return;
    s->bytesPerRow = count;
    uihexdump_set_header_item(s, 1, nullptr, uihexdump_column_width(s, 1));
    uihexdump_set_header_item(s, 2, nullptr, uihexdump_column_width(s, 2));
    uihexdump_update_layout(s);
    // The row count changes with the row width; refresh the range now rather
    // than at the next scroll.
    uihexdump_update_vscroll(s);
    uihexdump_invalidate(s);
}

void uihexdump_set_group(HexDumpState* s, int count) {
    if (count < 0) return;
    s->groupSize = count;
    uihexdump_set_header_item(s, 1, nullptr, uihexdump_column_width(s, 1));
    uihexdump_update_layout(s);
    uihexdump_invalidate(s);
}
