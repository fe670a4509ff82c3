// Hex dump arithmetic: columns, cells, hit testing, scrolling, keys, search.
#include "hexdump/hexdump_core.h"

#include <gtest/gtest.h>
#include <climits>
#include <vector>

namespace {

HexGeometry defaults(int w = 8) { return HexGeometry{w, 2, 16, 4}; }

// A control 8 pixels per cell, 14 per row, columns side by side from x 0 under
// a 20-pixel header, 600 x 300 client area.
HexHitInput layout_input(int size, int topRow = 0) {
    HexHitInput in{};
    in.geometry = defaults();
    in.cellHeight = 14;
    in.bodyTop = 20;
    in.clientRight = 600;
    in.clientBottom = 300;
    in.columnLeft[0] = 0;
    in.columnWidth[0] = 80;
    in.columnLeft[1] = 80;
    in.columnWidth[1] = 352;
    in.columnLeft[2] = 432;
    in.columnWidth[2] = 160;
    in.topRow = topRow;
    in.size = size;
    return in;
}

}  // namespace

TEST(HexLayout, DefaultColumnsForCellWidth8) {
    HexGeometry g = defaults();
    EXPECT_EQ(hexdump_offset_column_width(8), 80);
    EXPECT_EQ(hexdump_dump_column_width(g), 352);
    EXPECT_EQ(hexdump_ascii_column_width(8, 16), 160);
    EXPECT_EQ(hexdump_total_width(g), 592);
    EXPECT_EQ(hexdump_byte_cell_width(g), 20);
}

TEST(HexLayout, DumpCellPositionsWithGroupGaps) {
    HexGeometry g = defaults();
    for (int j = 0; j < 16; ++j) EXPECT_EQ(hexdump_dump_cell_x(g, j), 4 + 20 * j + 8 * (j / 4)) << j;
    EXPECT_EQ(hexdump_dump_text_x(g, 0), 6);
    for (int j = 0; j < 16; ++j) EXPECT_EQ(hexdump_ascii_cell_x(8, j), 8 + 9 * j);
    // No groups: the whole row is one group, no gaps.
    HexGeometry none{8, 2, 16, 0};
    EXPECT_EQ(hexdump_dump_cell_x(none, 15), 4 + 20 * 15);
    EXPECT_EQ(hexdump_dump_column_width(none), 20 * 16 + 8);
}

TEST(HexLayout, OtherRadixesRowsAndGroups) {
    // Binary, 32 per row, groups of 4: b = 4 + 64.
    HexGeometry bin{8, 8, 32, 4};
    EXPECT_EQ(hexdump_dump_column_width(bin), 68 * 32 + 8 + 7 * 8);
    EXPECT_EQ(hexdump_ascii_column_width(8, 32), 9 * 32 + 16);
    // 10 per row, groups of 4: two gaps.
    HexGeometry ten{8, 2, 10, 4};
    EXPECT_EQ(hexdump_dump_column_width(ten), 200 + 8 + 2 * 8);
    EXPECT_EQ(hexdump_dump_cell_x(ten, 8), 4 + 160 + 16);
    EXPECT_EQ(hexdump_digits_for_radix(16), 2);
    EXPECT_EQ(hexdump_digits_for_radix(10), 3);
    EXPECT_EQ(hexdump_digits_for_radix(8), 3);
    EXPECT_EQ(hexdump_digits_for_radix(1), 8);
    EXPECT_EQ(hexdump_digits_for_radix(2), 0);
}

TEST(HexRows, CountsAndClampsWithoutOverflowNear2GiB) {
    EXPECT_EQ(hexdump_row_count(0, 16), 0);
    EXPECT_EQ(hexdump_row_count(20, 16), 2);
    EXPECT_EQ(hexdump_row_count(32, 16), 2);
    EXPECT_EQ(hexdump_row_count(INT_MAX, 16), INT_MAX / 16 + 1);
    EXPECT_EQ(hexdump_row_count(INT_MAX, 8), (INT_MAX - 1) / 8 + 1);
    EXPECT_EQ(hexdump_visible_rows(280, 14, 100), 20);
    EXPECT_EQ(hexdump_visible_rows(285, 14, 100), 20);  // only whole rows
    EXPECT_EQ(hexdump_visible_rows(280, 14, 3), 3);
    EXPECT_EQ(hexdump_visible_rows(-5, 14, 3), 0);
    EXPECT_EQ(hexdump_clamp_top_row(95, 20, 100), 80);
    EXPECT_EQ(hexdump_clamp_top_row(5, 20, 3), 0);
    EXPECT_EQ(hexdump_clamp_top_row(INT_MAX, 20, INT_MAX / 16 + 1), INT_MAX / 16 + 1 - 20);
}

