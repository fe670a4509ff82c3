// Bitmap header checks and layout: where the table and pixels are, and every
// way a header from another program can point outside its block.
#include "viewer/dib_core.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A header of `headerSize` bytes followed by `trailing` bytes.
std::vector<uint8_t> info_dib(uint32_t headerSize, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                              uint32_t colorsUsed, size_t trailing, uint32_t sizeImage = 0) {
    std::vector<uint8_t> b(headerSize + trailing, 0);
    put32(b, 0, headerSize);
    put32(b, 4, static_cast<uint32_t>(width));
    put32(b, 8, static_cast<uint32_t>(height));
    put16(b, 12, 1);
    put16(b, 14, bits);
    put32(b, 16, compression);
    put32(b, 20, sizeImage);
    put32(b, 32, colorsUsed);
    return b;
}

DibError check(const std::vector<uint8_t>& b, DibLayout* l) { return dib_check(b.data(), b.size(), l); }

}  // namespace

TEST(DibLayout, PaletteTablesAndPixelOffsets) {
    DibLayout l;
    // 8-bit, colours used 0: a full 256-entry table, pixels 1024 bytes after the header.
    auto b = info_dib(40, 4, 2, 8, kBiRgb, 0, 1024 + 8);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.colorTableOffset, 40u);
    EXPECT_EQ(l.colorCount, 256u);
    EXPECT_EQ(l.pixelOffset, 40u + 1024u);
    EXPECT_EQ(l.stride, 4u);
    EXPECT_EQ(l.imageBytes, 8u);
    // Colours used counts the table exactly.
    b = info_dib(40, 4, 2, 8, kBiRgb, 3, 12 + 8);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.pixelOffset, 52u);
    // 1-bit and 4-bit full tables; rows padded to 4 bytes.
    b = info_dib(40, 33, 3, 1, kBiRgb, 0, 8 + 8 * 3);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.pixelOffset, 48u);
    EXPECT_EQ(l.stride, 8u);
    b = info_dib(40, 3, 1, 4, kBiRgb, 0, 64 + 4);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.pixelOffset, 104u);
    // 24-bit: no table unless counted; a counted table still moves the pixels.
    b = info_dib(40, 3, 2, 24, kBiRgb, 0, 24);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.pixelOffset, 40u);
    EXPECT_EQ(l.stride, 12u);
    b = info_dib(40, 3, 2, 24, kBiRgb, 2, 8 + 24);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.pixelOffset, 48u);
}

TEST(DibLayout, BitfieldsMasksAndLargerHeaders) {
    DibLayout l;
    // A 40-byte header: the three masks follow it.
    auto b = info_dib(40, 2, 2, 32, kBiBitfields, 0, 12 + 16);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.maskOffset, 40u);
    EXPECT_EQ(l.pixelOffset, 52u);
    // Larger headers carry the masks as fields: the pixels follow the header.
    for (uint32_t hs : {52u, 56u, 108u, 124u}) {
        b = info_dib(hs, 2, 2, 16, kBiBitfields, 0, 8);
        ASSERT_EQ(check(b, &l), DibError::None) << hs;
        EXPECT_EQ(l.maskOffset, 40u);
        EXPECT_EQ(l.pixelOffset, hs);
        EXPECT_EQ(l.imageBytes, 8u);
    }
    // A V5 bitmap with BI_RGB: no masks at all.
    b = info_dib(124, 2, 2, 32, kBiRgb, 0, 16);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.maskOffset, 0u);
    EXPECT_EQ(l.pixelOffset, 124u);
    // Masks missing after a 40-byte header.
    b = info_dib(40, 1, 1, 16, kBiBitfields, 0, 8);
    EXPECT_EQ(check(b, &l), DibError::ColorTable);
}

TEST(DibLayout, CoreHeaderUsesTripletTable) {
    std::vector<uint8_t> b(12 + 2 * 3 + 4, 0);
    put32(b, 0, 12);
    put16(b, 4, 3);   // width
    put16(b, 6, 1);   // height
    put16(b, 8, 1);
    put16(b, 10, 1);  // 1 bit
    b[12] = 0x11; b[13] = 0x22; b[14] = 0x33;  // colour 0 (B, G, R)
    b[15] = 0x44; b[16] = 0x55; b[17] = 0x66;  // colour 1
    DibLayout l;
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.colorEntrySize, 3u);
    EXPECT_EQ(l.pixelOffset, 18u);
    DibInfo info;
    dib_build_info(b.data(), l, &info);
    EXPECT_EQ(info.length, 40u + 8u);
    const uint8_t expect[8] = {0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66, 0};
    EXPECT_EQ(std::memcmp(info.bytes + 40, expect, 8), 0);
    // Core headers know no 16/32-bit pictures.
    put16(b, 10, 32);
    EXPECT_EQ(check(b, &l), DibError::Format);
}

