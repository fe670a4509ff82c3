// Splitter arithmetic: pane rectangles, drag limits against nested bars, the
// cancel step, the grip and the cursor masks.
#include "splitter/splitter_core.h"

#include <gtest/gtest.h>

namespace {

bool same(const SplitRect& a, const SplitRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
#define EXPECT_RECT(r, l, t, rt, b) EXPECT_TRUE(same((r), SplitRect{l, t, rt, b})) \
    << (r).left << "," << (r).top << "," << (r).right << "," << (r).bottom

// Pixel of a mask pair: '#', 'o', '.' or '^' (inverted, never used).
char pixel(const unsigned char* and_mask, const unsigned char* xor_mask, int x, int y) {
    int at = y * 4 + x / 8;
    unsigned bit = 0x80u >> (x % 8);
    bool a = and_mask[at] & bit, x1 = xor_mask[at] & bit;
    return a ? (x1 ? '^' : '.') : (x1 ? 'o' : '#');
}

}  // namespace

TEST(SplitterLayout, HorizontalAndVerticalBarsSplitTheArea) {
    // The main window's inner splitter: bar 3 high at 160 inside 0..323.
    SplitLayout h = splitter_compute_layout({0, 0, 640, 323}, {true, 160, 160, 3, 3});
    EXPECT_RECT(h.bar, 0, 160, 640, 163);
    EXPECT_RECT(h.first, 0, 0, 640, 160);
    EXPECT_RECT(h.second, 0, 163, 640, 323);
    // An area that does not start at the origin; x/width are ignored for a horizontal bar.
    h = splitter_compute_layout({10, 20, 110, 220}, {true, 999, 30, 999, 4});
    EXPECT_RECT(h.bar, 10, 50, 110, 54);
    EXPECT_RECT(h.first, 10, 20, 110, 50);
    EXPECT_RECT(h.second, 10, 54, 110, 220);
    SplitLayout v = splitter_compute_layout({10, 20, 110, 220}, {false, 40, 999, 5, 999});
    EXPECT_RECT(v.bar, 50, 20, 55, 220);
    EXPECT_RECT(v.first, 10, 20, 50, 220);
    EXPECT_RECT(v.second, 55, 20, 110, 220);
}

TEST(SplitterLayout, SmallAreaIsNotClamped) {
    // Window lower than offset + thickness: the second pane gets no (negative) height.
    SplitLayout h = splitter_compute_layout({0, 0, 640, 300}, {true, 0, 323, 0, 3});
    EXPECT_RECT(h.bar, 0, 323, 640, 326);
    EXPECT_RECT(h.second, 0, 326, 640, 300);
    EXPECT_RECT(h.first, 0, 0, 640, 323);
    h = splitter_compute_layout({0, 0, 640, 326}, {true, 0, 323, 0, 3});
    EXPECT_EQ(h.second.bottom - h.second.top, 0);
}

TEST(SplitterDrag, MainWindowNestingLimits) {
    // Inner bar: panes are plain windows, area is the outer bar's upper pane 0..323.
    SplitLimits inner = splitter_drag_limits({0, 0, 640, 323}, true, nullptr, nullptr);
    EXPECT_EQ(inner.lower, 0);
    EXPECT_EQ(inner.upper, 323);
    EXPECT_EQ(splitter_clamp_offset(-50, 3, inner), 0);
    EXPECT_EQ(splitter_clamp_offset(1000, 3, inner), 320);
    EXPECT_EQ(splitter_clamp_offset(200, 3, inner), 200);
    // Outer bar: the inner bar (160..163) above it is the lower limit.
    SplitRect inner_bar{0, 160, 640, 163};
    SplitLimits outer = splitter_drag_limits({0, 0, 640, 486}, true, &inner_bar, nullptr);
    EXPECT_EQ(outer.lower, 163);
    EXPECT_EQ(outer.upper, 486);
    EXPECT_EQ(splitter_clamp_offset(0, 3, outer), 163);
    EXPECT_EQ(splitter_clamp_offset(900, 3, outer), 483);
}

TEST(SplitterDrag, UpperRuleWinsWhenLimitsCollide) {
    // Area only 100 high but the nested bar ends at 163: the bar ends up at 97.
    SplitRect nested{0, 160, 640, 163};
    SplitLimits l = splitter_drag_limits({0, 0, 640, 100}, true, &nested, nullptr);
    EXPECT_EQ(splitter_clamp_offset(120, 3, l), 97);
    EXPECT_EQ(splitter_clamp_offset(-5, 3, l), 97);
}

TEST(SplitterDrag, NestedBarsInAnOffsetAreaAndVertical) {
    // Offsets are relative to the area's edge, not the parent's origin.
    SplitRect first{100, 0, 104, 400};   // vertical nested bar in the first pane
    SplitRect second{300, 0, 304, 400};  // and one in the second pane
    SplitLimits l = splitter_drag_limits({50, 0, 450, 400}, false, &first, &second);
    EXPECT_EQ(l.lower, 54);
    EXPECT_EQ(l.upper, 250);
    EXPECT_EQ(splitter_clamp_offset(249, 4, l), 246);
    EXPECT_EQ(splitter_clamp_offset(246, 4, l), 246);
    EXPECT_EQ(splitter_clamp_offset(10, 4, l), 54);
}

TEST(SplitterDrag, NestedBarBeyondTheAreaDoesNotWidenTheRange) {
    // A nested bar in the second pane keeps its offset from that pane's top, so
    // dragging pushes it along, possibly past the area's end. The area still
    // bounds the bar; otherwise the bar could be dragged out of sight.
    SplitRect pushed{0, 520, 640, 523};
    SplitLimits l = splitter_drag_limits({0, 0, 640, 500}, true, nullptr, &pushed);
    EXPECT_EQ(l.upper, 500);
    EXPECT_EQ(splitter_clamp_offset(600, 3, l), 497);
    SplitRect above{0, -20, 640, -17};  // a nested bar before the area's start
    l = splitter_drag_limits({0, 0, 640, 500}, true, &above, nullptr);
    EXPECT_EQ(l.lower, 0);
}

TEST(SplitterDrag, StepKeepsGrabPointAndCancelReturnsToStart) {
    SplitLimits l{0, 323};
    // Grabbed at y 1 in the bar at 160; pointer moves to 21 in the bar's own coordinates.
    int offset = splitter_drag_offset(160, 21, 1, 3, l);
    EXPECT_EQ(offset, 180);
    // The bar moved with the pointer; the next move is again relative to the bar.
    offset = splitter_drag_offset(offset, 11, 1, 3, l);
    EXPECT_EQ(offset, 190);
    // Cancel: the pointer that proposes the start offset.
    int pointer = splitter_cancel_pointer(1, 160, offset);
    EXPECT_EQ(splitter_drag_offset(offset, pointer, 1, 3, l), 160);
    // The return is limited like any step (start now outside a narrowed range).
    EXPECT_EQ(splitter_drag_offset(offset, pointer, 1, 3, SplitLimits{170, 323}), 170);
}

TEST(SplitterGrip, ThreeDashesAroundTheCentre) {
    SplitRect d[3];
    splitter_grip_rects({0, 0, 640, 3}, true, d);  // centre (320, 1)
    EXPECT_RECT(d[0], 314, 1, 317, 2);
    EXPECT_RECT(d[1], 319, 1, 322, 2);
    EXPECT_RECT(d[2], 324, 1, 327, 2);
    splitter_grip_rects({0, 0, 5, 101}, false, d);  // centre (2, 50)
    EXPECT_RECT(d[0], 2, 44, 3, 47);
    EXPECT_RECT(d[1], 2, 49, 3, 52);
    EXPECT_RECT(d[2], 2, 54, 3, 57);
    // Halves round toward zero, also for negative coordinates.
    splitter_grip_rects({-7, -3, 0, 0}, true, d);  // centre (-3, -1)
    EXPECT_RECT(d[1], -4, -1, -1, 0);
}

TEST(SplitterCursor, MasksFollowThePictures) {
    unsigned char a[kSplitterMaskBytes], x[kSplitterMaskBytes];
    splitter_cursor_masks(SplitterCursorKind::Row, a, x);
    EXPECT_EQ(pixel(a, x, 16, 7), 'o');   // arrow tip
    EXPECT_EQ(pixel(a, x, 16, 8), '#');
    EXPECT_EQ(pixel(a, x, 15, 8), 'o');
    EXPECT_EQ(pixel(a, x, 9, 14), 'o');   // line edge
    EXPECT_EQ(pixel(a, x, 10, 14), '#');
    EXPECT_EQ(pixel(a, x, 22, 14), '#');
    EXPECT_EQ(pixel(a, x, 23, 14), 'o');
    EXPECT_EQ(pixel(a, x, 12, 15), 'o');  // white gap between the lines
    EXPECT_EQ(pixel(a, x, 16, 23), 'o');
    EXPECT_EQ(pixel(a, x, 16, 24), '.');  // rows not listed stay transparent
    EXPECT_EQ(pixel(a, x, 16, 6), '.');
    EXPECT_EQ(pixel(a, x, 0, 0), '.');
    EXPECT_EQ(pixel(a, x, 31, 31), '.');

    splitter_cursor_masks(SplitterCursorKind::Column, a, x);
    EXPECT_EQ(pixel(a, x, 7, 16), 'o');   // left arrow tip
    EXPECT_EQ(pixel(a, x, 8, 16), '#');
    EXPECT_EQ(pixel(a, x, 15, 16), 'o');  // gap between the two lines
    EXPECT_EQ(pixel(a, x, 16, 16), 'o');
    EXPECT_EQ(pixel(a, x, 24, 16), 'o');  // right arrow tip
    EXPECT_EQ(pixel(a, x, 14, 10), '#');
    EXPECT_EQ(pixel(a, x, 13, 9), 'o');
    EXPECT_EQ(pixel(a, x, 19, 9), '.');
    EXPECT_EQ(pixel(a, x, 15, 8), '.');
    EXPECT_EQ(pixel(a, x, 15, 24), '.');
    // Counting: no pixel is ever inverted, and the pictures differ.
    int black = 0, white = 0;
    for (int yy = 0; yy < 32; ++yy)
        for (int xx = 0; xx < 32; ++xx) {
            char p = pixel(a, x, xx, yy);
            EXPECT_NE(p, '^');
            black += p == '#';
            white += p == 'o';
        }
    EXPECT_EQ(black, 50);  // the '#' pixels of rows 10..22 of the picture
    EXPECT_GT(white, 0);
}
