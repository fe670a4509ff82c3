// Source-array texts: the exact text of every notation, the edges of the data
// lines, and the fast writer against the per-line reference.
#include "export/array_core.h"
#include "array_reference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> ten_bytes() {
    std::vector<unsigned char> v;
    for (unsigned char c = 0x41; c <= 0x4A; ++c) v.push_back(c);
    return v;
}

std::string fast(const ArrayNotation& n, const std::vector<unsigned char>& d, long long anchor, long long caret,
                 const char* title = nullptr) {
    return array_fast(n, d.data(), d.size(), anchor, caret, title);
}

std::string all(const ArrayNotation& n, const std::vector<unsigned char>& d) { return fast(n, d, 0, d.size()); }

}  // namespace

TEST(ArrayText, TenBytesInEveryNotation) {
    auto d = ten_bytes();
    EXPECT_EQ(all(array_notation_c_array, d),
              "/* StartOffset: 0x00000000, EndOffset: 0x0000000A, Length: 0x0000000A */\r\n"
              "static const unsigned char rawData[10] = {\r\n"
              "\t0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,\r\n"
              "\t0x49, 0x4A\r\n"
              "};\r\n");
    EXPECT_EQ(all(array_notation_c_string, d),
              "/* StartOffset: 0x00000000, EndOffset: 0x0000000A, Length: 0x0000000A */\r\n"
              "static const unsigned char rawString[] = \r\n"
              "\t\"\\x41\\x42\\x43\\x44\\x45\\x46\\x47\\x48\\x49\\x4A\";\r\n");
    EXPECT_EQ(all(array_notation_csharp_array, d),
              "/* StartOffset: 0x00000000, EndOffset: 0x0000000A, Length: 0x0000000A */\r\n"
              "byte[] rawData = {\r\n"
              "\t0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,\r\n"
              "\t0x49, 0x4A\r\n"
              "};\r\n");
    EXPECT_EQ(all(array_notation_java_array, d),
              "/* StartOffset: 0x00000000, EndOffset: 0x0000000A, Length: 0x0000000A */\r\n"
              "byte rawData[] = {\r\n"
              "\t(byte)0x41, (byte)0x42, (byte)0x43, (byte)0x44,\r\n"
              "\t(byte)0x45, (byte)0x46, (byte)0x47, (byte)0x48,\r\n"
              "\t(byte)0x49, (byte)0x4A\r\n"
              "};\r\n");
    EXPECT_EQ(all(array_notation_pascal_array, d),
              "{ StartOffset: $00000000, EndOffset: $0000000A, Length: $0000000A }\r\n"
              "RawData: array[0..9] of Byte = (\r\n"
              "  $41, $42, $43, $44, $45, $46, $47, $48,\r\n"
              "  $49, $4A\r\n"
              ");\r\n");
    EXPECT_EQ(all(array_notation_vbnet_array, d),
              "' StartOffset: &H00000000, EndOffset: &H0000000A, Length: &H0000000A\r\n"
              "Dim rawData As Byte() = { _\r\n"
              "\t&H41, &H42, &H43, &H44, &H45, &H46, &H47, &H48, _\r\n"
              "\t&H49, &H4A _\r\n"
              "}\r\n");
}

TEST(ArrayText, EmptySelectionKeepsDeclarationsAndClosing) {
    std::vector<unsigned char> d(32, 0x11);
    EXPECT_EQ(fast(array_notation_c_array, d, 5, 5),
              "/* StartOffset: 0x00000005, EndOffset: 0x00000005, Length: 0x00000000 */\r\n"
              "static const unsigned char rawData[0] = {\r\n"
              "};\r\n");
    EXPECT_EQ(fast(array_notation_c_string, d, 5, 5),
              "/* StartOffset: 0x00000005, EndOffset: 0x00000005, Length: 0x00000000 */\r\n"
              "static const unsigned char rawString[] = \r\n");
    EXPECT_EQ(fast(array_notation_pascal_array, d, 0, 0),
              "{ StartOffset: $00000000, EndOffset: $00000000, Length: $00000000 }\r\n"
              "RawData: array[0..-1] of Byte = (\r\n"
              ");\r\n");
    EXPECT_EQ(fast(array_notation_vbnet_array, d, 0, 0),
              "' StartOffset: &H00000000, EndOffset: &H00000000, Length: &H00000000\r\n"
              "Dim rawData As Byte() = { _\r\n"
              "}\r\n");
    // Empty data as well as an empty selection inside data.
    std::vector<unsigned char> none;
    for (const ArrayNotation* n : array_notations) {
        EXPECT_EQ(fast(*n, none, 0, 0), array_reference(*n, none.data(), 0, 0, nullptr)) << n->name;
        EXPECT_EQ(fast(*n, d, 7, 7), array_reference(*n, d.data(), 7, 7, nullptr)) << n->name;
    }
}

