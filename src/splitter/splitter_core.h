// The splitter's arithmetic, free of the platform: where the bar and the two
// panes go inside an area, how far a drag may move the bar, where the grip
// dashes sit and what the two resize cursors look like.
#pragma once

struct SplitRect {
    int left, top, right, bottom;
};

// The bar inside its area. For a horizontal bar only y and height count
// (offset from the area's top, thickness); for a vertical one x and width.
struct SplitBar {
    bool horizontal;
    int x, y, width, height;
};

inline int splitter_offset(const SplitBar& bar) { return bar.horizontal ? bar.y : bar.x; }
inline int splitter_thickness(const SplitBar& bar) { return bar.horizontal ? bar.height : bar.width; }

// Rectangles of the bar and the panes. Nothing is clamped: an area smaller than
// offset plus thickness gives the second pane a zero or negative extent.
struct SplitLayout {
    SplitRect bar, first, second;
};
SplitLayout splitter_compute_layout(const SplitRect& area, const SplitBar& bar);

// Range of the bar offset along the drag axis: the bar may lie between lower
// and upper - thickness. A nested bar (a pane that is a splitter of the same
// orientation) is passed as its rectangle in the same coordinates as the area,
// else null. Nested bars only ever narrow the range: a nested bar that has
// slipped outside the area does not let the bar leave it.
struct SplitLimits {
    int lower, upper;
};
SplitLimits splitter_drag_limits(const SplitRect& area, bool horizontal, const SplitRect* first_bar,
                                 const SplitRect* second_bar);

// new = max(lower, proposed); if it then reaches past upper, upper - thickness
// (that rule wins when the two collide).
int splitter_clamp_offset(int proposed, int thickness, SplitLimits limits);

// One drag step along the axis. The pointer is in the bar's own client
// coordinates, so offset + pointer - grab keeps the grabbed point under it.
inline int splitter_drag_offset(int offset, int pointer, int grab, int thickness, SplitLimits limits) {
    return splitter_clamp_offset(offset + pointer - grab, thickness, limits);
}

// The pointer position whose drag step proposes `start` while the bar sits at
// `offset`: cancelling a drag is a step back to where it began.
inline int splitter_cancel_pointer(int grab, int start, int offset) { return grab + start - offset; }

// The three one-pixel dashes of the grip around the centre of the client
// rectangle (halves rounded toward zero); right/bottom edges exclusive.
void splitter_grip_rects(const SplitRect& client, bool horizontal, SplitRect out[3]);

// Monochrome masks of the 32x32 cursors (hot spot 15,15), 4 bytes a row,
// leftmost pixel in the top bit: '#' black (and 0, xor 0), 'o' white
// (and 0, xor 1), '.' and unlisted rows transparent (and 1, xor 0).
constexpr int kSplitterCursorSize = 32;
constexpr int kSplitterCursorHot = 15;
constexpr int kSplitterMaskBytes = kSplitterCursorSize * kSplitterCursorSize / 8;
enum class SplitterCursorKind { Row, Column };
void splitter_cursor_masks(SplitterCursorKind kind, unsigned char and_mask[kSplitterMaskBytes],
                           unsigned char xor_mask[kSplitterMaskBytes]);
