// The log record prefix, the marker-file names, the centring, the DPI arithmetic and the slices of a job.
#include "base/center_core.h"
#include "base/dpi_core.h"
#include "base/log_core.h"
#include "base/slices_core.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

TEST(Base, LogPrefixMarkerNamesAndCentring) {
    const struct { unsigned long tick; unsigned level; const char* tag; const char* want; } prefixes[] = {
        {123, 0, "Main", "123   Main            "}, {5, 5, "", "5 ?                 "},
        {4294967295ul, 1, "ABCDEFGHIJKLMNOPQRST", "4294967295 I ABCDEFGHIJKLMNOPQRST "},
    };
    char buf[64];
    for (const auto& c : prefixes) {
        log_format_prefix(buf, sizeof buf, c.tick, c.level, c.tag);
        EXPECT_STREQ(buf, c.want);
    }
    EXPECT_TRUE(log_format_prefix(buf, 8, 1, 3, "Main") == 20 && !strcmp(buf, "1 E Mai"));  // cut; full length
    const struct { const wchar_t* path; std::size_t cap; bool fits; const wchar_t* want; } markers[] = {
        {L"C:\\a.b\\x.y.exe", 260, true, L"C:\\a.b\\x.y.con"}, {L"C:\\a.b\\x", 260, true, L"C:\\a.b\\x.con"},
        {L"abcdef", 11, true, L"abcdef.con"}, {L"abcdef", 10, false, L"abcdef"},
    };
    for (const auto& c : markers) {
        wchar_t path[260];
        wcscpy(path, c.path);
        EXPECT_EQ(log_replace_extension(path, c.cap, L".con"), c.fits) << c.cap;
        EXPECT_STREQ(path, c.want);
    }
    // Centred on the reference (halves truncated toward zero), then pulled inside the desktop.
    const struct { CenterRect window, reference; long x, y; } centred[] = {
        {{0, 0, 101, 51}, {100, 100, 300, 200}, 149, 124}, {{0, 0, 301, 10}, {100, 100, 300, 200}, 50, 145},
        {{0, 0, 200, 100}, {900, 700, 1000, 800}, 800, 700}, {{0, 0, 1200, 900}, {0, 0, 1000, 800}, 0, 0},
    };
    for (const auto& c : centred) {
        long x = -1, y = -1;
        center_position(c.window, c.reference, {0, 0, 1000, 800}, &x, &y);
        EXPECT_TRUE(x == c.x && y == c.y) << x << "," << y;
    }
}

TEST(Base, DpiRescaleRoundsHalfAwayFromZero) {
    const struct { int value, to, from, want; } cases[] = {
        {486, 144, 96, 729}, {-11, 144, 96, -17}, {11, 144, 96, 17}, {3, 144, 96, 5},  {148, 120, 96, 185},
        {-16, 96, 144, -11}, {486, 96, 96, 486},  {7, 0, 96, 7},     {7, 144, 0, 7},   {5, 192, 96, 10},
        {1, 100, 96, 1},     {2147483647, 2, 1, 2147483647},         {-2147483647, 2, 1, -2147483647 - 1},
    };
    for (const auto& c : cases) EXPECT_EQ(dpi_rescale(c.value, c.to, c.from), c.want) << c.value << "@" << c.to;
    EXPECT_EQ(dpi_scale(160, 144), 240);
}

TEST(Base, SlicesLastFirstAndAtOnce) {
    std::vector<size_t> order;  // on one thread, from the last slice to the first
    slices_run(4, 1, [&](size_t i) { order.push_back(i); });
    EXPECT_EQ(order, std::vector<size_t>({3, 2, 1, 0}));
    std::atomic<int> started{0}, alone{0};  // two slices on two threads at once: each waits for the other to start
    slices_run(2, 2, [&](size_t) {
        started++;
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20); started < 2 && std::chrono::steady_clock::now() < end;)
            std::this_thread::yield();
        alone += started < 2;
    });
    EXPECT_EQ(alone.load(), 0);
}
