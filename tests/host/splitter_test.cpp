// Splitter arithmetic: pane rectangles, grip, drag limits, drag and cancel steps, cursors.
#include "splitter/splitter_core.h"

#include <gtest/gtest.h>
#include <cstring>

bool operator==(const SplitRect& a, const SplitRect& b) { return !memcmp(&a, &b, sizeof a); }

TEST(Splitter, LayoutUnclampedAndGripAroundTheCentre) {
    const struct { SplitRect area; SplitBar bar; SplitRect first, barRect, second; } cases[] = {
        {{10, 20, 110, 220}, {true, 999, 30, 999, 4}, {10, 20, 110, 50}, {10, 50, 110, 54}, {10, 54, 110, 220}},
        {{10, 20, 110, 220}, {false, 40, 999, 5, 999}, {10, 20, 50, 220}, {50, 20, 55, 220}, {55, 20, 110, 220}},
        {{0, 0, 640, 300}, {true, 0, 323, 0, 3}, {0, 0, 640, 323}, {0, 323, 640, 326}, {0, 326, 640, 300}},
    };
    for (const auto& c : cases) {
        SplitLayout l = splitter_compute_layout(c.area, c.bar);
        EXPECT_TRUE(l.first == c.first && l.bar == c.barRect && l.second == c.second);
    }
    SplitRect d[3];
    splitter_grip_rects({0, 0, 640, 3}, true, d);  // centre (320, 1)
    EXPECT_TRUE(d[0] == (SplitRect{314, 1, 317, 2}) && d[2] == (SplitRect{324, 1, 327, 2}));
}

TEST(Splitter, DragLimitsStepsAndCursors) {
    const SplitRect above{0, 160, 640, 163}, pushed{0, 520, 640, 523}, before{0, -20, 640, -17};
    const SplitRect left{100, 0, 104, 400}, right{300, 0, 304, 400}, tall{0, 0, 640, 486}, wide{50, 0, 450, 400};
    const struct { SplitRect area; bool horizontal; const SplitRect *first, *second; int proposed, want; } cases[] = {
        {tall, true, &above, nullptr, 0, 163}, {tall, true, &above, nullptr, 900, 483},
        {{0, 0, 640, 100}, true, &above, nullptr, -5, 97},  // the upper rule wins a collision
        {{0, 0, 640, 500}, true, nullptr, &pushed, 600, 497}, {{0, 0, 640, 500}, true, &before, nullptr, -9, 0},
        {wide, false, &left, &right, 248, 247}, {wide, false, &left, &right, 10, 54},  // from the area's left edge
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitter_clamp_offset(c.proposed, 3, splitter_drag_limits(c.area, c.horizontal, c.first, c.second)),
                  c.want) << c.proposed;
    // A step keeps the grabbed point under the pointer; cancel steps back, within the limits.
    EXPECT_EQ(splitter_drag_offset(160, 21, 1, 3, {0, 323}), 180);
    EXPECT_EQ(splitter_drag_offset(190, splitter_cancel_pointer(1, 160, 190), 1, 3, {170, 323}), 170);
    // Both cursors: drawn under the hot spot on a transparent ground, no pixel inverted.
    auto bit = [](const unsigned char* m, int i) { return (m[i / 8] >> (7 - i % 8)) & 1; };
    for (SplitterCursorKind kind : {SplitterCursorKind::Row, SplitterCursorKind::Column}) {
        unsigned char a[kSplitterMaskBytes], x[kSplitterMaskBytes];
        splitter_cursor_masks(kind, a, x);
        EXPECT_EQ(bit(a, kSplitterCursorHot * 33), 0);
        for (int i = 0; i < 32 * 32; ++i) EXPECT_TRUE((i % 32 % 31 || bit(a, i)) && !(bit(a, i) && bit(x, i))) << i;
    }
}
