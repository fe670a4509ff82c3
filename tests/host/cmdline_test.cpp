// Command-line tokens as start-up reads them.
#include "app/cmdline_core.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
std::vector<std::wstring> tokens(const wchar_t* line, std::size_t cap = 260) {
    std::vector<std::wstring> out;
    std::vector<wchar_t> buf(cap ? cap : 1);
    for (const wchar_t* p = line; (p = next_token(p, buf.data(), cap)) != nullptr;) out.emplace_back(buf.data());
    return out;
}
}  // namespace

TEST(NextToken, QuotesBlanksAndTabs) {
    EXPECT_EQ(tokens(L"prog \"a b.txt\" c.txt"), (std::vector<std::wstring>{L"prog", L"a b.txt", L"c.txt"}));
    EXPECT_EQ(tokens(L"\"say \"\"hi\"\"\""), (std::vector<std::wstring>{L"say \"hi\""}));
    EXPECT_EQ(tokens(L"'x'y"), (std::vector<std::wstring>{L"x", L"y"}));
    EXPECT_EQ(tokens(L"\"\""), (std::vector<std::wstring>{L""}));
    EXPECT_EQ(tokens(L"a\tb c"), (std::vector<std::wstring>{L"a\tb", L"c"}));
    EXPECT_EQ(tokens(L"   "), (std::vector<std::wstring>{}));
    EXPECT_EQ(tokens(L"\"never closed here"), (std::vector<std::wstring>{L"never closed here"}));
    EXPECT_EQ(tokens(L"'it''s' \"q'\""), (std::vector<std::wstring>{L"it's", L"q'"}));
}

TEST(NextToken, NullSourceAndBufferAlwaysTerminated) {
    wchar_t buf[8] = {L'x', L'x'};
    EXPECT_EQ(next_token(nullptr, buf, 8), nullptr);
    EXPECT_EQ(buf[0], 0);
    buf[0] = L'x';
    EXPECT_EQ(next_token(L"  ", buf, 8), nullptr);
    EXPECT_EQ(buf[0], 0);
}

TEST(NextToken, LongTokenIsCutAndNextStillRead) {
    std::wstring longarg(300, L'a');
    for (std::size_t i = 0; i < longarg.size(); ++i) longarg[i] = L'a' + (i % 26);
    std::wstring line = L"prog " + longarg + L" next";
    auto t = tokens(line.c_str());
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[1], longarg.substr(0, 259));
    EXPECT_EQ(t[2], L"next");
    // The same for a quoted token.
    line = L"\"" + longarg + L"\" next";
    t = tokens(line.c_str());
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].size(), 259u);
    EXPECT_EQ(t[1], L"next");
}

TEST(NextToken, ReturnsPositionAfterTrailingBlanks) {
    wchar_t buf[16];
    const wchar_t* line = L"one   two";
    const wchar_t* rest = next_token(line, buf, 16);
    EXPECT_STREQ(buf, L"one");
    EXPECT_EQ(rest, line + 6);
    rest = next_token(rest, buf, 16);
    EXPECT_STREQ(buf, L"two");
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(*rest, 0);
    EXPECT_EQ(next_token(rest, buf, 16), nullptr);
}