TEST(ArrayText, SelectionOrderAndClamping) {
    std::vector<unsigned char> d(100);
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<unsigned char>(i * 7);
    for (const ArrayNotation* n : array_notations) {
        EXPECT_EQ(fast(*n, d, 60, 13), fast(*n, d, 13, 60)) << n->name;
    }
    std::size_t start, count;
    array_selection_range(60, 13, 100, &start, &count);
    EXPECT_EQ(start, 13u);
    EXPECT_EQ(count, 47u);
    // Ends outside the data are kept inside it rather than read past it.
    array_selection_range(-5, 500, 100, &start, &count);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(count, 100u);
    array_selection_range(150, 120, 100, &start, &count);
    EXPECT_EQ(start, 100u);
    EXPECT_EQ(count, 0u);
}

TEST(ArrayText, OneByteAndExactlyOneLine) {
    std::vector<unsigned char> one{0x00};
    EXPECT_EQ(all(array_notation_c_array, one),
              "/* StartOffset: 0x00000000, EndOffset: 0x00000001, Length: 0x00000001 */\r\n"
              "static const unsigned char rawData[1] = {\r\n"
              "\t0x00\r\n"
              "};\r\n");
    std::vector<unsigned char> eight(8, 0xAB);
    EXPECT_EQ(all(array_notation_c_array, eight),
              "/* StartOffset: 0x00000000, EndOffset: 0x00000008, Length: 0x00000008 */\r\n"
              "static const unsigned char rawData[8] = {\r\n"
              "\t0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB\r\n"
              "};\r\n");
    std::vector<unsigned char> seventeen(17, 0x20);
    EXPECT_EQ(all(array_notation_c_string, seventeen),
              "/* StartOffset: 0x00000000, EndOffset: 0x00000011, Length: 0x00000011 */\r\n"
              "static const unsigned char rawString[] = \r\n"
              "\t\"\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\"\r\n"
              "\t\"\\x20\";\r\n");
}

TEST(ArrayText, LineLengthBoundariesMatchReference) {
    std::vector<unsigned char> d(400);
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<unsigned char>(255 - i);
    for (const ArrayNotation* n : array_notations) {
        long long per = array_bytes_per_line(*n);
        for (long long count : {per - 1, per, per + 1, 2 * per - 1, 2 * per, 2 * per + 1, 3 * per}) {
            EXPECT_EQ(fast(*n, d, 3, 3 + count), array_reference(*n, d.data(), 3, 3 + count, nullptr))
                << n->name << " count " << count;
        }
    }
}

