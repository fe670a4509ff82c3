// Painting of the UIHexDump control: only the visible rows, off screen, with
// the colours switched only where the selected state changes.
#include "hexdump/uihexdump_internal.h"

#include "base/log.h"

#include <algorithm>

namespace {

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
    const HexGeometry geo = uihexdump_geometry(s);
    const int b = hexdump_byte_cell_width(geo);
    const int lo = std::min(s->anchor, s->caret), hi = std::max(s->anchor, s->caret);
    int left[3], width[3];
    uihexdump_column_rects(s, left, width);
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

}  // namespace

LRESULT uihexdump_on_paint(HexDumpState* s, HDC given) {
    PAINTSTRUCT ps{};
    HDC target = given;
    RECT body = uihexdump_body_rect(s);
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
                else paint_rows(s, dc, body, lock.as<uint8_t>(), uihexdump_readable_size(s, lock), selBrush.get(), colours);
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
