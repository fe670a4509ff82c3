// Hex dump arithmetic and dump text, against numbers worked out by hand, 2 GiB edges included.
#include "hexdump/hexdump_core.h"

#include <gtest/gtest.h>
#include <climits>
#include <numeric>
#include <string>
#include <vector>

namespace {

using V = std::vector<long long>;

void expect_all(const std::vector<std::pair<long long, long long>>& got_want) {  // each computed value against its own
    for (size_t i = 0; i < got_want.size(); ++i) EXPECT_EQ(got_want[i].first, got_want[i].second) << "case " << i; }

std::string dump(const HexTextSettings& s, const std::vector<uint8_t>& selected, long long lo, long long hi) {
    const long long len = hexdump_text_length(s, lo, hi);
    std::string out(static_cast<size_t>(len < 0 ? 0 : len) + 1, '#');
    const size_t written = hexdump_text_write(s, selected.data(), lo, hi, out.data());
    EXPECT_EQ(V({static_cast<long long>(written), out[written]}), V({len, 0}));
    return out.substr(0, written);
}

std::vector<uint8_t> counting(size_t from, size_t n) {  // the bytes from, from + 1, ...
    std::vector<uint8_t> v(n);
    return std::iota(v.begin(), v.end(), static_cast<uint8_t>(from)), v;
}

constexpr int kRows2G = INT_MAX / 16 + 1;  // rows of a 2 GiB block

}  // namespace

TEST(HexLayout, ColumnsCellsRowsAndReveal) {
    const HexGeometry def{8, 2, 16, 4}, bin32{8, 8, 32, 4}, ten{8, 2, 10, 4}, none{8, 2, 16, 0};
    expect_all({
        {hexdump_offset_column_width(8), 80}, {hexdump_dump_column_width(def), 352}, {hexdump_total_width(def), 592},
        {hexdump_ascii_column_width(8, 16), 160}, {hexdump_dump_column_width(bin32), 68 * 32 + 8 + 7 * 8}, {hexdump_dump_column_width(ten), 224},
        {hexdump_dump_column_width(none), 20 * 16 + 8}, {hexdump_dump_column_width({8, 2, -1, 4}), 8}, {hexdump_dump_cell_x(def, 0), 4},
        {hexdump_dump_cell_x(def, 5), 112}, {hexdump_dump_cell_x(def, 15), 328}, {hexdump_dump_cell_x(ten, 8), 180},
        {hexdump_dump_cell_x(none, 15), 304}, {hexdump_dump_text_x(def, 0), 6}, {hexdump_ascii_cell_x(8, 3), 35}, {hexdump_row_count(0, 16), 0},
        {hexdump_row_count(17, 16), 2}, {hexdump_row_count(32, 16), 2}, {hexdump_row_count(5, 0), 0}, {hexdump_row_count(INT_MAX, 8), (INT_MAX - 1) / 8 + 1},
        {hexdump_visible_rows(285, 14, 100), 20}, {hexdump_visible_rows(280, 14, 3), 3}, {hexdump_visible_rows(280, 0, 3), 0},
        {hexdump_visible_rows(-5, 14, 3), 0}, {hexdump_clamp_top_row(95, 20, 100), 80}, {hexdump_clamp_top_row(5, 20, 3), 0},
        {hexdump_clamp_top_row(INT_MAX, 20, kRows2G), kRows2G - 20}, {hexdump_reveal(10, 20, 5 * 16, 16), 5}, {hexdump_reveal(10, 20, 29 * 16 + 15, 16), 10},
        {hexdump_reveal(10, 20, 30 * 16, 16), 11}, {hexdump_reveal(0, 20, INT_MAX, 8), INT_MAX / 8 - 19}, {hexdump_reveal(7, 20, 500, 0), 7},
        {hexdump_clamp_offset(-3, 10), 0}, {hexdump_clamp_offset(11, 10), 10}, {hexdump_clamp_offset(10, 10), 10},
        {hexdump_clamp_offset(INT_MAX + 16LL, INT_MAX), INT_MAX},
    });
}

