// Source-array texts and the save dialog's default extensions. The fast array writer is held to the line-by-line
// rendering of the same notation, so the notation tables themselves are not restated here.
#include "array_reference.h"
#include "export/filter_core.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using V = std::vector<long long>;
std::string fast(const ArrayNotation& n, const Bytes& d, long long a, long long c, const char* t = nullptr) { return array_fast(n, d.data(), d.size(), a, c, t); }
std::string slow(const ArrayNotation& n, const Bytes& d, long long a, long long c, const char* t = nullptr) { return array_reference(n, d.data(), a, c, t); }

}  // namespace

TEST(ArrayText, EveryNotationAsTheLineByLineRenderingHasIt) {
    const Bytes ten{0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A};
    EXPECT_EQ(fast(array_notation_c_array, ten, 10, 0),
              "/* StartOffset: 0x00000000, EndOffset: 0x0000000A, Length: 0x0000000A */\r\nstatic const unsigned char rawData[10] = {\r\n"
              "\t0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,\r\n\t0x49, 0x4A\r\n};\r\n");
    Bytes d(400);
    for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<unsigned char>(255 - i * 7);
    for (const ArrayNotation* n : array_notations) {
        const long long per = array_bytes_per_line(*n);
        for (long long count : {0LL, 1LL, per - 1, per, per + 1, 2 * per, 2 * per + 1, 3 * per})
            EXPECT_EQ(fast(*n, d, 3, 3 + count), slow(*n, d, 3, 3 + count)) << n->name << count;
        EXPECT_EQ(V({fast(*n, Bytes{}, 0, 0) == slow(*n, Bytes{}, 0, 0), fast(*n, d, 60, 13) == fast(*n, d, 13, 60)}), V({1, 1}));
    }
}

TEST(ArrayText, SelectionTitlesOffsetsAndLimits) {
    size_t s1 = 9, c1 = 9, s2 = 9, c2 = 9;  // a selection is kept inside the data, never read past it
    array_selection_range(-5, 500, 100, &s1, &c1), array_selection_range(150, 120, 100, &s2, &c2);
    EXPECT_EQ(std::vector<size_t>({s1, c1, s2, c2}), std::vector<size_t>({0, 100, 100, 0}));
    Bytes d(200);
    // An empty title is none; a printf directive in one is plain text; a long one is written whole.
    EXPECT_EQ(fast(array_notation_c_array, d, 0, 1, ""), fast(array_notation_c_array, d, 0, 1));
    EXPECT_EQ(fast(array_notation_c_array, d, 0, 0, "%s%n%d").substr(0, 14), "/* %s%n%d */\r\n");
    const std::string longTitle(3000, 't');
    EXPECT_EQ(fast(array_notation_c_array, d, 0, 1, longTitle.c_str()).substr(0, 3008), "/* " + longTitle + " */\r\n");
    std::string text(256, '\0');
    const size_t n = array_text_write(array_notation_c_array, d.data(), 16, 0x7FFFFFF0u, nullptr, text.data());
    EXPECT_EQ(text.substr(0, 74), "/* StartOffset: 0x7FFFFFF0, EndOffset: 0x80000000, Length: 0x00000010 */\r\n");
    EXPECT_EQ(n, array_text_length(array_notation_c_array, d.data(), 16, 0x7FFFFFF0u, nullptr));
    for (auto [per, want] : {std::pair{"1", 1}, {"80", 80}, {"81", 80}, {"0", 8}, {"-3", 8}, {"abc", 8}}) {  // bytes per line
        ArrayNotation custom = array_notation_c_array;
        custom.bytesPerLine = per;
        EXPECT_EQ(V({array_bytes_per_line(custom), fast(custom, d, 0, 200) == slow(custom, d, 0, 200)}), V({want, 1})) << per;
    }
    // Byte texts of unequal width cannot be placed from the count, nor texts longer than 48: refused, nothing written.
    ArrayNotation uneven = array_notation_c_array, wide = array_notation_c_array;
    uneven.byteFormat = "%u", wide.byteFormat = "%049u";
    std::string out(8, 'x');
    EXPECT_EQ(V({array_text_write(uneven, d.data(), 6, 0, nullptr, out.data()) == array_too_large,
                 array_text_length(wide, d.data(), 6, 0, nullptr) == array_too_large,
                 array_text_length(array_notation_c_array, d.data(), size_t{1} << 31, 0, nullptr) == array_too_large, out == "xxxxxxxx"}),
              V({1, 1, 1, 1}));
}

