// What the viewers work out before drawing: bitmap headers from other programs located and bounded, the private
// header for the drawing call, the fit placement, text lengths and the locale text.
#include "viewer/dib_core.h"
#include "viewer/fit_core.h"
#include "viewer/viewer_text_core.h"

#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using V = std::vector<uint64_t>;

void put(Bytes& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
uint64_t get(const uint8_t* p) { uint32_t v; return std::memcpy(&v, p, 4), v; }

// A header of `hs` bytes (planes 1) followed by `trailing` bytes.
Bytes dib(uint32_t hs, int32_t w, int32_t h, uint16_t bits, uint32_t comp, uint32_t used, size_t trailing, uint32_t image = 0) {
    Bytes b(hs + trailing, 0);
    put(b, 0, hs), put(b, 4, uint32_t(w)), put(b, 8, uint32_t(h)), put(b, 12, 1u | uint32_t(bits) << 16), put(b, 16, comp);
    return put(b, 20, image), put(b, 32, used), b;
}
Bytes cut(Bytes b, size_t size) { return b.resize(size), b; }

}  // namespace

TEST(DibCheck, LayoutOfGoodHeadersAndRefusalOfHostileOnes) {
    const std::pair<Bytes, V> good[] = {  // pixel offset, image bytes, stride
        {dib(40, 4, 2, 8, kBiRgb, 0, 1024 + 8), {1064, 8, 4}}, {dib(40, 4, 2, 8, kBiRgb, 3, 12 + 8), {52, 8, 4}},
        {dib(40, 33, 3, 1, kBiRgb, 0, 8 + 24), {48, 24, 8}}, {dib(40, 3, -1, 4, kBiRgb, 0, 64 + 4), {104, 4, 4}},
        {dib(40, 3, 2, 24, kBiRgb, 0, 24), {40, 24, 12}}, {dib(40, 3, 2, 24, kBiRgb, 300, 1200 + 24), {1240, 24, 12}},  // any table inside
        {dib(40, 2, 2, 32, kBiBitfields, 0, 12 + 16), {52, 16, 8}}, {dib(56, 2, 2, 16, kBiBitfields, 0, 8), {56, 8, 4}},
        {dib(124, 2, 2, 32, kBiRgb, 0, 16), {124, 16, 8}}, {dib(40, 4, 4, 8, kBiRle8, 2, 8 + 10), {48, 10, 0}},
        {dib(40, 4, 4, 8, kBiRle8, 2, 8 + 10, 5000), {48, 10, 0}}, {dib(40, 4, 4, 4, kBiRle4, 0, 64 + 10, 6), {104, 6, 0}},
    };
    for (auto& [b, want] : good) {
        DibLayout l;
        ASSERT_EQ(dib_check(b.data(), b.size(), &l), DibError::None) << b.size();
        EXPECT_EQ(V({l.pixelOffset, l.imageBytes, l.stride}), want) << b.size();
    }
    using E = DibError;
    const std::pair<Bytes, E> bad[] = {
        {dib(40, 1, 1, 32, kBiRgb, 0xFFFFFFFFu, 4096), E::ColorTable}, {dib(40, 1, 1, 8, kBiRgb, 257, 4096), E::ColorTable},
        {dib(40, 1, 1, 8, kBiRgb, 0, 1023), E::ColorTable}, {dib(40, 1, 1, 16, kBiBitfields, 0, 8), E::ColorTable}, {dib(40, 1, 1, 16, kBiBitfields, 0, 12), E::Pixels},
        {dib(40, 1, 1, 24, 0, 0, 0), E::Pixels}, {dib(40, 4, 4, 8, kBiRle8, 2, 8), E::Pixels}, {dib(40, 4, -4, 8, kBiRle8, 2, 20), E::Format},
        {dib(40, 65535, 65535, 8, kBiRle8, 1, 20), E::TooLarge}, {dib(41, 1, 1, 24, 0, 0, 4), E::HeaderSize}, {cut(dib(124, 1, 1, 24, 0, 0, 0), 100), E::NoHeader},
        {Bytes{40, 0, 0}, E::NoHeader}, {dib(40, 0, 1, 24, 0, 0, 4), E::Width}, {dib(40, 65536, 1, 24, 0, 0, 4), E::Width}, {dib(40, 1, 0, 24, 0, 0, 4), E::Height},
        {dib(40, 1, INT_MIN, 24, 0, 0, 4), E::Height}, {dib(40, 1, -65536, 24, 0, 0, 4), E::Height}, {dib(40, 1, 1, 7, kBiRgb, 0, 64), E::Format},
        {dib(40, 1, 1, 4, kBiRle8, 0, 64), E::Format}, {dib(40, 1, 1, 8, kBiRle4, 0, 1024), E::Format}, {dib(40, 1, 1, 24, kBiBitfields, 0, 64), E::Format},
        {dib(40, 1, 1, 24, 6, 0, 64), E::Format}, {dib(40, 1, 1, 0, kBiPng, 0, 64), E::NotDrawable}, {dib(40, 1, 1, 0, kBiJpeg, 0, 64), E::NotDrawable},
        {dib(40, 3, 2, 24, kBiRgb, 0, 23), E::Pixels}, {dib(40, 65535, -65535, 32, kBiRgb, 0, 64), E::Pixels},  // a size that wraps 32 bits
    };
    for (size_t i = 0; i < std::size(bad); ++i) {
        DibLayout l;
        EXPECT_EQ(dib_check(bad[i].first.data(), bad[i].first.size(), &l), bad[i].second) << "case " << i;
        EXPECT_EQ(l.pixelOffset + l.imageBytes, 0u) << "case " << i;
    }
    DibLayout l;
    EXPECT_EQ(dib_check(nullptr, 0, &l), DibError::NoHeader);
}