TEST(ArrayText, HighAndSpecialBytes) {
    std::vector<unsigned char> ff{0xFF};
    const char* expected[6] = {"\t0xFF\r\n", "\t\"\\xFF\";\r\n", "\t0xFF\r\n",
                               "\t(byte)0xFF\r\n", "  $FF\r\n", "\t&HFF _\r\n"};
    for (int i = 0; i < 6; ++i) {
        std::string text = all(*array_notations[i], ff);
        EXPECT_NE(text.find(expected[i]), std::string::npos) << array_notations[i]->name << ": " << text;
    }
    // A C String never carries a raw quote, backslash, NUL or DEL: every byte is escaped.
    std::vector<unsigned char> special{0x00, 0x22, 0x5C, 0x7F, 0xFF};
    std::string text = all(array_notation_c_string, special);
    EXPECT_NE(text.find("\t\"\\x00\\x22\\x5C\\x7F\\xFF\";\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('\0'), std::string::npos);
}

TEST(ArrayText, TitleLineAndLargeOffsets) {
    auto d = ten_bytes();
    EXPECT_EQ(fast(array_notation_pascal_array, d, 2, 3, "Bytes of a.bin"),
              "{ Bytes of a.bin }\r\n"
              "{ StartOffset: $00000002, EndOffset: $00000003, Length: $00000001 }\r\n"
              "RawData: array[0..0] of Byte = (\r\n"
              "  $43\r\n"
              ");\r\n");
    EXPECT_EQ(fast(array_notation_vbnet_array, d, 0, 0, "t").substr(0, 5), "' t\r\n");
    // An empty title is no title; a printf directive in it is plain text.
    EXPECT_EQ(fast(array_notation_c_array, d, 0, 1, ""), fast(array_notation_c_array, d, 0, 1));
    EXPECT_EQ(fast(array_notation_c_array, d, 0, 0, "%s%n%d").substr(0, 13), "/* %s%n%d */\r");

    // A title longer than a line buffer is written whole, not cut off.
    std::string longTitle(3000, 't');
    std::string withLong = fast(array_notation_c_array, d, 0, 1, longTitle.c_str());
    EXPECT_EQ(withLong.substr(0, 3 + 3000 + 5), "/* " + longTitle + " */\r\n");

    // The range line prints offsets as eight hex digits, the end exclusive.
    unsigned char bytes[16] = {};
    std::string text(256, '\0');
    std::size_t n = array_text_write(array_notation_c_array, bytes, 16, 0x7FFFFFF0u, nullptr, &text[0]);
    text.resize(n);
    EXPECT_EQ(text.substr(0, 74),
              "/* StartOffset: 0x7FFFFFF0, EndOffset: 0x80000000, Length: 0x00000010 */\r\n");
    EXPECT_EQ(n, array_text_length(array_notation_c_array, bytes, 16, 0x7FFFFFF0u, nullptr));
}

TEST(ArrayText, BytesPerLineClampedToOneToEighty) {
    std::vector<unsigned char> d(200);
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<unsigned char>(i);
    struct Case {
        const char* text;
        int expected;
    } cases[] = {{"1", 1}, {"80", 80}, {"81", 80}, {"1000", 80}, {"0", 8}, {"-3", 8}, {"abc", 8}, {"", 8}};
    for (const Case& c : cases) {
        ArrayNotation n = array_notation_c_array;
        n.bytesPerLine = c.text;
        EXPECT_EQ(array_bytes_per_line(n), c.expected) << c.text;
        std::string text = fast(n, d, 0, d.size());
        EXPECT_EQ(text, array_reference(n, d.data(), 0, d.size(), nullptr)) << c.text;
        // Data lines start with the tab; count them.
        std::size_t lines = 0;
        for (std::size_t at = text.find("\n\t"); at != std::string::npos; at = text.find("\n\t", at + 1)) ++lines;
        EXPECT_EQ(lines, (d.size() + c.expected - 1) / c.expected) << c.text;
    }
    ArrayNotation one = array_notation_c_array;
    one.bytesPerLine = "1";
    std::vector<unsigned char> two{1, 2};
    EXPECT_EQ(all(one, two),
              "/* StartOffset: 0x00000000, EndOffset: 0x00000002, Length: 0x00000002 */\r\n"
              "static const unsigned char rawData[2] = {\r\n"
              "\t0x01,\r\n"
              "\t0x02\r\n"
              "};\r\n");
}

TEST(ArrayText, UnevenByteTextsAreRefused) {
    // Every line's place follows from the count only when all byte texts have one width.
    ArrayNotation decimal = array_notation_c_array;
    decimal.byteFormat = "%u";
    std::vector<unsigned char> d{0, 9, 10, 99, 100, 255};
    EXPECT_EQ(array_text_length(decimal, d.data(), d.size(), 0, nullptr), array_too_large);
    std::string out(64, 'x');
    EXPECT_EQ(array_text_write(decimal, d.data(), d.size(), 0, nullptr, out.data()), array_too_large);
    EXPECT_EQ(out, std::string(64, 'x'));
}

TEST(ArrayText, RandomSelectionsMatchReference) {
    std::mt19937 rng(12345);
    std::vector<unsigned char> d(5000);
    for (auto& b : d) b = static_cast<unsigned char>(rng());
    for (int round = 0; round < 300; ++round) {
        const ArrayNotation& n = *array_notations[round % 6];
        long long size = static_cast<long long>(d.size());
        long long anchor = rng() % (size + 1), caret = rng() % 3 == 0 ? anchor + rng() % 40 : rng() % (size + 1);
        if (caret > size) caret = size;
        const char* title = round % 4 == 0 ? "random title" : nullptr;
        EXPECT_EQ(fast(n, d, anchor, caret, title), array_reference(n, d.data(), anchor, caret, title))
            << n.name << " " << anchor << ".." << caret;
    }
}
