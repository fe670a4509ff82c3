// Where the context menus open and how the viewer pane menu's answer is read.
#include "app/commands_core.h"

#include <gtest/gtest.h>

namespace {
std::uint32_t pack(int x, int y) {
    return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) | static_cast<std::uint16_t>(x);
}
}  // namespace

TEST(ContextMenuPoint, KeyboardRequestOpensAtClientCentre) {
    bool keyboard = false;
    MenuPoint p = context_menu_point(0xFFFFFFFFu, 0, 0, 641, 161, &keyboard);
    EXPECT_TRUE(keyboard);
    EXPECT_EQ(p.x, 320);  // odd sizes truncate
    EXPECT_EQ(p.y, 80);
    // An empty client area (a collapsed pane) still gives its corner.
    p = context_menu_point(0xFFFFFFFFu, 0, 0, 0, 0, &keyboard);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    // A rectangle with a negative origin truncates toward zero, not down.
    p = context_menu_point(0xFFFFFFFFu, -5, -7, 0, 0, &keyboard);
    EXPECT_EQ(p.x, -2);
    EXPECT_EQ(p.y, -3);
    // Halves at the coordinate limits do not wrap.
    p = context_menu_point(0xFFFFFFFFu, 2147483600, 0, 2147483646, 2, &keyboard);
    EXPECT_EQ(p.x, 2147483623);
}

TEST(ContextMenuPoint, MouseRequestKeepsSignedScreenPosition) {
    bool keyboard = true;
    MenuPoint p = context_menu_point(pack(300, 200), 0, 0, 640, 160, &keyboard);
    EXPECT_FALSE(keyboard);
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 200);
    // Monitors left of or above the primary one give negative halves.
    p = context_menu_point(pack(-1200, -3), 0, 0, 640, 160, &keyboard);
    EXPECT_FALSE(keyboard);
    EXPECT_EQ(p.x, -1200);
    EXPECT_EQ(p.y, -3);
    // Only both halves -1 mean the keyboard.
    EXPECT_FALSE(context_menu_from_keyboard(pack(-1, 0)));
    EXPECT_FALSE(context_menu_from_keyboard(pack(0, -1)));
    EXPECT_TRUE(context_menu_from_keyboard(pack(-1, -1)));
    p = context_menu_point(pack(-1, 5), 0, 0, 640, 160, &keyboard);
    EXPECT_FALSE(keyboard);
    EXPECT_EQ(p.x, -1);
}

TEST(FitMenuChoice, OnlyTheThreeItemsChangeTheMode) {
    EXPECT_EQ(fit_mode_from_menu_choice(1000), 0);
    EXPECT_EQ(fit_mode_from_menu_choice(1001), 1);
    EXPECT_EQ(fit_mode_from_menu_choice(1002), 2);
    EXPECT_EQ(fit_mode_from_menu_choice(0), -1);  // dismissed
    EXPECT_EQ(fit_mode_from_menu_choice(999), -1);
    EXPECT_EQ(fit_mode_from_menu_choice(1003), -1);
}