TEST(HexHitTest, ColumnsHalvesGapsBandsAndClamping) {
    // 8 pixels per cell, 14 per row, columns side by side under a 20-pixel header, client 600 x 300.
    const long long B = HEXHIT_BODY, D = HEXHIT_DUMP | B, A = HEXHIT_ASCII | B, R = HEXHIT_RIGHTHALF, T = HEXHIT_TOPBAND,
                    U = HEXHIT_BOTTOMBAND;
    const long long cases[][7] = {  // x, y, size, top row; code, offset, scroll speed
        {194, 51, 1000, 0, D, 37, 0}, {206, 51, 1000, 0, D | R, 37, 0}, {167, 51, 1000, 0, D, 36, 0},  // byte 5's halves; a gap
        {102, 51, 1000, 0, D | R, 32, 0}, {103, 51, 1000, 0, D, 33, 0},  // the last pixel of a byte, the first of the next
        {423, 51, 1000, 0, D | R, 47, 0}, {10, 100, 40, 0, HEXHIT_OFFSET | B, 0, 0}, {469, 40, 40, 0, A, 19, 0},
        {473, 40, 40, 0, A, 20, 0}, {444, 40, 40, 0, A, 16, 0}, {591, 40, 40, 0, A, 32, 0}, {452, 200, 40, 0, A, 40, 0},
        {380, 200, 40, 0, D | R, 40, 0}, {595, 150, 40, 0, B, 0, 0}, {600, 150, 40, 0, 0, 0, 0}, {100, 5, 40, 0, T, 0, 2},
        {100, -8, 40, 0, T, 0, 3}, {100, 314, 40, 0, U, 0, 2}, {85, 286, 40, 0, D | U, 40, 0},
        {591, 287, INT_MAX, kRows2G - 20, A | U, INT_MAX, 0}, {85, 287, INT_MAX, kRows2G - 20, D | U, INT_MAX / 16 * 16, 0},
    };
    for (auto& c : cases) {
        HexHitInput in{{8, 2, 16, 4}, 14, 20, 600, 300, {0, 80, 432}, {80, 352, 160}, int(c[3]), int(c[2])};
        HexHitResult r = hexdump_hittest(in, int(c[0]), int(c[1]));
        EXPECT_EQ(V({r.code, r.offset, r.speedSet, r.speedSet ? r.scrollSpeed : 0}), V({c[4], c[5], (c[4] & (T | U)) != 0, c[6]}))
            << c[0] << "," << c[1];
    }
    EXPECT_EQ(hexdump_hittest({{0, 2, 16, 4}, 14, 20, 600, 300, {0, 80, 432}, {80, 352, 160}, 0, 40}, 100, 100).code, 0u);
}

TEST(HexKeysAndScroll, MovementScrollTargetsAndAutoScroll) {
    const long long M = HEXKEY_MOVE, X = HEXKEY_BLOCKED, N = HEXKEY_NOT_MOVEMENT;
    const long long keys[][6] = {  // key, caret, size, row; result, new caret (10 rows visible)
        {0x25, 10, 100, 16, M, 9},   {0x125, 0, 100, 16, M, -1},   {0x27, 99, 100, 16, M, 100},  {0x26, 15, 100, 16, X, 0},
        {0x26, 16, 100, 16, M, 0},   {0x28, 85, 100, 16, X, 0},    {0x28, 84, 100, 16, M, 100},  {0x21, 39, 1000, 16, M, 7},
        {0x21, 500, 1000, 16, M, 340}, {0x22, 7, 1000, 16, M, 167}, {0x24, 50, 100, 16, M, 0},   {0x123, 50, 100, 16, M, 100},
        {0x228, 0, 100, 16, N, 0},   {0x425, 5, 100, 16, N, 0},    {0x41, 5, 100, 16, N, 0},
        {0x22, INT_MAX - 3, INT_MAX, 32, M, INT_MAX + 317LL}};
    for (auto& k : keys) {
        long long to = 0;
        EXPECT_EQ(V({hexdump_key_move(unsigned(k[0]), int(k[1]), int(k[2]), int(k[3]), 10, &to), to}), V({k[4], k[5]}))
            << std::hex << k[0] << " at " << std::dec << k[1];
    }
    int out = -1;  // -1: a code that does nothing
    auto v = [&](int code, int top, int rows, int track = 0) { return hexdump_vscroll_target(code, top, 10, rows, track, &out) ? out : -1; };
    auto h = [&](int code, int x, int thumb = 0) { return hexdump_hscroll_target(code, x, 400, 592, 8, thumb, &out) ? out : -1; };
    expect_all({
        {v(0, 0, 100), 0}, {v(0, 5, 100), 4}, {v(1, 5, 100), 6}, {v(1, 90, 100), 90}, {v(2, 15, 100), 6}, {v(2, 5, 100), 0},
        {v(3, 5, 100), 14}, {v(4, 0, 100, 42), 42}, {v(5, 0, 100, 70000), 90}, {v(4, 0, 100000, 70000), 70000},
        {v(6, 50, 100), 0}, {v(7, 0, 100), 90}, {v(8, 3, 100), -1}, {v(7, 0, INT_MAX / 8 + 1), INT_MAX / 8 - 9},
        {h(0, 0), 0}, {h(0, 20), 12}, {h(1, 0), 8}, {h(2, 192), 0}, {h(3, 0), 192}, {h(5, 0, 100), 100}, {h(4, 0, 999), 192},
        {h(6, 50), 0}, {h(7, 0), 192}, {h(8, 0), -1}, {hexdump_clamp_scroll_x(300, 400, 592), 192},
        {hexdump_clamp_scroll_x(300, 592, 592), 0}, {hexdump_clamp_scroll_x(100, 400, 592), 100},
    });
    auto step = [](bool up, int speed, int row) { const HexAutoScroll a = hexdump_autoscroll_step(up, speed, row); return a.step * 1000 + a.intervalMs; };
    expect_all({{step(true, 0, 16), -16000 + 500}, {step(true, 3, 16), -16000 + 166}, {step(false, 4, 16), 64125},
                {step(true, 5, 16), -128000 + 100}, {step(false, 6, 10), 120083}});  // rows moved and interval of a tick
}