TEST(ArrayText, SlicedAsInOnePass) {
    // Slices of 1 to 3 lines on 1 and 3 threads, handed out last first, so a slice that copies past its end spoils the
    // next one; per notation and for an entry longer than one chunk, the last line partial or full; and (lines 0, as
    // large texts are written) 500,000 bytes, which take the sliced way by themselves.
    ArrayNotation longEntry = array_notation_vbnet_array;
    longEntry.byteFormat = "<%03u__________________>", longEntry.bytesPerLine = "3";
    Bytes d(500000);
    for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<unsigned char>(i * 131 + i / 977);
    auto text = [&](const ArrayNotation& n, size_t count, size_t per, unsigned threads) {
        std::string out(array_text_length(n, d.data() + 3, count, 3, "t") + 1, '#');
        const size_t length = per ? array_text_write_sliced(n, d.data() + 3, count, 3, "t", out.data(), per, threads)
                                  : array_text_write(n, d.data() + 3, count, 3, "t", out.data());
        return length < out.size() && out[length] == '\0' ? out.substr(0, length) : "<length>";
    };
    std::vector<const ArrayNotation*> notations(std::begin(array_notations), std::end(array_notations));
    notations.push_back(&longEntry);
    for (const ArrayNotation* n : notations)
        for (size_t per = array_bytes_per_line(*n); size_t count : {size_t{0}, size_t{1}, per, per + 1, 4 * per, 7 * per + 3, size_t{297}})
            for (auto [lines, threads] : {std::pair{1u, 1u}, {2u, 1u}, {3u, 1u}, {1u, 3u}, {3u, 3u}})
                EXPECT_EQ(text(*n, count, lines, threads), slow(*n, d, 3, 3 + count, "t")) << n->name << count << " " << lines;
    EXPECT_TRUE(text(array_notation_java_array, d.size() - 3, 0, 0) == slow(array_notation_java_array, d, 3, d.size(), "t"));
}

TEST(ExportFilters, DefaultExtensionOfTheSelectedType) {
    const wchar_t raw[] = L"Binary (*.bin)\0*.bin\0All (*.*)\0*.*\0";
    const std::tuple<const wchar_t*, int, const wchar_t*> cases[] = {
        {raw, 0, L"bin"}, {raw, 1, L"bin"}, {raw, 2, L""}, {raw, 3, L""}, {L"VB.NET Array(*.vb)\0*.vb\0", 1, L"vb"},
        {L"Archive\0*.tar.gz\0", 1, L"gz"}, {L"Any\0*\0", 1, L""}, {L"Dot\0name.\0", 1, L""}, {nullptr, 1, L""}, {L"No pattern\0\0", 1, L""}};
    for (auto& [filters, index, ext] : cases) {
        wchar_t out[16] = L"garbage";
        EXPECT_EQ(filter_default_extension(filters, index, out, 16), *ext != 0) << index;
        EXPECT_STREQ(out, ext) << index;
    }
    EXPECT_EQ(V({filter_pair_count(raw), filter_pair_count(L"Any\0*\0"), filter_pair_count(nullptr), filter_pair_count(L"\0"),
                 filter_pair_count(L"No pattern\0\0")}), V({2, 1, 0, 0, 0}));
    wchar_t small[5] = L"xxxx";  // "java" and its zero do not fit in 4
    EXPECT_EQ(V({filter_default_extension(L"J\0*.java\0", 1, small, 4), small[0], filter_default_extension(L"J\0*.java\0", 1, small, 5),
                 filter_default_extension(raw, 1, small, 0)}), V({0, 0, 1, 0}));
}
