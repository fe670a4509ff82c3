// Text lengths of blocks from other programs and the CF_LOCALE description.
#include "viewer/viewer_text_core.h"

#include <gtest/gtest.h>

#include <string>

TEST(ViewerText, LengthsStopAtTheFirstZeroOrTheBlockEnd) {
    const uint8_t text[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(ansi_text_length(text, 4), 2u);
    EXPECT_EQ(ansi_text_length(text, 2), 2u);  // unterminated: the whole block
    EXPECT_EQ(ansi_text_length(nullptr, 10), 0u);
    const uint8_t wide[] = {'a', 0, 0, 'b', 0, 0, 'c', 0};
    EXPECT_EQ(wide_text_length(wide, 8), 2u);  // 0x6200 is not a zero unit
    EXPECT_EQ(wide_text_length(wide, 3), 1u);  // odd size: the last byte is no unit
    EXPECT_EQ(wide_text_length(wide, 1), 0u);
    const uint8_t full[] = {'x', 0, 'y', 0, 'z'};
    EXPECT_EQ(wide_text_length(full, 5), 2u);
}

TEST(ViewerText, LocaleIdNeedsFourBytes) {
    const uint8_t id[] = {0x09, 0x04, 0x02, 0x00, 0xFF};
    EXPECT_EQ(locale_id_from_block(id, 5), 0x00020409u);
    EXPECT_EQ(locale_id_from_block(id, 3), 0u);
    EXPECT_EQ(locale_id_from_block(nullptr, 4), 0u);
    EXPECT_EQ(locale_language_id(0x00020409u), 0x0409);
    EXPECT_EQ(locale_sort_id(0x00020409u), 2);
    EXPECT_EQ(locale_sort_id(0xFFF50409u), 5);  // bits above 19 are not the sort id
}

TEST(ViewerText, LocaleTextAndTruncation) {
    char16_t out[128];
    size_t n = locale_text(u"English (United States)", 0x0409, out, 128);
    std::u16string expect = u"Language: 'English (United States)' (0x0409)\r\nSort order: 0 (0x0000)\r\n";
    EXPECT_EQ(std::u16string(out), expect);
    EXPECT_EQ(n, expect.size());
    n = locale_text(u"Deutsch", 0x000F0407, out, 128);
    EXPECT_EQ(std::u16string(out), u"Language: 'Deutsch' (0x0407)\r\nSort order: 15 (0x000F)\r\n");
    // A short buffer gets a terminated prefix; the needed length is still told.
    char16_t small[8];
    EXPECT_EQ(locale_text(u"X", 0, small, 8), std::u16string(u"Language: 'X' (0x0000)\r\nSort order: 0 (0x0000)\r\n").size());
    EXPECT_EQ(std::u16string(small), u"Languag");
    EXPECT_EQ(locale_unknown_name(0x1234, out, 128), 16u);
    EXPECT_EQ(std::u16string(out), u"Unknown (0x1234)");
}