TEST(HexRows, RevealRule) {
    EXPECT_EQ(hexdump_reveal(10, 20, 5 * 16, 16), 5);        // above: becomes the top
    EXPECT_EQ(hexdump_reveal(10, 20, 29 * 16 + 3, 16), 10);  // last visible row: stays
    EXPECT_EQ(hexdump_reveal(10, 20, 30 * 16, 16), 11);      // one below: scrolls one
    EXPECT_EQ(hexdump_reveal(0, 20, INT_MAX, 8), INT_MAX / 8 - 19);
    EXPECT_EQ(hexdump_clamp_offset(-3, 10), 0);
    EXPECT_EQ(hexdump_clamp_offset(11, 10), 10);
    EXPECT_EQ(hexdump_clamp_offset(static_cast<long long>(INT_MAX) + 16, INT_MAX), INT_MAX);
}

TEST(HexHitTest, HalvesAndGroupGapOfByte5) {
    HexHitInput in = layout_input(1000);
    const int y = 20 + 14 * 2 + 3;  // row 2
    // Byte 5's cell spans 112..131 from the dump column's left edge.
    HexHitResult left = hexdump_hittest(in, 80 + 114, y);
    EXPECT_EQ(left.code & (HEXHIT_DUMP | HEXHIT_RIGHTHALF | HEXHIT_BODY), HEXHIT_DUMP | HEXHIT_BODY);
    EXPECT_EQ(left.offset, 2 * 16 + 5);
    HexHitResult right = hexdump_hittest(in, 80 + 126, y);
    EXPECT_EQ(right.code & HEXHIT_RIGHTHALF, HEXHIT_RIGHTHALF);
    EXPECT_EQ(right.offset, 2 * 16 + 5);  // the caller adds one for the right half
    // The gap after byte 3 (84..91) gives byte 4, the first of the next group.
    HexHitResult gap = hexdump_hittest(in, 80 + 87, y);
    EXPECT_EQ(gap.code & (HEXHIT_DUMP | HEXHIT_RIGHTHALF), HEXHIT_DUMP);
    EXPECT_EQ(gap.offset, 2 * 16 + 4);
}

TEST(HexHitTest, ColumnsBandsAndClamping) {
    HexHitInput in = layout_input(40, 0);
    // Offset column.
    EXPECT_EQ(hexdump_hittest(in, 10, 100).code & 0x0E, HEXHIT_OFFSET);
    // ASCII: nearest boundary; the right half of character 3 gives 4.
    EXPECT_EQ(hexdump_hittest(in, 432 + 8 + 9 * 3 + 2, 40).offset, 3 + 16);
    EXPECT_EQ(hexdump_hittest(in, 432 + 8 + 9 * 3 + 6, 40).offset, 4 + 16);
    EXPECT_EQ(hexdump_hittest(in, 432 + 1, 40).offset, 16);       // before the first cell
    EXPECT_EQ(hexdump_hittest(in, 432 + 159, 40).offset, 32);     // after the last cell: n
    // Below the data: lowered to size.
    EXPECT_EQ(hexdump_hittest(in, 432 + 20, 200).offset, 40);
    EXPECT_EQ(hexdump_hittest(in, 80 + 300, 200).offset, 40);
    // Beyond the columns: body only.
    EXPECT_EQ(hexdump_hittest(in, 595, 150).code, HEXHIT_BODY);
    // Bands: two rows above bodyTop + h is speed 3; below the client speed counts too.
    HexHitResult up = hexdump_hittest(in, 100, 20 + 14 - 3 * 14);
    EXPECT_EQ(up.code & (HEXHIT_TOPBAND | HEXHIT_BODY), HEXHIT_TOPBAND);
    EXPECT_TRUE(up.speedSet);
    EXPECT_EQ(up.scrollSpeed, 3);
    HexHitResult down = hexdump_hittest(in, 100, 300 + 14);
    EXPECT_EQ(down.code & HEXHIT_BOTTOMBAND, HEXHIT_BOTTOMBAND);
    EXPECT_EQ(down.scrollSpeed, 2);
    EXPECT_FALSE(hexdump_hittest(in, 100, 150).speedSet);
    // Header over the columns: no column bit, top band.
    EXPECT_EQ(hexdump_hittest(in, 100, 5).code, HEXHIT_TOPBAND);
}