TEST(DibLayout, BitmapFileHeaderIsSkipped) {
    auto dib = info_dib(40, 2, 2, 24, kBiRgb, 0, 16);
    std::vector<uint8_t> file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    put32(file, 10, 0xFFFFFFF0u);  // a wild pixel offset in the file header is not used
    file.insert(file.end(), dib.begin(), dib.end());
    DibLayout l;
    size_t start = 0;
    ASSERT_EQ(dib_check_file(file.data(), file.size(), &l, &start), DibError::None);
    EXPECT_EQ(start, 14u);
    EXPECT_EQ(l.pixelOffset, 40u);
    EXPECT_EQ(dib_check_file(file.data(), 13, &l, &start), DibError::FileHeader);
    file[1] = 'X';
    EXPECT_EQ(dib_check_file(file.data(), file.size(), &l, &start), DibError::FileHeader);
    file[1] = 'M';
    // The file header alone, or with a torn header after it.
    EXPECT_EQ(dib_check_file(file.data(), 14, &l, &start), DibError::NoHeader);
    EXPECT_EQ(dib_check_file(file.data(), 14 + 20, &l, &start), DibError::NoHeader);
}

TEST(DibCheck, RefusesHostileHeaders) {
    DibLayout l;
    EXPECT_EQ(dib_check(nullptr, 0, &l), DibError::NoHeader);
    uint8_t three[3] = {40, 0, 0};
    EXPECT_EQ(dib_check(three, 3, &l), DibError::NoHeader);
    // Header size unknown, or larger than the block.
    EXPECT_EQ(check(info_dib(41, 1, 1, 24, 0, 0, 4), &l), DibError::HeaderSize);
    auto b = info_dib(124, 1, 1, 24, 0, 0, 0);
    b.resize(100);
    EXPECT_EQ(check(b, &l), DibError::NoHeader);
    // Width and height limits, including INT_MIN whose negation overflows.
    EXPECT_EQ(check(info_dib(40, 0, 1, 24, 0, 0, 4), &l), DibError::Width);
    EXPECT_EQ(check(info_dib(40, -5, 1, 24, 0, 0, 4), &l), DibError::Width);
    EXPECT_EQ(check(info_dib(40, 65536, 1, 24, 0, 0, 4), &l), DibError::Width);
    EXPECT_EQ(check(info_dib(40, 1, 0, 24, 0, 0, 4), &l), DibError::Height);
    EXPECT_EQ(check(info_dib(40, 1, INT_MIN, 24, 0, 0, 4), &l), DibError::Height);
    EXPECT_EQ(check(info_dib(40, 1, -65536, 24, 0, 0, 4), &l), DibError::Height);
    EXPECT_EQ(check(info_dib(40, 1, 65536, 24, 0, 0, 4), &l), DibError::Height);
    // Bit count and compression pairs.
    EXPECT_EQ(check(info_dib(40, 1, 1, 7, kBiRgb, 0, 64), &l), DibError::Format);
    EXPECT_EQ(check(info_dib(40, 1, 1, 0, kBiRgb, 0, 64), &l), DibError::Format);
    EXPECT_EQ(check(info_dib(40, 1, 1, 4, kBiRle8, 0, 64), &l), DibError::Format);
    EXPECT_EQ(check(info_dib(40, 1, 1, 8, kBiRle4, 0, 1024), &l), DibError::Format);
    EXPECT_EQ(check(info_dib(40, 1, 1, 24, kBiBitfields, 0, 64), &l), DibError::Format);
    EXPECT_EQ(check(info_dib(40, 1, 1, 24, 6, 0, 64), &l), DibError::Format);
    EXPECT_EQ(check(info_dib(40, 1, 1, 0, kBiJpeg, 0, 64), &l), DibError::NotDrawable);
    EXPECT_EQ(check(info_dib(40, 1, 1, 0, kBiPng, 0, 64), &l), DibError::NotDrawable);
    // Colour counts beyond 256 or a table past the block.
    EXPECT_EQ(check(info_dib(40, 1, 1, 24, kBiRgb, 257, 4096), &l), DibError::ColorTable);
    EXPECT_EQ(check(info_dib(40, 1, 1, 24, kBiRgb, 0xFFFFFFFFu, 4096), &l), DibError::ColorTable);
    EXPECT_EQ(check(info_dib(40, 1, 1, 8, kBiRgb, 0, 1023), &l), DibError::ColorTable);
    // Pixels: one byte short; the largest picture whose size would wrap 32 bits.
    EXPECT_EQ(check(info_dib(40, 3, 2, 24, kBiRgb, 0, 23), &l), DibError::Pixels);
    EXPECT_EQ(check(info_dib(40, 65535, 65535, 32, kBiRgb, 0, 64), &l), DibError::Pixels);
    EXPECT_EQ(check(info_dib(40, 65535, -65535, 32, kBiRgb, 0, 64), &l), DibError::Pixels);
}

