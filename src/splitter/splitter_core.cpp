#include "splitter/splitter_core.h"

#include <algorithm>
#include <cstring>

SplitLayout splitter_compute_layout(const SplitRect& area, const SplitBar& bar) {
    SplitLayout out{area, area, area};
    if (bar.horizontal) {
        out.bar.top = area.top + bar.y;
        out.bar.bottom = out.bar.top + bar.height;
        out.first.bottom = area.top + bar.y;
        out.second.top = area.top + bar.y + bar.height;
    } else {
        out.bar.left = area.left + bar.x;
        out.bar.right = out.bar.left + bar.width;
        out.first.right = area.left + bar.x;
        out.second.left = area.left + bar.x + bar.width;
    }
    return out;
}

SplitLimits splitter_drag_limits(const SplitRect& area, bool horizontal, const SplitRect* first_bar,
                                 const SplitRect* second_bar) {
    const int origin = horizontal ? area.top : area.left;
    SplitLimits limits{0, horizontal ? area.bottom - area.top : area.right - area.left};
    // The bar may not pass the nested bar above (left of) it ...
    if (first_bar) limits.lower = std::max(limits.lower, (horizontal ? first_bar->bottom : first_bar->right) - origin);
    // ... nor the one below (right of) it. A nested bar in the second pane keeps
    // its offset from that pane's top, so it moves along with this bar and can end
    // up beyond the area; the area's own extent stays the outer bound.
    if (second_bar) limits.upper = std::min(limits.upper, (horizontal ? second_bar->top : second_bar->left) - origin);
    return limits;
}

int splitter_clamp_offset(int proposed, int thickness, SplitLimits limits) {
    int offset = std::max(limits.lower, proposed);
    if (offset + thickness > limits.upper) offset = limits.upper - thickness;
    return offset;
}

void splitter_grip_rects(const SplitRect& client, bool horizontal, SplitRect out[3]) {
    const int cx = (client.left + client.right) / 2;
    const int cy = (client.top + client.bottom) / 2;
    static const int starts[3] = {-6, -1, 4};
    for (int i = 0; i < 3; ++i) {
        if (horizontal)
            out[i] = {cx + starts[i], cy, cx + starts[i] + 3, cy + 1};
        else
            out[i] = {cx, cy + starts[i], cx + 1, cy + starts[i] + 3};
    }
}

namespace {

struct CursorPicture {
    int first_row;
    int row_count;
    const char* const* rows;
};

// A double horizontal line with arrows up and down.
const char* const kRowCursor[] = {
    "................o...............",  // 7
    "...............o#o..............",
    "..............o###o.............",
    ".............o#####o............",
    "..............oo#oo.............",
    "...............o#o..............",
    ".........ooooooo#ooooooo........",
    ".........o#############o........",
    ".........ooooooooooooooo........",  // 15
    ".........o#############o........",
    ".........ooooooo#ooooooo........",
    "...............o#o..............",
    "..............oo#oo.............",
    ".............o#####o............",
    "..............o###o.............",
    "...............o#o..............",
    "................o...............",  // 23
};

// A double vertical line with arrows left and right.
const char* const kColumnCursor[] = {
    ".............oooooo.............",  // 9
    ".............o#oo#o.............",
    ".............o#oo#o.............",
    ".............o#oo#o.............",
    "..........o..o#oo#o..o..........",
    ".........o#o.o#oo#o.o#o.........",
    "........o##ooo#oo#ooo##o........",  // 15
    ".......o#######oo#######o.......",
    "........o##ooo#oo#ooo##o........",
    ".........o#o.o#oo#o.o#o.........",
    "..........o..o#oo#o..o..........",
    ".............o#oo#o.............",
    ".............o#oo#o.............",
    ".............o#oo#o.............",
    ".............oooooo.............",  // 23
};

const CursorPicture kPictures[] = {
    {7, static_cast<int>(sizeof kRowCursor / sizeof *kRowCursor), kRowCursor},
    {9, static_cast<int>(sizeof kColumnCursor / sizeof *kColumnCursor), kColumnCursor},
};

}  // namespace

void splitter_cursor_masks(SplitterCursorKind kind, unsigned char and_mask[kSplitterMaskBytes],
                           unsigned char xor_mask[kSplitterMaskBytes]) {
    std::memset(and_mask, 0xFF, kSplitterMaskBytes);
    std::memset(xor_mask, 0x00, kSplitterMaskBytes);
    const CursorPicture& pic = kPictures[kind == SplitterCursorKind::Row ? 0 : 1];
    const int row_bytes = kSplitterCursorSize / 8;
    for (int r = 0; r < pic.row_count; ++r) {
        const int y = pic.first_row + r;
        const char* row = pic.rows[r];
        for (int x = 0; x < kSplitterCursorSize && row[x]; ++x) {
            const unsigned char bit = static_cast<unsigned char>(0x80u >> (x % 8));
            const int at = y * row_bytes + x / 8;
            if (row[x] == '#') {
                and_mask[at] &= static_cast<unsigned char>(~bit);
            } else if (row[x] == 'o') {
                and_mask[at] &= static_cast<unsigned char>(~bit);
                xor_mask[at] |= bit;
            }
        }
    }
}