TEST(DibCheck, CoreHeaderFileHeaderAndThePrivateHeader) {
    Bytes core{12, 0, 0, 0, 3, 0, 1, 0, 1, 0, 1, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0, 0, 0}, file = dib(40, 2, 2, 24, kBiRgb, 0, 16);
    const uint8_t quads[8] = {0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66, 0};  // the 3 x 1 one-bit core picture's table, widened
    DibLayout l;
    DibInfo info;
    ASSERT_EQ(dib_check(core.data(), core.size(), &l), DibError::None);
    dib_build_info(core.data(), l, &info);
    EXPECT_EQ(V({l.pixelOffset, info.length, uint64_t(std::memcmp(info.bytes + 40, quads, 8))}), V({18, 48, 0}));
    file.insert(file.begin(), {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0xFF});  // a wild offset, not used
    size_t start = 0;
    EXPECT_EQ(V({uint64_t(dib_check_file(file.data(), file.size(), &l, &start)), start + l.pixelOffset}), V({0, 14 + 40}));
    EXPECT_EQ(dib_check_file(file.data(), 13, &l, &start), DibError::FileHeader);
    EXPECT_EQ(dib_check_file(file.data(), 14, &l, &start), DibError::NoHeader);
    file[1] = 'X', core[10] = 32;
    EXPECT_EQ(V({uint64_t(dib_check_file(file.data(), file.size(), &l, &start)), uint64_t(dib_check(core.data(), core.size(), &l))}),
              V({uint64_t(DibError::FileHeader), uint64_t(DibError::Format)}));
    // The drawing call gets 40 bytes, the masks, the palette it can use; the source stays as it was.
    const std::pair<Bytes, V> infos[] = {  // length, colours, image size, third mask
        {dib(40, 4, 4, 8, kBiRle8, 2, 8 + 10), {48, 2, 10, 0}}, {dib(40, 1, 1, 24, kBiRgb, 5, 20 + 4), {40, 0, 4, 0}},
        {dib(40, 1, 1, 1, kBiRgb, 256, 1024 + 4), {48, 2, 4, 0}}, {dib(124, 2, -2, 32, kBiBitfields, 0, 16), {52, 0, 16, 0xFF}}};
    for (auto [b, want] : infos) {
        put(b, 24, 0x12345678), put(b, 48, uint32_t(want[3])), b.size() > 124 ? put(b, 112, 3) : void();  // a profile offset
        const Bytes original = b;
        ASSERT_EQ(dib_check(b.data(), b.size(), &l), DibError::None);
        dib_build_info(b.data(), l, &info);  // from the header dib_check accepted
        EXPECT_EQ(V({info.length, get(info.bytes + 32), get(info.bytes + 20), get(info.bytes + 48), get(info.bytes), get(info.bytes + 24)}),
                  V({want[0], want[1], want[2], want[3], 40, 0x12345678}));
        EXPECT_EQ(V({b == original, uint64_t(std::memcmp(info.bytes + 4, b.data() + 4, 12))}), V({1, 0}));  // size, planes, bits
    }
}

