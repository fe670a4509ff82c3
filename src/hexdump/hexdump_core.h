// Arithmetic of the hex dump control that needs no window: column widths and
// cell positions, hit testing, scroll clamping, key movement, search, and the
// dump text. Offsets are 32-bit in the control's state; everything that can
// pass 2^31 on the way (row * bytes per row, caret + a page) is computed in
// 64 bits here and clamped before it goes back.
#pragma once
#include <cstddef>
#include <cstdint>

// The display settings the layout depends on.
struct HexGeometry {
    int cellWidth;      // w: pixels per character of the dump font
    int digitsPerByte;  // d: 2 hex, 3 decimal/octal, 8 binary
    int bytesPerRow;    // n
    int groupSize;      // 0: no groups
};

// Group used in all arithmetic: the group size, or the whole row without groups.
int hexdump_effective_group(int bytesPerRow, int groupSize);
// Characters per byte for a radix (16, 10, 8, 1 for binary); 0 for anything else.
int hexdump_digits_for_radix(int radix);

// Widths in pixels.
int hexdump_byte_cell_width(const HexGeometry& g);  // b = w/2 + d*w
int hexdump_offset_column_width(int cellWidth);
int hexdump_dump_column_width(const HexGeometry& g);
int hexdump_ascii_column_width(int cellWidth, int bytesPerRow);
int hexdump_total_width(const HexGeometry& g);

// Left edges relative to their column's left edge.
int hexdump_dump_cell_x(const HexGeometry& g, int j);
int hexdump_dump_text_x(const HexGeometry& g, int j);  // where the cell's digits start
int hexdump_ascii_cell_x(int cellWidth, int j);

// Rows.
int hexdump_row_count(int size, int bytesPerRow);
int hexdump_visible_rows(int bodyHeight, int cellHeight, int rowCount);
// Keeps top + visible <= rowCount and top >= 0.
int hexdump_clamp_top_row(int topRow, int visibleRows, int rowCount);
// Top row after bringing the row of `offset` into view.
int hexdump_reveal(int topRow, int visibleRows, long long offset, int bytesPerRow);
// Lowers to size, then raises to 0, as every selection change does.
int hexdump_clamp_offset(long long offset, int size);

// Hit test.
enum : unsigned {
    HEXHIT_BODY = 0x01,
    HEXHIT_OFFSET = 0x02,
    HEXHIT_DUMP = 0x04,
    HEXHIT_ASCII = 0x08,
    HEXHIT_TOPBAND = 0x10,
    HEXHIT_BOTTOMBAND = 0x20,
    HEXHIT_RIGHTHALF = 0x40,
};

struct HexHitInput {
    HexGeometry geometry;
    int cellHeight;
    int bodyTop;
    int clientRight;
    int clientBottom;
    int columnLeft[3];   // client x of offset, dump, ASCII column
    int columnWidth[3];
    int topRow;
    int size;
};

struct HexHitResult {
    unsigned code;
    int offset;          // before the half-cell adjustment
    int scrollSpeed;     // valid only when speedSet
    bool speedSet;
};

HexHitResult hexdump_hittest(const HexHitInput& in, int x, int y);

// Keyboard movement. `key` is the low byte of the virtual key plus 0x100 for
// Shift, 0x200 for Ctrl, 0x400 for Alt.
enum HexKeyMove { HEXKEY_NOT_MOVEMENT, HEXKEY_MOVE, HEXKEY_BLOCKED };
HexKeyMove hexdump_key_move(unsigned key, int caret, int size, int bytesPerRow, int visibleRows,
                            long long* newCaret);

// Scrolling by scroll-bar codes (0 line up .. 7 bottom). Returns false for
// codes that do nothing; else the clamped new value.
bool hexdump_vscroll_target(int code, int topRow, int visibleRows, int rowCount, int trackPos, int* newTop);
bool hexdump_hscroll_target(int code, int scrollX, int pageWidth, int totalWidth, int cellWidth, int thumbPos,
                            int* newX);
// The horizontal position after a layout change.
int hexdump_clamp_scroll_x(int scrollX, int pageWidth, int totalWidth);

// One auto-scroll step: bytes the caret moves (negative upward) and timer interval.
struct HexAutoScroll {
    long long step;
    unsigned intervalMs;
};
HexAutoScroll hexdump_autoscroll_step(bool up, int scrollSpeed, int bytesPerRow);

// Search from `start` forward, then from 0 up to before start - length.
// Returns the match position or -1.
long long hexdump_find(const uint8_t* data, int size, int start, const uint8_t* pattern, int length);

// Text of one byte: 16 "%02X", 10 "%3d", 8 "%03o", 1 eight binary digits.
// Writes the characters (no NUL) and returns their count, 0 for another radix.
int hexdump_format_byte(int radix, uint8_t byte, char* out);
// Offset as painted: 8 hex digits, or decimal without padding. Returns length.
int hexdump_format_offset(bool decimal, unsigned offset, char out[16]);

// Dump text of the bytes lo..hi of a block.
struct HexTextSettings {
    int bytesPerRow;
    int groupSize;
    int digitsPerByte;
    int dumpRadix;
    bool decimalOffset;
    bool copyOffset;
    bool copyDump;
    bool copyAscii;
    bool extendedAscii;
};

// Exact length of the text without its NUL (decimal offsets of 9 digits and
// more widen their lines, and are counted). -1 for invalid settings or range.
long long hexdump_text_length(const HexTextSettings& s, long long lo, long long hi);
// Writes the text and a NUL into `out`, which holds hexdump_text_length + 1
// bytes. `selected` points at the byte at offset lo and holds hi - lo bytes;
// lo and hi are offsets from the start of the data, as the lines show them.
// Returns the characters written without the NUL. A large text is written in
// slices of whole lines on several threads: the same text as in one pass.
size_t hexdump_text_write(const HexTextSettings& s, const uint8_t* selected, long long lo, long long hi, char* out);
// The same with the slicing chosen: linesPerSlice lines per slice (0: one
// pass on this thread) on up to `threads` threads.
size_t hexdump_text_write_sliced(const HexTextSettings& s, const uint8_t* selected, long long lo, long long hi,
                                 char* out, long long linesPerSlice, unsigned threads);
