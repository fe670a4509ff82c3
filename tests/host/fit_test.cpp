// Fit modes and placement of the viewer pane's bitmap.
#include "viewer/dib_core.h"
#include "viewer/fit_core.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {
FitPlacement place(int aw, int ah, int sw, int sh, int mode, int centre, int left = 5, int top = 5) {
    FitPlacement p;
    EXPECT_TRUE(fit_bitmap(left, top, aw, ah, sw, sh, mode, centre, &p));
    return p;
}
void expect(const FitPlacement& p, int x, int y, int w, int h) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.width, w);
    EXPECT_EQ(p.height, h);
}
}  // namespace

TEST(Fit, ModesWithA100By50BitmapIn400By400) {
    // Mode 1 enlarges to the area's width and centres vertically.
    expect(place(400, 400, 100, 50, kFitAlways, 1), 5, 105, 400, 200);
    // Mode 2 leaves a bitmap that fits alone and centres it.
    expect(place(400, 400, 100, 50, kFitLargeOnly, 1), 155, 180, 100, 50);
    // Mode 0 (the menu turns centring off with it): natural size at the corner.
    expect(place(400, 400, 100, 50, kFitNone, 0), 5, 5, 100, 50);
    // Mode 0 with centring still on centres the natural size.
    expect(place(400, 400, 100, 50, kFitNone, 1), 155, 180, 100, 50);
}

TEST(Fit, LargeBitmapsScaleDownAndCentreMayGoNegative) {
    expect(place(400, 400, 800, 100, kFitLargeOnly, 1), 5, 180, 400, 50);
    // Taller than wide: the height fills the area.
    expect(place(400, 400, 50, 800, kFitLargeOnly, 1), 5 + (400 - 25) / 2, 5, 25, 400);
    // Natural size larger than the area: the centre stays in the middle.
    expect(place(400, 400, 801, 100, kFitNone, 1), 5 + (400 - 801) / 2, 155, 801, 100);
    EXPECT_EQ((400 - 801) / 2, -200);  // rounded toward zero
    // Only one side too large in mode 2 still scales.
    expect(place(400, 400, 100, 401, kFitLargeOnly, 1), 5 + (400 - 99) / 2, 5, 99, 400);
    // Unknown modes draw the natural size.
    expect(place(400, 400, 100, 50, 7, 0), 5, 5, 100, 50);
    // Centring is on for the value 1 only.
    expect(place(400, 400, 100, 50, kFitNone, 2), 5, 5, 100, 50);
}

TEST(Fit, TopDownBitmapsScaleByTheirAbsoluteHeight) {
    std::vector<uint8_t> b(40 + 100 * 4 * 50, 0);
    b[0] = 40;
    b[4] = 100;
    int32_t h = -50;
    std::memcpy(&b[8], &h, 4);
    b[12] = 1;
    b[14] = 32;
    DibLayout l;
    ASSERT_EQ(dib_check(b.data(), b.size(), &l), DibError::None);
    EXPECT_EQ(l.absHeight, 50u);
    expect(place(400, 400, l.width, static_cast<int>(l.absHeight), kFitAlways, 1), 5, 105, 400, 200);
}

TEST(Fit, EmptyInputsAndExtremeSizesAreSafe) {
    FitPlacement p;
    EXPECT_FALSE(fit_bitmap(0, 0, 0, 10, 10, 10, kFitAlways, 1, &p));
    EXPECT_FALSE(fit_bitmap(0, 0, 10, -1, 10, 10, kFitAlways, 1, &p));
    EXPECT_FALSE(fit_bitmap(0, 0, 10, 10, 0, 10, kFitAlways, 1, &p));
    EXPECT_EQ(p.width, 0);
    // Products beyond 32 bits: 65535 x 65535 into a huge area.
    expect(place(INT_MAX, INT_MAX, 65535, 65535, kFitAlways, 1, 0, 0), 0, 0, INT_MAX, INT_MAX);
    expect(place(INT_MAX, 1, 65535, 1, kFitAlways, 1, 0, 0), (INT_MAX - 65535) / 2, 0, 65535, 1);
    // A sliver can scale to nothing wide; the caller's drawing call reports it.
    expect(place(400, 10, 1, 1000, kFitAlways, 0), 5, 5, 0, 10);
}
