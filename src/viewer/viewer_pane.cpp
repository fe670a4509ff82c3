// The owner-drawn viewer pane: bitmaps scaled by the fit mode, or a centred
// message saying why nothing is drawn. A bitmap from another program is
// checked against its block first and drawn from a private copy of its
// header, so nothing outside the block is read and nothing in it is changed.
#include "viewer/viewer.h"
#include "viewer/dib_core.h"
#include "viewer/viewer_draw.h"
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

// Where a picture of width by height goes in the pane by the fit mode; false when it has no room.
bool place_picture(const ViewerState* state, const RECT* rect, int width, int height, RECT* out) {
    RECT area = *rect;
    InflateRect(&area, -5, -5);
    FitPlacement place;
    if (!fit_bitmap(area.left, area.top, area.right - area.left, area.bottom - area.top, width, height, state->fitMode,
                    state->centerBitmap, &place))
        return false;
    *out = {place.x, place.y, place.x + place.width, place.y + place.height};
    return true;
}

// The image viewer_activate decoded (and blended over the background).
void draw_image(const ViewerState* state, HDC dc, const RECT* rect) {
    const HRESULT result = state->image ? state->image->result : E_OUTOFMEMORY;
    if (FAILED(result)) {
        wchar_t text[80];
        _snwprintf(text, 80, L"Failed to decode the image: 0x%08lX", static_cast<unsigned long>(result));
        text[79] = L'\0';
        centred_text_w(state, dc, rect, text);
        return;
    }
    const DecodedImage& image = *state->image;
    FillRect(dc, rect, GetSysColorBrush(COLOR_BTNFACE));
    RECT to;
    if (!place_picture(state, rect, static_cast<int>(image.width), static_cast<int>(image.height), &to)) return;
    BITMAPINFOHEADER info{sizeof info, static_cast<LONG>(image.width), -static_cast<LONG>(image.height), 1, 32, BI_RGB,
                          0, 0, 0, 0, 0};
    // An enlarged image keeps its pixels sharp; halftone only where it is made smaller.
    const bool smaller =
        to.right - to.left < static_cast<LONG>(image.width) || to.bottom - to.top < static_cast<LONG>(image.height);
    SetStretchBltMode(dc, smaller ? HALFTONE : COLORONCOLOR);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, static_cast<int>(image.width),
                  static_cast<int>(image.height), image.pixels.data(), reinterpret_cast<const BITMAPINFO*>(&info),
                  DIB_RGB_COLORS, SRCCOPY);
}

// A metafile at the size its header gives in device pixels.
void draw_metafile(const ViewerState* state, HDC dc, const RECT* rect, HENHMETAFILE metafile) {
    if (!metafile) {
        centred_text_w(state, dc, rect, L"The metafile's header does not check out.");
        return;
    }
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(metafile, sizeof header, &header);
    const long long width = static_cast<long long>(header.rclBounds.right) - header.rclBounds.left + 1;
    const long long height = static_cast<long long>(header.rclBounds.bottom) - header.rclBounds.top + 1;
    FillRect(dc, rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT to;
    if (width > 0 && height > 0 && width < 0x8000 && height < 0x8000 &&
        place_picture(state, rect, static_cast<int>(width), static_cast<int>(height), &to)) {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
        PlayEnhMetaFile(dc, metafile, &to);
        RestoreDC(dc, saved);
    }
    DeleteEnhMetaFile(metafile);
}

void paint_picture_entry(const ViewerState* state, HDC dc, const RECT* rect, const DataEntry& entry,
                         FormatViewer kind) {
    GlobalLockGuard lock(entry.data);
    if (!lock) {
        centred_text_w(state, dc, rect, L"Failed to lock data handle of the format.");
        return;
    }
    const SIZE_T held = lock.size();
    const SIZE_T size = entry.size < held ? entry.size : held;
    const auto* bytes = lock.as<const uint8_t>();
    if (kind == FormatViewer::Image) draw_image(state, dc, rect);
    else if (kind == FormatViewer::Bitmap) draw_bitmap(state, dc, rect, bytes, size, false);
    else draw_metafile(state, dc, rect, kind == FormatViewer::EnhMetafile ? viewer_enhmetafile(bytes, size)
                                                                         : viewer_metafilepict(bytes, size));
}

bool is_picture(FormatViewer kind) {
    return kind == FormatViewer::Image || kind == FormatViewer::Bitmap || kind == FormatViewer::EnhMetafile ||
           kind == FormatViewer::MetafilePict;
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
    return entry->format == CF_DIB || entry->format == CF_DIBV5 || entry->format == cf_bitmapfile ||
           (entry->format != 0 && is_picture(viewer_choice(*entry).viewer));
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
    } else if (entry.format == CF_DIB || entry.format == CF_DIBV5 || entry.format == cf_bitmapfile) {
        paint_bitmap_entry(state, dc, rect, entry);
    } else if (entry.data && viewer_shows_bitmap(table)) {
        paint_picture_entry(state, dc, rect, entry, viewer_choice(entry).viewer);
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
