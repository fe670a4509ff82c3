// Command-line tokens as start-up reads them; where the context menus open.
#include "app/cmdline_core.h"
#include "app/commands_core.h"

#include <gtest/gtest.h>

TEST(NextToken, QuotesBlanksAndLongTokens) {
    const std::wstring big(300, L'L'), cut(259, L'L');
    const struct { std::wstring line; std::vector<std::wstring> want; } cases[] = {
        {L"prog \"a b.txt\" c.txt", {L"prog", L"a b.txt", L"c.txt"}},
        {L"\"say \"\"hi\"\" now\" 'it''s' \"q'\"", {L"say \"hi\" now", L"it's", L"q'"}},
        {L"'x'y \"\" a\tb  ", {L"x", L"y", L"", L"a\tb"}},  // a closing quote ends a token; tabs join
        {L"   ", {}}, {std::wstring(40, L' ') + L"lead", {L"lead"}}, {L"\"never closed", {L"never closed"}}, {big + L" n \"" + big + L"\" l", {cut, L"n", cut, L"l"}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> seen;
        wchar_t buf[260];
        for (const wchar_t* p = c.line.c_str(); (p = next_token(p, buf, 260)) != nullptr;) seen.emplace_back(buf);
        EXPECT_EQ(seen, c.want) << std::string(c.line.begin(), c.line.end());
    }
}

TEST(ContextMenuPoint, KeyboardOpensAtTheCentreMouseAtItsPosition) {
    auto at = [](int x, int y) { return (static_cast<std::uint32_t>(y & 0xFFFF) << 16) | (x & 0xFFFF); };
    const struct { std::uint32_t at; int l, t, r, b; bool keyboard; int x, y; } cases[] = {
        {at(-1, -1), 0, 0, 641, 161, true, 320, 80}, {at(-1, -1), -5, -7, 0, 0, true, -2, -3},
        {at(-1, -1), 2147483600, 0, 2147483646, 2, true, 2147483623, 1},  // halves without overflow
        {at(-1200, -3), 0, 0, 9, 9, false, -1200, -3}, {at(-1, 5), 0, 0, 9, 9, false, -1, 5},
    };
    for (const auto& c : cases) {
        bool keyboard = !c.keyboard;
        MenuPoint p = context_menu_point(c.at, c.l, c.t, c.r, c.b, &keyboard);
        EXPECT_TRUE(keyboard == c.keyboard && p.x == c.x && p.y == c.y) << c.at << " " << p.x << "," << p.y;
    }
    for (const auto& c : {std::pair{1000, 0}, {1002, 2}, {0, -1}, {999, -1}, {1003, -1}})
        EXPECT_EQ(fit_mode_from_menu_choice(c.first), c.second) << c.first;
}
