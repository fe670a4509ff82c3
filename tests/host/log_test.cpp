// The record prefix and the marker-file names.
#include "base/log_core.h"

#include <gtest/gtest.h>
#include <string>

namespace {
std::string prefix(unsigned long tick, unsigned level, const char* tag) {
    char buf[128];
    log_format_prefix(buf, sizeof buf, tick, level, tag);
    return buf;
}
}  // namespace

TEST(LogPrefix, LettersAndPadding) {
    EXPECT_EQ(prefix(123, 0, "Main"), "123   Main            ");
    EXPECT_EQ(prefix(5, 1, "Main"), "5 I Main            ");
    EXPECT_EQ(prefix(5, 2, "x"), "5 W x               ");
    EXPECT_EQ(prefix(5, 3, "x").substr(0, 4), "5 E ");
    EXPECT_EQ(prefix(5, 4, "x").substr(0, 4), "5 F ");
    EXPECT_EQ(prefix(5, 5, "x").substr(0, 4), "5 ? ");
    EXPECT_EQ(prefix(5, 7, "x").substr(0, 4), "5 ? ");
    EXPECT_EQ(prefix(5, 0xFFFFFFFFu, "x").substr(0, 4), "5 ? ");
    EXPECT_EQ(prefix(4294967295ul, 1, "UIDrop"), "4294967295 I UIDrop          ");
    // A tag of 20 characters is written whole, followed by one blank.
    EXPECT_EQ(prefix(1, 1, "ABCDEFGHIJKLMNOPQRST"), "1 I ABCDEFGHIJKLMNOPQRST ");
}

TEST(LogPrefix, CutBufferStillTerminatedAndReportsFullLength) {
    char buf[8];
    int n = log_format_prefix(buf, sizeof buf, 1, 1, "Main");
    EXPECT_EQ(n, 20);
    EXPECT_EQ(std::string(buf), "1 I Mai");
}

TEST(LogMarker, ExtensionReplacedOrAppended) {
    wchar_t p[260] = L"C:\\tools\\clipnook.exe";
    ASSERT_TRUE(log_replace_extension(p, 260, L".con"));
    EXPECT_STREQ(p, L"C:\\tools\\clipnook.con");
    wchar_t q[260] = L"C:\\tools.d\\clipnook";
    ASSERT_TRUE(log_replace_extension(q, 260, L".log"));
    EXPECT_STREQ(q, L"C:\\tools.d\\clipnook.log");
    wchar_t r[260] = L"a.b.c";
    ASSERT_TRUE(log_replace_extension(r, 260, L".log"));
    EXPECT_STREQ(r, L"a.b.log");
    wchar_t small[8] = L"abcdef";
    EXPECT_FALSE(log_replace_extension(small, 8, L".log"));
    EXPECT_STREQ(small, L"abcdef");
    EXPECT_STREQ(log_file_name(L"C:\\x\\y.exe"), L"y.exe");
    EXPECT_STREQ(log_file_name(L"y.exe"), L"y.exe");
}
