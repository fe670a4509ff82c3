// Dump text: the exact line format, its length, and the cases the copy
// commands and the export file depend on.
#include "hexdump/hexdump_core.h"

#include <gtest/gtest.h>
#include <climits>
#include <string>
#include <vector>

namespace {

HexTextSettings defaults() { return HexTextSettings{16, 4, 2, 16, false, true, true, true, true}; }

std::string dump(const HexTextSettings& s, const std::vector<uint8_t>& data, long long lo, long long hi) {
    long long len = hexdump_text_length(s, lo, hi);
    EXPECT_GE(len, 0);
    std::string out(static_cast<size_t>(len) + 1, '#');
    size_t written = hexdump_text_write(s, data.data() + lo, lo, hi, out.data());
    EXPECT_EQ(written, static_cast<size_t>(len));
    EXPECT_EQ(out[static_cast<size_t>(len)], '\0');
    out.resize(written);
    return out;
}

// The selection's bytes alone, labelled with offsets from lo on.
std::string dump_at(const HexTextSettings& s, const std::vector<uint8_t>& selected, long long lo, long long hi) {
    long long len = hexdump_text_length(s, lo, hi);
    EXPECT_GE(len, 0);
    std::string out(static_cast<size_t>(len) + 1, '#');
    size_t written = hexdump_text_write(s, selected.data(), lo, hi, out.data());
    EXPECT_EQ(written, static_cast<size_t>(len));
    out.resize(written);
    return out;
}

std::vector<uint8_t> counting(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i);
    return v;
}

}  // namespace

TEST(HexText, ThreeBytesAbc) {
    std::string t = dump(defaults(), {0x61, 0x62, 0x63}, 0, 3);
    std::string expect = "00000000  61 62 63" + std::string(44, ' ') + "abc" + std::string(13, ' ') + "\r\n";
    EXPECT_EQ(t, expect);
    EXPECT_EQ(t.size(), 80u);
}

TEST(HexText, TwentyBytesFromOffset8) {
    auto data = counting(64);
    std::string t = dump(defaults(), data, 8, 28);
    ASSERT_EQ(t.size(), 160u);
    std::string l1 = t.substr(0, 80), l2 = t.substr(80);
    EXPECT_EQ(l1.substr(0, 10), "00000008  ");
    EXPECT_EQ(l1.substr(10, 52), "08 09 0A 0B  0C 0D 0E 0F  10 11 12 13  14 15 16 17  ");
    EXPECT_EQ(l2.substr(0, 10), "00000018  ");
    EXPECT_EQ(l2.substr(10, 52), "18 19 1A 1B  " + std::string(39, ' '));
    EXPECT_EQ(l1.substr(62), "................\r\n");
    EXPECT_EQ(l2.substr(62), "...." + std::string(12, ' ') + "\r\n");
}

TEST(HexText, EmptySelectionAndAllFieldsOff) {
    EXPECT_EQ(dump(defaults(), {1, 2, 3}, 2, 2), "");
    HexTextSettings off = defaults();
    off.copyOffset = off.copyDump = off.copyAscii = false;
    auto data = counting(40);
    EXPECT_EQ(dump(off, data, 0, 40), "\r\n\r\n\r\n");
}

TEST(HexText, AsciiOnlyWithAndWithoutExtended) {
    HexTextSettings s = defaults();
    s.copyOffset = s.copyDump = false;
    s.extendedAscii = false;
    std::vector<uint8_t> bytes{0x41, 0x01, 0x7F, 0xC4};
    EXPECT_EQ(dump(s, bytes, 0, 4), "A..." + std::string(12, ' ') + "\r\n");
    s.extendedAscii = true;
    EXPECT_EQ(dump(s, bytes, 0, 4), std::string("A.\x7F\xC4", 4) + std::string(12, ' ') + "\r\n");
}

TEST(HexText, DecimalOffsetsRightAligned) {
    HexTextSettings s = defaults();
    s.decimalOffset = true;
    s.copyDump = s.copyAscii = false;
    auto data = counting(40);
    EXPECT_EQ(dump(s, data, 0, 40), "       0  \r\n      16  \r\n      32  \r\n");
}

