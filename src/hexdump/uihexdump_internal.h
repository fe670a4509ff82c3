// What the files of the UIHexDump control share: the state record every
// window of the class keeps in its extra bytes, and the steps more than one
// concern needs (layout, selection, invalidation).
#pragma once
#include "hexdump/hexdump_core.h"
#include "hexdump/uihexdump.h"

#include "base/win_raii.h"

#include <windows.h>

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

constexpr char kHexDumpTag[] = "UIHexDump";
constexpr UINT_PTR kScrollTimer = 1002;
constexpr int kTrackIdle = 0, kTrackDrag = 1, kTrackUp = 0x10, kTrackDown = 0x20;

inline HexDumpState* uihexdump_state(HWND w) { return reinterpret_cast<HexDumpState*>(GetWindowLongPtrW(w, 0)); }

// The dump font: `face` at `height` when the font mapper gives a fixed-pitch
// font for it, else a stock fixed font (not to be deleted, though deleting a
// stock object does no harm). Leaves the context's font as it was; quiet, it
// does not log the stock font's use (uihexdump.cpp).
HFONT uihexdump_make_dump_font(HDC dc, LONG height, const wchar_t* face, bool quiet = false);

// Layout and view (uihexdump_view.cpp).
HexGeometry uihexdump_geometry(const HexDumpState* s);
int uihexdump_column_width(const HexDumpState* s, int item);
void uihexdump_column_rects(const HexDumpState* s, int left[3], int width[3]);
RECT uihexdump_body_rect(const HexDumpState* s);
// The header's font at `dpi`; the one it had is deleted.
void uihexdump_set_header_font(HexDumpState* s, int dpi);
void uihexdump_set_header_item(HexDumpState* s, int item, const wchar_t* text, int width);
const wchar_t* uihexdump_dump_title(int radix);
int uihexdump_readable_size(const HexDumpState* s, const GlobalLockGuard& lock);
void uihexdump_place_header(HexDumpState* s);
void uihexdump_update_vscroll(HexDumpState* s);
void uihexdump_update_layout(HexDumpState* s);
void uihexdump_invalidate(HexDumpState* s);
HexHitResult uihexdump_hittest(HexDumpState* s, int x, int y);
// The one way the selection changes; reveal 1 scrolls to the caret, 2 to the
// anchor and then the caret.
void uihexdump_set_selection(HexDumpState* s, long long anchor, long long caret, int reveal);
// Tells the parent the selection changed (UIHDN_SELCHANGED).
void uihexdump_notify_selection(const HexDumpState* s);
void uihexdump_vscroll(HexDumpState* s, int code);
void uihexdump_hscroll(HexDumpState* s, int code, int position);
void uihexdump_autoscroll(HexDumpState* s, int mode);
void uihexdump_set_radix(HexDumpState* s, int radix);
void uihexdump_set_bytes_per_row(HexDumpState* s, int count);
void uihexdump_set_group(HexDumpState* s, int count);

// Painting (uihexdump_paint.cpp).
LRESULT uihexdump_on_paint(HexDumpState* s, HDC given);

// Mouse and keyboard (uihexdump_input.cpp).
void uihexdump_on_rbuttondown(HexDumpState* s);
void uihexdump_on_lbuttondown(HexDumpState* s, WPARAM keys, int x, int y);
void uihexdump_on_lbuttondblclk(HexDumpState* s, int x, int y);
void uihexdump_on_mousemove(HexDumpState* s, int x, int y);
void uihexdump_on_lbuttonup(HexDumpState* s);
void uihexdump_on_capturechanged(HexDumpState* s, HWND newCapture);
void uihexdump_on_timer(HexDumpState* s, UINT_PTR id);
void uihexdump_on_keydown(HexDumpState* s, WPARAM vk);

// Header and menus (uihexdump_header.cpp).
void uihexdump_create_header(HexDumpState* s, HINSTANCE instance);
LRESULT uihexdump_on_header_notify(HWND w, HexDumpState* s, NMHDR* nm, WPARAM wp, LPARAM lp);
HMENU uihexdump_make_header_menu(const HexDumpState* s, int item);
void uihexdump_apply_header_command(HexDumpState* s, int item, UINT id);
LRESULT uihexdump_on_contextmenu(HWND w, HexDumpState* s, WPARAM wp, LPARAM lp);

// Dump text and copies (uihexdump_copy.cpp).
LRESULT uihexdump_on_getdumptext(HexDumpState* s, int* outLength);
void uihexdump_on_copy(HexDumpState* s);
LRESULT uihexdump_on_getselbytes(HexDumpState* s, WPARAM capacity, void* buffer);
