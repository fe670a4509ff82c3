// Centring arithmetic: truncation toward zero and the desktop clamps in order.
#include "base/center_core.h"

#include <gtest/gtest.h>

TEST(Center, CentredAndClampedInOrder) {
    CenterRect desk{0, 0, 1000, 800};
    long x, y;
    center_position({0, 0, 101, 51}, {100, 100, 300, 200}, desk, &x, &y);
    EXPECT_EQ(x, 100 + (200 - 101) / 2);
    EXPECT_EQ(y, 100 + (100 - 51) / 2);
    // Wider than the reference: a negative half difference truncates toward zero.
    center_position({0, 0, 301, 10}, {100, 100, 300, 200}, desk, &x, &y);
    EXPECT_EQ(x, 100 + (200 - 301) / 2);  // -50, not -51
    EXPECT_EQ(x, 50);
    // Past the right edge: pulled back inside.
    center_position({0, 0, 200, 100}, {900, 700, 1000, 800}, desk, &x, &y);
    EXPECT_EQ(x, 800);
    EXPECT_EQ(y, 700);
    // Larger than the desktop: the left/top clamp wins, applied last.
    center_position({0, 0, 1200, 900}, {0, 0, 1000, 800}, desk, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}