TEST(HexHitTest, LastRowOfA2GiBBlockDoesNotOverflow) {
    const int rows = hexdump_row_count(INT_MAX, 16);
    HexHitInput in = layout_input(INT_MAX, rows - 20);
    HexHitResult r = hexdump_hittest(in, 432 + 159, 20 + 14 * 19 + 1);
    EXPECT_EQ(r.offset, INT_MAX);
    HexHitResult d = hexdump_hittest(in, 80 + 5, 20 + 14 * 19 + 1);
    EXPECT_EQ(d.offset, (rows - 1) * 16);
}

TEST(HexKeys, MovementTable) {
    long long to = -1;
    EXPECT_EQ(hexdump_key_move(0x25, 10, 100, 16, 10, &to), HEXKEY_MOVE);
    EXPECT_EQ(to, 9);
    EXPECT_EQ(hexdump_key_move(0x125, 0, 100, 16, 10, &to), HEXKEY_MOVE);
    EXPECT_EQ(to, -1);  // clamped by the selection change
    EXPECT_EQ(hexdump_key_move(0x26, 15, 100, 16, 10, &to), HEXKEY_BLOCKED);
    EXPECT_EQ(hexdump_key_move(0x28, 90, 100, 16, 10, &to), HEXKEY_BLOCKED);
    EXPECT_EQ(hexdump_key_move(0x28, 84, 100, 16, 10, &to), HEXKEY_MOVE);
    EXPECT_EQ(to, 100);
    // Page Up from row 2 with 10 visible rows: two rows up, same column.
    EXPECT_EQ(hexdump_key_move(0x21, 2 * 16 + 7, 1000, 16, 10, &to), HEXKEY_MOVE);
    EXPECT_EQ(to, 7);
    EXPECT_EQ(hexdump_key_move(0x22, 7, 1000, 16, 10, &to), HEXKEY_MOVE);
    EXPECT_EQ(to, 167);
    EXPECT_EQ(hexdump_key_move(0x24, 50, 100, 16, 10, &to), HEXKEY_MOVE);
    EXPECT_EQ(to, 0);
    EXPECT_EQ(hexdump_key_move(0x123, 50, 100, 16, 10, &to), HEXKEY_MOVE);
    EXPECT_EQ(to, 100);
    // Ctrl and Alt forms are not movement.
    EXPECT_EQ(hexdump_key_move(0x228, 0, 100, 16, 10, &to), HEXKEY_NOT_MOVEMENT);
    EXPECT_EQ(hexdump_key_move(0x425, 5, 100, 16, 10, &to), HEXKEY_NOT_MOVEMENT);
    EXPECT_EQ(hexdump_key_move(0x41, 5, 100, 16, 10, &to), HEXKEY_NOT_MOVEMENT);
    // Page Down at the end of a 2 GiB block stays in 64 bits.
    EXPECT_EQ(hexdump_key_move(0x22, INT_MAX - 3, INT_MAX, 32, 1000, &to), HEXKEY_MOVE);
    EXPECT_GT(to, INT_MAX);
}

TEST(HexScroll, VerticalAndHorizontalTargets) {
    int top = -1;
    EXPECT_TRUE(hexdump_vscroll_target(0, 0, 10, 100, 0, &top));
    EXPECT_EQ(top, 0);
    EXPECT_TRUE(hexdump_vscroll_target(3, 5, 10, 100, 0, &top));
    EXPECT_EQ(top, 14);  // one row less than the page
    EXPECT_TRUE(hexdump_vscroll_target(2, 5, 10, 100, 0, &top));
    EXPECT_EQ(top, 0);
    EXPECT_TRUE(hexdump_vscroll_target(5, 0, 10, 100, 70000, &top));
    EXPECT_EQ(top, 90);
    EXPECT_TRUE(hexdump_vscroll_target(4, 0, 10, 100000, 70000, &top));
    EXPECT_EQ(top, 70000);  // 32-bit track position beyond 16 bits
    EXPECT_TRUE(hexdump_vscroll_target(7, 0, 10, 100, 0, &top));
    EXPECT_EQ(top, 90);
    EXPECT_TRUE(hexdump_vscroll_target(7, 0, 10, INT_MAX / 8 + 1, 0, &top));
    EXPECT_EQ(top, INT_MAX / 8 + 1 - 10);
    EXPECT_FALSE(hexdump_vscroll_target(8, 0, 10, 100, 0, &top));
    int x = -1;
    EXPECT_TRUE(hexdump_hscroll_target(1, 0, 400, 592, 8, 0, &x));
    EXPECT_EQ(x, 8);
    EXPECT_TRUE(hexdump_hscroll_target(7, 0, 400, 592, 8, 0, &x));
    EXPECT_EQ(x, 192);
    EXPECT_TRUE(hexdump_hscroll_target(3, 0, 400, 592, 8, 0, &x));
    EXPECT_EQ(x, 192);
    EXPECT_TRUE(hexdump_hscroll_target(0, 0, 400, 592, 8, 0, &x));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(hexdump_clamp_scroll_x(300, 400, 592), 192);
    EXPECT_EQ(hexdump_clamp_scroll_x(300, 592, 592), 0);
}