TEST(DibCheck, RleBoundsComeFromTheData) {
    DibLayout l;
    // No size in the header: everything after the table.
    auto b = info_dib(40, 4, 4, 8, kBiRle8, 2, 8 + 10);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.pixelOffset, 48u);
    EXPECT_EQ(l.imageBytes, 10u);
    // A claimed size beyond the data is cut to the data; a smaller one is kept.
    b = info_dib(40, 4, 4, 8, kBiRle8, 2, 8 + 10, 5000);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.imageBytes, 10u);
    b = info_dib(40, 4, 4, 4, kBiRle4, 0, 64 + 10, 6);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.imageBytes, 6u);
    // No pixel bytes at all, top-down RLE, or a tiny block claiming a vast picture.
    EXPECT_EQ(check(info_dib(40, 4, 4, 8, kBiRle8, 2, 8), &l), DibError::Pixels);
    EXPECT_EQ(check(info_dib(40, 4, -4, 8, kBiRle8, 2, 20), &l), DibError::Format);
    EXPECT_EQ(check(info_dib(40, 65535, 65535, 8, kBiRle8, 1, 20), &l), DibError::TooLarge);
}

TEST(DibInfo, PrivateHeaderFillsRleSizeAndLeavesSourceAlone) {
    auto b = info_dib(40, 4, 4, 8, kBiRle8, 2, 8 + 10);
    const auto original = b;
    DibLayout l;
    ASSERT_EQ(check(b, &l), DibError::None);
    DibInfo info;
    dib_build_info(b.data(), l, &info);
    EXPECT_EQ(b, original);
    uint32_t sizeImage, size, colors;
    std::memcpy(&sizeImage, info.bytes + 20, 4);
    std::memcpy(&size, info.bytes, 4);
    std::memcpy(&colors, info.bytes + 32, 4);
    EXPECT_EQ(size, 40u);
    EXPECT_EQ(sizeImage, 10u);
    EXPECT_EQ(colors, 2u);
    EXPECT_EQ(info.length, 48u);
}

TEST(DibInfo, V5BitfieldsBecomeHeaderPlusMasks) {
    auto b = info_dib(124, 2, -2, 32, kBiBitfields, 0, 16);
    put32(b, 40, 0x00FF0000);
    put32(b, 44, 0x0000FF00);
    put32(b, 48, 0x000000FF);
    put32(b, 112, 3);  // a profile offset that must not travel with the header
    DibLayout l;
    ASSERT_EQ(check(b, &l), DibError::None);
    DibInfo info;
    dib_build_info(b.data(), l, &info);
    EXPECT_EQ(info.length, 52u);
    uint32_t masks[3];
    int32_t height;
    std::memcpy(masks, info.bytes + 40, 12);
    std::memcpy(&height, info.bytes + 8, 4);
    EXPECT_EQ(masks[0], 0x00FF0000u);
    EXPECT_EQ(masks[2], 0x000000FFu);
    EXPECT_EQ(height, -2);  // top-down stays top-down
}

TEST(DibInfo, HighColourTableIsDroppedAndLowColourTableCapped) {
    DibLayout l;
    DibInfo info;
    auto b = info_dib(40, 1, 1, 24, kBiRgb, 5, 20 + 4);
    ASSERT_EQ(check(b, &l), DibError::None);
    dib_build_info(b.data(), l, &info);
    EXPECT_EQ(info.length, 40u);
    // A 1-bit picture that counts 256 colours: the pixels come after all of
    // them, but the drawing call is handed only the two it can use.
    b = info_dib(40, 1, 1, 1, kBiRgb, 256, 1024 + 4);
    ASSERT_EQ(check(b, &l), DibError::None);
    EXPECT_EQ(l.pixelOffset, 40u + 1024u);
    dib_build_info(b.data(), l, &info);
    EXPECT_EQ(info.length, 48u);
}