TEST(HexText, DecimalOffsetsPast100MillionAreSizedFromTheText) {
    HexTextSettings s = defaults();
    s.decimalOffset = true;
    const long long lo = 99999984, hi = 100000016;
    std::vector<uint8_t> data(32, 0x41);
    std::string t = dump_at(s, data, lo, hi);
    EXPECT_EQ(hexdump_text_length(s, lo, hi), 80 + 81);
    EXPECT_EQ(t.substr(0, 10), "99999984  ");
    EXPECT_EQ(t.substr(80, 11), "100000000  ");
    EXPECT_EQ(t.substr(t.size() - 2), "\r\n");
}

TEST(HexText, DecimalLengthAcrossTwoThresholds) {
    HexTextSettings s = defaults();
    s.decimalOffset = true;
    s.copyDump = s.copyAscii = false;
    // Lines at 999999990 (9 digits), 1000000006 and 1000000022 (10 digits).
    EXPECT_EQ(hexdump_text_length(s, 999999990, 999999990 + 40), 13 + 14 + 14);
    // Selection beginning past a threshold.
    EXPECT_EQ(hexdump_text_length(s, 100000000, 100000016), 13);
    // The largest offsets a 32-bit size allows.
    EXPECT_EQ(hexdump_text_length(s, INT_MAX - 1, INT_MAX), 14);
}

TEST(HexText, TenPerRowGroupsOf4) {
    HexTextSettings s = defaults();
    s.bytesPerRow = 10;
    s.copyOffset = s.copyAscii = false;
    auto data = counting(10);
    std::string t = dump(s, data, 0, 10);
    EXPECT_EQ(t, "00 01 02 03  04 05 06 07  08 09  \r\n");
    EXPECT_EQ(t.size(), 33u + 2);
}

TEST(HexText, RadixesAndNoGroups) {
    HexTextSettings s = defaults();
    s.copyOffset = s.copyAscii = false;
    s.bytesPerRow = 8;
    s.groupSize = 0;
    s.dumpRadix = 10;
    s.digitsPerByte = 3;
    EXPECT_EQ(dump(s, {0, 9, 255}, 0, 3), "  0   9 255 " + std::string(8 + 1 + 24 - 12, ' ') + "\r\n");
    s.dumpRadix = 8;
    EXPECT_EQ(dump(s, {8, 255}, 0, 2), "010 377 " + std::string(33 - 8, ' ') + "\r\n");
    s.dumpRadix = 1;
    s.digitsPerByte = 8;
    EXPECT_EQ(dump(s, {0xA5}, 0, 1), "10100101 " + std::string(8 + 1 + 64 - 9, ' ') + "\r\n");
    // A full binary row of 8 with no groups ends with the one gap space.
    auto data = counting(8);
    std::string full = dump(s, data, 0, 8);
    EXPECT_EQ(full.size(), 8u + 1 + 64 + 2);
    EXPECT_EQ(full.substr(full.size() - 4), "  \r\n");
}

TEST(HexText, EveryLineHasTheReportedWidth) {
    auto data = counting(300);
    const int rows[] = {8, 10, 16, 32};
    const int groups[] = {0, 2, 4, 5, 8};
    const int radixes[] = {16, 10, 8, 1};
    for (int n : rows)
        for (int g : groups)
            for (int r : radixes) {
                HexTextSettings s{n, g, hexdump_digits_for_radix(r), r, false, true, true, true, true};
                std::string t = dump(s, data, 3, 300);
                long long width = 10 + (n + 1 + s.digitsPerByte * n + (n - 1) / hexdump_effective_group(n, g)) + n + 2;
                long long lines = (297 + n - 1) / n;
                ASSERT_EQ(static_cast<long long>(t.size()), width * lines) << n << " " << g << " " << r;
                for (long long i = 0; i < lines; ++i)
                    ASSERT_EQ(t.substr(static_cast<size_t>((i + 1) * width - 2), 2), "\r\n");
            }
}

TEST(HexText, InvalidSettingsAndRanges) {
    HexTextSettings s = defaults();
    EXPECT_EQ(hexdump_text_length(s, 5, 4), -1);
    EXPECT_EQ(hexdump_text_length(s, -1, 4), -1);
    s.bytesPerRow = 0;
    EXPECT_EQ(hexdump_text_length(s, 0, 4), -1);
    s = defaults();
    s.digitsPerByte = 3;  // disagrees with radix 16
    EXPECT_EQ(hexdump_text_length(s, 0, 4), -1);
}
