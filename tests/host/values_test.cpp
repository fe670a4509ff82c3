// The data inspector's rows at a few positions, up to and past the block end.
#include "values/values_core.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const uint8_t* u8(const std::string& b) { return reinterpret_cast<const uint8_t*>(b.data()); }
// The values in row order, "-" for a row that is not available, each ended by '|'.
std::u16string values(const std::string& block, size_t position, size_t from = 0, size_t to = kInspectorRowCount) {
    std::vector<InspectorRow> rows = inspector_rows(u8(block), block.size(), position);
    EXPECT_EQ(rows.size(), kInspectorRowCount);
    std::u16string out;
    for (size_t i = from; i < to; ++i) out += (rows[i].available ? rows[i].value : u"-") + u"|";
    return out;
}

}  // namespace

TEST(Inspector, RowsAtThreePositionsPastTheEndAndTimes) {
    const std::string b("\x80\1\2\3\4\5\6\xFF\x3F\xC0\0\0\xC0\2\x20\0\0\0\0\0", 20);
    EXPECT_EQ(values(b, 0), u"-128|128|384|-32767|384|32769|50463104|-2147417597|50463104|2147549699|-70363229389192832|"
                            u"-9223088349902469377|18376380844320358784|9223655723807082239|3.820529e-37|-9.2557e-41|"
                            u"-7.55013851276107e+303|-1.401599773080117e-309|18376380844320358784|50463104|"
                            u"{03020180-0504-FF06-3FC0-0000C0022000}|invalid sequence|U+0180 ƀ|");
    EXPECT_EQ(values(b, 8), u"63|63|-16321|16320|49215|16320|49215|1069547520|49215|1069547520|9010222911766591|4593671623139270656|"
                            u"9010222911766591|4593671623139270656|6.8965e-41|1.5|4.453135487136713e-308|0.12500008941083252|"
                            u"9010222911766591|49215|-|U+003F ? (1 byte)|U+C03F 쀿|");
    EXPECT_EQ(values(b, 19), u"0|0|-|-|-|-|-|-|-|-|-|-|-|-|-|-|-|-|-|-|-|U+0000 (1 byte)|-|");
    std::u16string none;
    for (size_t i = 0; i < kInspectorRowCount; ++i) none += u"-|";
    for (size_t past : {size_t{20}, size_t{1} << 40}) EXPECT_EQ(values(b, past), none);
    EXPECT_EQ(values(std::string("\0\0\0\0\0\0\xF0\x7F", 8), 0, 16, 17), u"inf|");
    // The time rows carry their instant as a FILETIME for the window to show as a date.
    const std::string t("\0\0\0\0\0\0\0\x80", 8), below("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 8);
    std::vector<InspectorRow> rows = inspector_rows(u8(t), 8, 0), before = inspector_rows(u8(below), 8, 0);
    EXPECT_TRUE(rows[18].isTime && !rows[18].timeValid && rows[18].fileTime == 0x8000000000000000u);  // 2^63 and above: no date
    EXPECT_TRUE(rows[19].isTime && rows[19].timeValid && rows[19].value == u"0" && rows[19].fileTime == 116444736000000000u);
    EXPECT_TRUE(before[18].timeValid && before[19].value == u"-1" && before[19].fileTime == 116444735990000000u);
    rows = inspector_rows(u8(t), 7, 0);
    EXPECT_TRUE(!rows[18].available && rows[19].available && !rows[0].isTime && !inspector_rows(nullptr, 5, 0)[0].available);
}

TEST(Inspector, Characters) {
    struct Row { std::string bytes; size_t row; const char16_t* value; } rows[] = {
        {"A", 21, u"U+0041 A (1 byte)"}, {"\xC3\xA9", 21, u"U+00E9 é (2 bytes)"}, {"\xF0\x90\x80\x80", 21, u"U+10000 𐀀 (4 bytes)"},
        {"\xE0\xA0\x80", 21, u"U+0800 ࠀ (3 bytes)"}, {"\xE2\x82\xAC", 21, u"U+20AC € (3 bytes)"}, {"\x7F", 21, u"U+007F (1 byte)"},
        {"\xC2\x80", 21, u"U+0080 (2 bytes)"}, {"\xC2\xA0", 21, u"U+00A0 \u00A0 (2 bytes)"}, {"\xEE\x80\x80", 21, u"U+E000 \uE000 (3 bytes)"},
        {"\xF4\x8F\xBF\xBF", 21, u"U+10FFFF \U0010FFFF (4 bytes)"}, {"\xEF\xBF\xBF", 21, u"U+FFFF \uFFFF (3 bytes)"}, {"\xE2\x82", 21, u"-"},
        {"\xC1", 21, u"invalid sequence"}, {"\xE0\x9F\xBF", 21, u"invalid sequence"}, {"\xED\xA0\x80", 21, u"invalid sequence"},
        {"\xF4\x90\x80\x80", 21, u"invalid sequence"}, {"\xFC\x80\x80\x80", 21, u"invalid sequence"}, {"\xBF", 21, u"invalid sequence"},
        {"\xE2\x28\xA1", 21, u"invalid sequence"}, {std::string("A\0", 2), 22, u"U+0041 A"}, {std::string(" \0", 2), 22, u"U+0020  "},
        {std::string("\x3D\xD8\x00\xDC", 4), 22, u"U+1F400 🐀 (surrogate pair)"}, {"\x3D\xD8\xFF\xDF", 22, u"U+1F7FF 🟿 (surrogate pair)"},
        {std::string("\0\xDC", 2), 22, u"U+DC00 lone surrogate"}, {std::string("\xFF\xDB" "A\0", 4), 22, u"U+DBFF lone surrogate"},
        {std::string("\0\xD8\0\xE0", 4), 22, u"U+D800 lone surrogate"}, {"\xFF\xDF", 22, u"U+DFFF lone surrogate"},
        {"\x3D\xD8\xFF", 22, u"-"}, {std::string("\0\xE0", 2), 22, u"U+E000 \uE000"},
    };
    for (const Row& r : rows) EXPECT_EQ(values(r.bytes, 0, r.row, r.row + 1), r.value + std::u16string(u"|")) << r.bytes;
}
