// Find: the search text as bytes for each kind, and the search both ways,
// with and without case, wrapping once, and missing.
#include "hexdump/find_core.h"

#include <gtest/gtest.h>

#include <string>

TEST(Find, ParsesEachKind) {
    using K = FindKind;
    using E = FindError;
    struct Row { K kind; const char16_t* text; std::vector<uint8_t> bytes; E error; size_t at; } rows[] = {
        {K::Hex, u"4A 65 6c", {0x4A, 0x65, 0x6C}, E::None, 0}, {K::Hex, u"\t4865  6C ", {0x48, 0x65, 0x6C}, E::None, 0},
        {K::Hex, u"aB09fF", {0xAB, 0x09, 0xFF}, E::None, 0},   {K::Hex, u"48 6", {}, E::OddHexDigits, 3},
        {K::Hex, u"486 5", {}, E::OddHexDigits, 2},            {K::Hex, u"48 6G", {}, E::BadHexDigit, 4},
        {K::Hex, u"4/", {}, E::BadHexDigit, 1},                {K::Hex, u":", {}, E::BadHexDigit, 0},
        {K::Hex, u"  ", {}, E::Empty, 0},                      {K::Text8, u"H\u00FF", {0x48, 0xFF}, E::None, 0},
        {K::Text8, u"a\u0100", {}, E::NotEightBit, 1},         {K::Text16, u"H\u0100", {0x48, 0x00, 0x00, 0x01}, E::None, 0},
    };
    for (const Row& r : rows) {
        FindPattern p = find_parse(r.kind, r.text, std::char_traits<char16_t>::length(r.text));
        EXPECT_TRUE(p.bytes == r.bytes && p.error == r.error && p.errorPosition == r.at) << static_cast<int>(p.error) << " " << p.errorPosition;
    }
    EXPECT_EQ(find_parse(K::Text8, nullptr, 4).error, E::Empty);
}

TEST(Find, SearchesBothWaysWrapsAndMisses) {
    const std::string block = "Hello hello HELLOZ";
    const auto* data = reinterpret_cast<const uint8_t*>(block.data());
    auto bytes = [](const char* s) { return std::vector<uint8_t>(s, s + std::char_traits<char>::length(s)); };
    const FindKind t8 = FindKind::Text8;
    struct Row { const char* pattern; FindKind kind; bool matchCase, backwards; size_t start; long long at; bool wrapped; } rows[] = {
        {"Hello", t8, true, false, 0, 0, false},  {"Hello", t8, true, false, 1, 0, true},   {"Hello", t8, false, false, 1, 6, false},
        {"hello", t8, false, false, 13, 0, true}, {"hello", t8, false, true, 17, 12, false}, {"hello", t8, false, true, 12, 6, false},
        {"hello", t8, false, true, 0, 12, true},  {"hello", t8, true, true, 6, 6, true},     {"HELLO", t8, true, true, 99, 12, false},
        {"HELLO", t8, true, false, 99, 12, true}, {"xyz", t8, false, false, 3, -1, false},   {"xyz", t8, false, true, 3, -1, false},
        {"LO H", t8, false, false, 0, 3, false},  {"O", t8, true, false, 16, 16, false},     {"O", t8, true, true, 16, 16, true},
        {"hello", FindKind::Hex, false, false, 0, 6, false}, {"Hello hello HELLOZ", t8, true, false, 0, 0, false},
        {"z", t8, false, true, 0, 17, true},
    };
    for (const Row& r : rows) {
        FindHit hit = find_search(data, block.size(), r.start, bytes(r.pattern), {r.kind, r.matchCase, r.backwards});
        EXPECT_TRUE(hit.position == r.at && hit.wrapped == r.wrapped) << r.pattern << " from " << r.start << ": " << hit.position;
    }
    EXPECT_TRUE(find_search(nullptr, 5, 0, bytes("a"), {}).position == -1 && find_search(data, block.size(), 0, {}, {}).position == -1);
    EXPECT_EQ(find_search(data, block.size(), 0, bytes("Hello hello HELLOZ!"), {}).position, -1);  // longer than the block
}

TEST(Find, Utf16LettersFoldAtAnyOffset) {
    std::vector<uint8_t> block = {0x20};  // an odd start: units need not be aligned
    for (char16_t c : std::u16string(u"\u00C0COL\u00DE \u00D7 \u00E0col\u00FE")) block.insert(block.end(), {uint8_t(c), uint8_t(c >> 8)});
    auto search = [&](const char16_t* s, bool matchCase) {
        FindPattern p = find_parse(FindKind::Text16, s, std::char_traits<char16_t>::length(s));
        return find_search(block.data(), block.size(), 0, p.bytes, {FindKind::Text16, matchCase, false}).position;
    };
    EXPECT_TRUE(search(u"\u00E0col\u00FE", false) == 1 && search(u"\u00E0col\u00FE", true) == 17 && search(u"\u00D7", false) == 13);
    EXPECT_TRUE(search(u"\u00F7", false) == -1 && search(u"e\u0100", false) == -1);  // no lower-case multiplication sign
    const std::vector<uint8_t> odd = {0xE0, 0x00, 0x63};  // an odd last byte compares exactly
    EXPECT_EQ(find_search(block.data(), block.size(), 0, odd, {FindKind::Text16, false, false}).position, 17);
}
