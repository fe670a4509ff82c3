// The time and date texts of the form dialogs' EDITTIME and EDITDATE fields.
#include "uiform/datetime_core.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

int32_t time_of(const wchar_t* text, bool* ok) {
    int32_t v = 12345;  // marks "not written"
    *ok = uiform_parse_time(text, &v);
    return v;
}

std::wstring show_time(int32_t v) {
    wchar_t buf[16];
    uiform_format_time(v, buf, 16);
    return buf;
}

std::wstring show_date(int32_t v) {
    wchar_t buf[24];
    uiform_format_date(v, buf, 24);
    return buf;
}

int32_t local_midnight(int day, int month, int year) {
    std::tm tm{};
    tm.tm_mday = day;
    tm.tm_mon = month - 1;
    tm.tm_year = year - 1900;
    return static_cast<int32_t>(std::mktime(&tm));
}

// A fixed zone with daylight saving, so that the local-time handling is real.
class DateTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadTz_ = old != nullptr;
        if (old) oldTz_ = old;
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_) setenv("TZ", oldTz_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    bool hadTz_ = false;
    std::string oldTz_;
};

}  // namespace

TEST(TimeParse, AcceptedForms) {
    bool ok;
    EXPECT_EQ(time_of(L"9", &ok), 540);
    EXPECT_TRUE(ok);
    EXPECT_EQ(time_of(L"09:05", &ok), 545);
    EXPECT_TRUE(ok);
    EXPECT_EQ(time_of(L" 24:00", &ok), 1440);
    EXPECT_TRUE(ok);
    EXPECT_EQ(time_of(L"24", &ok), 1440);
    EXPECT_TRUE(ok);
    EXPECT_EQ(time_of(L"0:00", &ok), 0);
    EXPECT_TRUE(ok);
    EXPECT_EQ(time_of(L"23:59", &ok), 1439);
    EXPECT_TRUE(ok);
}

TEST(TimeParse, EmptyMeansNoTime) {
    bool ok;
    EXPECT_EQ(time_of(L"", &ok), -1);
    EXPECT_TRUE(ok);
    EXPECT_EQ(time_of(L"   ", &ok), -1);
    EXPECT_TRUE(ok);
}