TEST(HexScroll, AutoScrollSpeeds) {
    HexAutoScroll a = hexdump_autoscroll_step(true, 0, 16);
    EXPECT_EQ(a.step, -16);
    EXPECT_EQ(a.intervalMs, 500u);
    a = hexdump_autoscroll_step(true, 3, 16);
    EXPECT_EQ(a.step, -16);
    EXPECT_EQ(a.intervalMs, 166u);
    a = hexdump_autoscroll_step(false, 4, 16);
    EXPECT_EQ(a.step, 4 * 16);
    EXPECT_EQ(a.intervalMs, 125u);
    a = hexdump_autoscroll_step(true, 5, 16);
    EXPECT_EQ(a.step, -8 * 16);
    EXPECT_EQ(a.intervalMs, 100u);
    a = hexdump_autoscroll_step(false, 6, 10);
    EXPECT_EQ(a.step, 12 * 10);
}

TEST(HexFind, ForwardWrapAndEdges) {
    const uint8_t data[] = {'a', 'b', 'c', 'x', 'a', 'b', 'c', 'y', 'a', 'b'};
    const uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(hexdump_find(data, 10, 0, abc, 3), 0);
    EXPECT_EQ(hexdump_find(data, 10, 3, abc, 3), 4);   // after the current match
    EXPECT_EQ(hexdump_find(data, 10, 7, abc, 3), 0);   // wraps to the start
    // The match ending exactly at the start is not found again by the wrap.
    EXPECT_EQ(hexdump_find(data, 7, 7, abc, 3), 0);
    EXPECT_EQ(hexdump_find(data, 3, 3, abc, 3), -1);
    const uint8_t aby[] = {'a', 'b', 'y'};
    EXPECT_EQ(hexdump_find(data, 10, 0, aby, 3), -1);
    const uint8_t ab[] = {'a', 'b'};
    EXPECT_EQ(hexdump_find(data, 10, 9, ab, 2), 0);  // the one at 8 straddles the start
    EXPECT_EQ(hexdump_find(data, 10, 8, ab, 2), 8);     // and at the start it is found
    std::vector<uint8_t> longer(11, 'a');
    EXPECT_EQ(hexdump_find(data, 10, 0, longer.data(), 11), -1);
    EXPECT_EQ(hexdump_find(data, 10, 5, abc, 0), 5);   // empty pattern: at the start
    EXPECT_EQ(hexdump_find(nullptr, 0, 0, abc, 3), -1);
    EXPECT_EQ(hexdump_find(data, 10, 0, nullptr, 3), -1);
    EXPECT_EQ(hexdump_find(data, 10, 0, abc, -1), -1);
}

TEST(HexFormat, BytesAndOffsets) {
    char b[16];
    EXPECT_EQ(std::string(b, hexdump_format_byte(16, 0xAB, b)), "AB");
    EXPECT_EQ(std::string(b, hexdump_format_byte(10, 7, b)), "  7");
    EXPECT_EQ(std::string(b, hexdump_format_byte(10, 255, b)), "255");
    EXPECT_EQ(std::string(b, hexdump_format_byte(8, 8, b)), "010");
    EXPECT_EQ(std::string(b, hexdump_format_byte(1, 0xA5, b)), "10100101");
    EXPECT_EQ(hexdump_format_byte(2, 1, b), 0);
    EXPECT_EQ(std::string(b, hexdump_format_offset(false, 0x10, b)), "00000010");
    EXPECT_EQ(std::string(b, hexdump_format_offset(false, 0x7FFFFFFF, b)), "7FFFFFFF");
    EXPECT_EQ(std::string(b, hexdump_format_offset(true, 0, b)), "0");
    EXPECT_EQ(std::string(b, hexdump_format_offset(true, 2147483647u, b)), "2147483647");
}