TEST(HexFind, ForwardThenWrappedSearch) {
    const uint8_t d[] = {'a', 'b', 'c', 'x', 'a', 'b', 'c', 'y', 'a', 'b'}, abc[] = {'a', 'b', 'c'}, cx[] = {'c', 'x'};
    expect_all({
        {hexdump_find(d, 10, 0, abc, 3), 0}, {hexdump_find(d, 10, 3, abc, 3), 4}, {hexdump_find(d, 10, 7, abc, 3), 0},
        {hexdump_find(d, 7, 7, abc, 3), 0}, {hexdump_find(d, 3, 3, abc, 3), -1}, {hexdump_find(d, 10, 9, abc, 2), 0},
        {hexdump_find(d, 10, 8, abc, 2), 8}, {hexdump_find(d, 10, 5, cx, 2), 2}, {hexdump_find(d, 10, 4, cx, 2), -1},
        {hexdump_find(d, 10, 0, d, 11), -1}, {hexdump_find(d, 10, 5, abc, 0), 5}, {hexdump_find(d, 10, 11, abc, 0), -1},
        {hexdump_find(nullptr, 0, 0, abc, 3), -1}, {hexdump_find(d, 10, 0, nullptr, 3), -1}, {hexdump_find(d, 10, 0, abc, -1), -1},
        {hexdump_find(d, -1, 0, abc, 1), -1},
    });
}