TEST(TimeParse, RejectedFormsLeaveTheValue) {
    for (const wchar_t* bad : {L"24:01", L"9:5", L"9:60", L"123", L"9:05 ", L"25", L"x", L":05", L"9:055",
                               L"9-05", L"-1", L"9:"}) {
        bool ok = true;
        EXPECT_EQ(time_of(bad, &ok), 12345) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    int32_t v = 0;
    EXPECT_FALSE(uiform_parse_time(nullptr, &v));
}

TEST(TimeFormat, HoursAndTwoDigitMinutes) {
    EXPECT_EQ(show_time(61), L"1:01");
    EXPECT_EQ(show_time(545), L"9:05");
    EXPECT_EQ(show_time(0), L"0:00");
    EXPECT_EQ(show_time(1440), L"24:00");
    EXPECT_EQ(show_time(-1), L"");
    // A value that is no time of day still shows what it holds.
    EXPECT_EQ(show_time(6000), L"100:00");
    // Too small a buffer is cut, never overrun.
    wchar_t small[3];
    uiform_format_time(545, small, 3);
    EXPECT_EQ(std::wstring(small), L"9:");
}

TEST(TimeFormat, RoundTrip) {
    for (int32_t v = 0; v <= 1440; ++v) {
        bool ok;
        EXPECT_EQ(time_of(show_time(v).c_str(), &ok), v);
        EXPECT_TRUE(ok);
    }
}

TEST_F(DateTest, ShortYearMeansThisCentury) {
    int32_t v = 0;
    ASSERT_TRUE(uiform_parse_date(L"1.1.12", &v));
    EXPECT_EQ(v, local_midnight(1, 1, 2012));
    ASSERT_TRUE(uiform_parse_date(L"1.1.0", &v));
    EXPECT_EQ(v, local_midnight(1, 1, 2000));
}

TEST_F(DateTest, CalendarChecks) {
    UiFormDate d{};
    bool empty;
    EXPECT_TRUE(uiform_parse_date_fields(L"29.2.2012", &d, &empty));
    EXPECT_EQ(d.day, 29);
    EXPECT_EQ(d.month, 2);
    EXPECT_EQ(d.year, 2012);
    EXPECT_TRUE(uiform_parse_date_fields(L"31.12.2099", &d, &empty));
    EXPECT_TRUE(uiform_parse_date_fields(L"31.1.98", &d, &empty));
    EXPECT_EQ(d.year, 2098);
    for (const wchar_t* bad : {L"29.2.2013", L"31.4.2012", L"1.1.1999", L"1.1.99", L"1.2012", L"0.1.2012",
                               L"1.13.2012", L"1.0.2012", L"1.1.2100", L"1.1.02012", L"1..2012", L"1.1.2012.",
                               L"1.1.2012.1", L"1/1/2012", L"1.1.2012x", L"32.1.2012"}) {
        EXPECT_FALSE(uiform_parse_date_fields(bad, &d, &empty)) << bad;
        EXPECT_FALSE(empty) << bad;
    }
}

TEST_F(DateTest, BlanksAroundNumbersAndEmptyText) {
    int32_t v = 0;
    ASSERT_TRUE(uiform_parse_date(L"1 . 1 . 2012", &v));
    EXPECT_EQ(v, local_midnight(1, 1, 2012));
    ASSERT_TRUE(uiform_parse_date(L"  3.4.2015  ", &v));
    EXPECT_EQ(v, local_midnight(3, 4, 2015));
    ASSERT_TRUE(uiform_parse_date(L"", &v));
    EXPECT_EQ(v, -1);
    v = 7;
    ASSERT_TRUE(uiform_parse_date(L"   ", &v));
    EXPECT_EQ(v, -1);
    v = 7;
    EXPECT_FALSE(uiform_parse_date(L"31.4.2012", &v));
    EXPECT_EQ(v, 7);
}

TEST_F(DateTest, ShownAsDayMonthFourDigitYear) {
    EXPECT_EQ(show_date(local_midnight(5, 12, 2026)), L"5.12.2026");
    EXPECT_EQ(show_date(local_midnight(1, 1, 2000)), L"1.1.2000");
    EXPECT_EQ(show_date(-1), L"");
    // Summer dates come back as the same day although they are stored without
    // a daylight-saving flag.
    int32_t v = 0;
    ASSERT_TRUE(uiform_parse_date(L"15.7.2020", &v));
    EXPECT_EQ(show_date(v), L"15.7.2020");
}

TEST_F(DateTest, DatesBeyondTheThirtyTwoBitRangeFail) {
    int32_t v = 7;
    EXPECT_TRUE(uiform_parse_date(L"1.1.2038", &v));
    EXPECT_GT(v, 0);
    v = 7;
    EXPECT_FALSE(uiform_parse_date(L"1.1.2040", &v));
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(uiform_parse_date(L"31.12.99", &v));
}

TEST(NumberFields, UnsignedAndSignedLimits) {
    uint32_t u = 7;
    EXPECT_TRUE(uiform_parse_uint(L" 4294967295 ", &u));
    EXPECT_EQ(u, 4294967295u);
    EXPECT_TRUE(uiform_parse_uint(L"0", &u));
    EXPECT_EQ(u, 0u);
    u = 7;
    for (const wchar_t* bad : {L"-5", L"4294967296", L"", L"  ", L"12abc", L"+3", L"1 2", L"0x10"}) {
        EXPECT_FALSE(uiform_parse_uint(bad, &u)) << bad;
        EXPECT_EQ(u, 7u) << bad;
    }
    int32_t s = 7;
    EXPECT_TRUE(uiform_parse_sint(L"-5", &s));
    EXPECT_EQ(s, -5);
    EXPECT_TRUE(uiform_parse_sint(L"-2147483648", &s));
    EXPECT_EQ(s, INT32_MIN);
    EXPECT_TRUE(uiform_parse_sint(L"2147483647", &s));
    EXPECT_EQ(s, INT32_MAX);
    s = 7;
    for (const wchar_t* bad : {L"2147483648", L"-2147483649", L"-", L"--1", L"5-", L""}) {
        EXPECT_FALSE(uiform_parse_sint(bad, &s)) << bad;
        EXPECT_EQ(s, 7) << bad;
    }
}
