// The owner-drawn viewer pane: bitmaps scaled by the fit mode, or a centred
// message saying why nothing is drawn. A bitmap from another program is
// checked against its block first and drawn from a private copy of its
// header, so nothing outside the block is read and nothing in it is changed.
#include "viewer/viewer.h"
#include "viewer/dib_core.h"
#include "viewer/fit_core.h"
#include "base/win_raii.h"
#include "entries/entries.h"

#include <cwchar>

namespace {

void centred_text_w(const ViewerState* state, HDC dc, const RECT* rect, const wchar_t* text) {
    FillRect(dc, rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectGuard font(dc, state->font);
    int length = static_cast<int>(wcslen(text));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, length, &extent);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    TextOutW(dc, rect->left + (rect->right - rect->left - extent.cx) / 2,
             rect->top + (rect->bottom - rect->top - extent.cy) / 2, text, length);
}

// The drawing call's failures go over the already painted background, in
// the context's current text colour.
void centred_text_a(const ViewerState* state, HDC dc, const RECT* rect, const char* text) {
    SelectGuard font(dc, state->font);
    int length = lstrlenA(text);
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, length, &extent);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, rect->left + (rect->right - rect->left - extent.cx) / 2,
             rect->top + (rect->bottom - rect->top - extent.cy) / 2, text, length);
}

void refused_bitmap(const ViewerState* state, HDC dc, const RECT* rect, DibError error) {
    wchar_t text[128];
    const char* source = dib_error_text(error);
    int i = 0;
    for (; source[i] && i < 127; ++i) text[i] = static_cast<unsigned char>(source[i]);
    text[i] = L'\0';
    centred_text_w(state, dc, rect, text);
}

// bytes/size: the entry's readable bytes; fileHeader: a bitmap file entry.
void draw_bitmap(const ViewerState* state, HDC dc, const RECT* rect, const uint8_t* bytes, SIZE_T size,
                 bool fileHeader) {
    DibLayout layout;
    size_t headerStart = 0;
    DibError error = fileHeader ? dib_check_file(bytes, size, &layout, &headerStart) : dib_check(bytes, size, &layout);
    if (error != DibError::None) {
        refused_bitmap(state, dc, rect, error);
        return;
    }
    const uint8_t* header = bytes + headerStart;
    DibInfo info;
    dib_build_info(header, layout, &info);

    RECT area = *rect;
    InflateRect(&area, -5, -5);
    FillRect(dc, rect, GetSysColorBrush(COLOR_BTNFACE));
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);  // halftone brushes need the origin reset

    FitPlacement place;
    if (!fit_bitmap(area.left, area.top, area.right - area.left, area.bottom - area.top, layout.width,
                    static_cast<int>(layout.absHeight), state->fitMode, state->centerBitmap, &place))
        return;
    int lines = StretchDIBits(dc, place.x, place.y, place.width, place.height, 0, 0, layout.width,
                              static_cast<int>(layout.absHeight), header + layout.pixelOffset,
                              reinterpret_cast<const BITMAPINFO*>(info.bytes), DIB_RGB_COLORS, SRCCOPY);
    if (lines == 0)
        centred_text_a(state, dc, rect, "Failed to call StretchDIBits(): No scan lines copied!");
    else if (lines == static_cast<int>(GDI_ERROR))
        centred_text_a(state, dc, rect, "Failed to call StretchDIBits(): GDI_ERROR!");
}

void paint_bitmap_entry(const ViewerState* state, HDC dc, const RECT* rect, const DataEntry& entry) {
    bool file = entry.format == cf_bitmapfile;
    if (!file && !entry.data) {
        centred_text_w(state, dc, rect, L"Missing data handle for this format.");
        return;
    }
    GlobalLockGuard lock(entry.data);
    if (!lock) {
        centred_text_w(state, dc, rect, L"Failed to lock data handle of the format.");
        return;
    }
    // The block may be larger than the data; it is never smaller than what is read.
    SIZE_T held = lock.size();
    SIZE_T size = entry.size < held ? entry.size : held;
    draw_bitmap(state, dc, rect, lock.as<const uint8_t>(), size, file);
}

}  // namespace

bool viewer_shows_bitmap(const EntryTable* table) {
    const DataEntry* entry = entry_at(table, table ? table->active : -1);
    if (!entry) return false;
    return entry->format == CF_DIB || entry->format == CF_DIBV5 || entry->format == cf_bitmapfile;
}

void viewer_pane_paint(const ViewerState* state, const EntryTable* table, HDC dc, const RECT* rect) {
    const DataEntry* found = entry_at(table, table ? table->active : -1);
    if (!found) {
        centred_text_w(state, dc, rect, L"No data to view.");
        return;
    }
    const DataEntry& entry = *found;
    if (entry.format == 0) {
        centred_text_w(state, dc, rect, L"No viewer available.");
    } else if (viewer_shows_bitmap(table)) {
        paint_bitmap_entry(state, dc, rect, entry);
    } else {
        wchar_t name[256] = {};
        clipboard_format_name(static_cast<UINT>(entry.format), name);
        wchar_t text[300];
        _snwprintf(text, 300, L"No viewer available for '%ls'.", name);
        text[299] = L'\0';
        centred_text_w(state, dc, rect, text);
    }
}

void viewer_set_fit_mode(ViewerState* state, int mode) {
    state->fitMode = mode;
    state->centerBitmap = mode > 0 ? 1 : 0;
    InvalidateRect(state->viewerPane, nullptr, TRUE);
}