TEST(HexText, LinesFieldsAndOffsets) {
    // bytesPerRow, groupSize, digitsPerByte, dumpRadix, decimalOffset, copyOffset, copyDump, copyAscii, extendedAscii
    const HexTextSettings all{16, 4, 2, 16, false, true, true, true, true}, none{16, 4, 2, 16, false, false, false, false, true},
        decimalOffsets{16, 4, 2, 16, true, true, false, false, true}, plain{16, 4, 2, 16, false, false, false, true, false},
        extended{16, 4, 2, 16, false, false, false, true, true}, ten{10, 4, 2, 16, false, false, true, false, true},
        dec{8, 0, 3, 10, false, false, true, false, true}, oct{8, 0, 3, 8, false, false, true, false, true},
        bin{8, 0, 8, 1, false, false, true, false, true}, wide{16, 4, 2, 16, true, true, true, true, true},
        noRow{0, 4, 2, 16, false, true, true, true, true};
    const std::pair<std::string, std::string> texts[] = {
        {dump(all, {0x61, 0x62, 0x63}, 0, 3), "00000000  61 62 63" + std::string(44, ' ') + "abc" + std::string(13, ' ') + "\r\n"},
        {dump(all, counting(8, 20), 8, 28), "00000008  08 09 0A 0B  0C 0D 0E 0F  10 11 12 13  14 15 16 17  ................\r\n"
                                            "00000018  18 19 1A 1B  " + std::string(39, ' ') + "...." + std::string(12, ' ') + "\r\n"},
        {dump(all, {1}, 2, 2), ""}, {dump(none, counting(0, 40), 0, 40), "\r\n\r\n\r\n"},
        {dump(decimalOffsets, counting(0, 40), 0, 40), "       0  \r\n      16  \r\n      32  \r\n"},
        {dump(plain, {0x41, 0x01, 0x7F, 0xC4, 0x20, 0x7E}, 0, 6), "A... ~" + std::string(10, ' ') + "\r\n"},
        {dump(extended, {0x41, 0x1F, 0x20, 0x7F, 0xC4}, 0, 5), "A. \x7F\xC4" + std::string(11, ' ') + "\r\n"},
        {dump(ten, counting(0, 10), 0, 10), "00 01 02 03  04 05 06 07  08 09  \r\n"},
        {dump(dec, {0, 9, 10, 255}, 0, 4), "  0   9  10 255 " + std::string(17, ' ') + "\r\n"},
        {dump(oct, {8, 255}, 0, 2), "010 377 " + std::string(25, ' ') + "\r\n"}, {dump(bin, {0xA5}, 0, 1), "10100101 " + std::string(64, ' ') + "\r\n"},
        {dump(bin, counting(0, 8), 0, 8).substr(71), "  \r\n"},  // a full group's gap ends the field
        {dump(wide, std::vector<uint8_t>(32, 0x41), 99999984, 100000016).substr(72, 21), "AAAAAA\r\n100000000  41"},  // "%8ld" widens
    };
    for (auto& [got, want] : texts) EXPECT_EQ(got, want);
    expect_all({
        {hexdump_text_length(decimalOffsets, 999999990, 999999990 + 40), 13 + 14 + 14},
        {hexdump_text_length(decimalOffsets, 100000000, 100000016), 13}, {hexdump_text_length(decimalOffsets, 99999999, 100000000), 12},
        {hexdump_text_length(decimalOffsets, INT_MAX - 1, INT_MAX), 14}, {hexdump_text_length(decimalOffsets, 0, 0), 0},
        {hexdump_text_length(wide, 99999984, 100000016), 161}, {hexdump_text_length(all, 5, 4), -1}, {hexdump_text_length(all, -1, 4), -1},
        {hexdump_text_length(noRow, 0, 4), -1}, {hexdump_text_length({16, -1, 2, 16, false, true, true, true, true}, 0, 4), -1},
        {hexdump_text_length({16, 4, 3, 16, false, true, true, true, true}, 0, 4), -1},
        {hexdump_text_length({16, 4, 0, 2, false, true, true, true, true}, 0, 4), -1},
    });
    std::string untouched(4, '#');  // nothing is written for a bad range or bad settings
    const size_t written = hexdump_text_write(all, counting(0, 4).data(), 4, 2, untouched.data()) +
                           hexdump_text_write(noRow, counting(0, 4).data(), 0, 4, untouched.data());
    EXPECT_EQ(std::to_string(written) + untouched, "0####");
}

TEST(HexText, SlicedAsInOnePass) {
    // Slices of 1 to 3 lines on 1 and 3 threads against one pass: each slice's start comes from the lines before it
    // (offsets widening at 10^8 and 10^9, up to 2^32 and past it), a selection off a row start, the last line partial,
    // 0 and 1 bytes; and (per -1) 640,000 bytes, which take the sliced way by themselves.
    const HexTextSettings layouts[] = {{16, 4, 2, 16, false, true, true, true, true}, {16, 4, 3, 10, true, true, true, true, true},
                                       {32, 0, 8, 1, false, true, true, true, false}, {10, 3, 3, 8, true, true, false, true, true},
                                       {7, 2, 2, 16, true, false, true, false, true}, {1, 0, 8, 1, true, true, false, true, true}};
    std::vector<uint8_t> bytes(640000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 131 + i / 977);
    auto text = [&](const HexTextSettings& s, long long lo, long long hi, long long per, unsigned threads) {
        std::string out(static_cast<size_t>(hexdump_text_length(s, lo, hi)) + 1, '#');
        const size_t n = per < 0 ? hexdump_text_write(s, bytes.data(), lo, hi, out.data())
                                 : hexdump_text_write_sliced(s, bytes.data(), lo, hi, out.data(), per, threads);
        return n < out.size() && out[n] == '\0' ? out.substr(0, n) : "<length>";
    };
    for (const HexTextSettings& s : layouts)
        for (long long base : {0LL, 99999990LL, 999999800LL, (1LL << 32) - 300, (1LL << 32) - 290})
            for (auto [lo, hi] : {std::pair{0LL, 0LL}, {4LL, 5LL}, {3LL, 3LL + 2 * s.bytesPerRow}, {5LL, 300LL}, {0LL, 300LL}})
                for (auto [per, threads] : {std::pair{1, 1u}, {2, 1u}, {3, 1u}, {1, 3u}, {3, 3u}})
                    EXPECT_EQ(text(s, base + lo, base + hi, per, threads), text(s, base + lo, base + hi, 0, 1))
                        << s.bytesPerRow << " " << base + lo << " " << per << " " << threads;
    EXPECT_TRUE(text(layouts[0], 5, 640000, -1, 0) == text(layouts[0], 5, 640000, 0, 1));
}