TEST(Fit, PlacementForEveryMode) {
    const int cases[][10] = {  // area, source, mode, centring; x, y, width, height
        {400, 400, 100, 50, kFitAlways, 1, 5, 105, 400, 200}, {400, 400, 100, 50, kFitLargeOnly, 1, 155, 180, 100, 50}, {400, 400, 100, 50, kFitNone, 0, 5, 5, 100, 50},
        {400, 400, 100, 50, kFitNone, 1, 155, 180, 100, 50}, {400, 400, 800, 100, kFitLargeOnly, 1, 5, 180, 400, 50}, {400, 400, 50, 800, kFitLargeOnly, 1, 192, 5, 25, 400},
        {400, 400, 801, 100, kFitNone, 1, -195, 155, 801, 100}, {400, 400, 100, 401, kFitLargeOnly, 1, 155, 5, 99, 400}, {400, 400, 100, 50, 7, 0, 5, 5, 100, 50},
        {400, 400, 100, 50, kFitNone, 2, 5, 5, 100, 50}, {400, 10, 1, 1000, kFitAlways, 0, 5, 5, 0, 10}, {INT_MAX, 1, 65535, 1, kFitAlways, 1, 5 + (INT_MAX - 65535) / 2, 5, 65535, 1},
    };
    for (auto& c : cases) {
        FitPlacement p;
        ASSERT_TRUE(fit_bitmap(5, 5, c[0], c[1], c[2], c[3], c[4], c[5], &p));
        EXPECT_EQ(std::vector<int>({p.x, p.y, p.width, p.height}), std::vector<int>(c + 6, c + 10)) << c[2] << "x" << c[3] << " " << c[4];
    }
    FitPlacement p{1, 1, 1, 1};  // nothing to place: false, and a zero placement
    EXPECT_EQ(V({fit_bitmap(0, 0, 0, 10, 10, 10, kFitAlways, 1, &p) || fit_bitmap(0, 0, 10, 10, 10, 0, kFitAlways, 1, &p), uint64_t(p.width + p.x)}), V({0, 0}));
}

TEST(ViewerText, LengthsLocaleIdAndText) {
    const uint8_t text[] = {'a', 'b', 0, 'c'}, wide[] = {'a', 0, 0, 'b', 0, 0, 'c', 0}, id[] = {0x09, 0x04, 0x02, 0};
    EXPECT_EQ(V({ansi_text_length(text, 4), ansi_text_length(text, 2), ansi_text_length(nullptr, 9), wide_text_length(wide, 8),
                 wide_text_length(wide, 3), wide_text_length(wide + 1, 5), wide_text_length(nullptr, 8), locale_id_from_block(id, 4),
                 locale_id_from_block(id, 3), locale_id_from_block(nullptr, 4), locale_sort_id(0xFFF50409u)}),
              V({2, 2, 0, 2, 1, 0, 0, 0x00020409, 0, 0, 5}));  // bits above 19 are not the sort id
    char16_t out[128], small[8];
    const std::u16string deutsch = u"Language: 'Deutsch' (0x0407)\r\nSort order: 15 (0x000F)\r\n";
    const size_t full = locale_text(u"Deutsch", 0x000F0407, out, 128), cut = locale_text(u"Deutsch", 0x000F0407, small, 8);
    EXPECT_EQ(V({full, cut}), V({deutsch.size(), deutsch.size()}));  // a short buffer: a terminated prefix, the full length told
    EXPECT_EQ(std::u16string(out) + u"|" + small, deutsch + u"|Languag");
    const size_t n = locale_unknown_name(0xBEEF, out, 128);
    EXPECT_EQ(std::to_string(n) + std::string(out, out + 16), "16Unknown (0xBEEF)");
}
