// Format names, FORMATETC texts, grouped sizes and the checks on loaded bytes.
#include "entries/entries_core.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <string>

namespace {
template <class F, class V>
std::wstring text_of(F f, V value) {
    wchar_t buf[kEntryTextCapacity];
    std::fill(buf, buf + kEntryTextCapacity, L'#');
    f(value, buf);
    return buf;
}
std::wstring grouped(unsigned v) {
    wchar_t buf[kGroupedTextCapacity + 4];
    std::fill(buf, buf + kGroupedTextCapacity + 4, L'#');
    size_to_grouped_text(v, buf);
    EXPECT_EQ(buf[kGroupedTextCapacity], L'#') << "wrote past the documented capacity for " << v;
    return buf;
}
}  // namespace

TEST(FormatName, EveryPredefinedNameAndItsNeighbours) {
    const struct { unsigned id; const wchar_t* name; } table[] = {
        {1, L"CF_TEXT"},          {2, L"CF_BITMAP"},         {3, L"CF_METAFILEPICT"},   {4, L"CF_SYLK"},
        {5, L"CF_DIF"},           {6, L"CF_TIFF"},           {7, L"CF_OEMTEXT"},        {8, L"CF_DIB"},
        {9, L"CF_PALETTE"},       {10, L"CF_PENDATA"},       {11, L"CF_RIFF"},          {12, L"CF_WAVE"},
        {13, L"CF_UNICODETEXT"},  {14, L"CF_ENHMETAFILE"},   {15, L"CF_HDROP"},         {16, L"CF_LOCALE"},
        {17, L"CF_DIBV5"},        {128, L"CF_OWNERDISPLAY"}, {129, L"CF_DSPTEXT"},      {130, L"CF_DSPBITMAP"},
        {131, L"CF_DSPMETAFILEPICT"}, {142, L"CF_DSPENHMETAFILE"},
    };
    for (const auto& f : table) EXPECT_EQ(text_of(default_format_name, f.id), f.name) << f.id;
    int named = 0;
    for (unsigned id = 0; id < 0x10000; ++id) {
        if (predefined_format_name(id)) { ++named; continue; }
        ASSERT_EQ(text_of(default_format_name, id), L"CF_" + std::to_wstring(id));
    }
    EXPECT_EQ(named, 22);
    EXPECT_EQ(text_of(default_format_name, 0u), L"CF_0");
    EXPECT_EQ(text_of(default_format_name, 18u), L"CF_18");
    EXPECT_EQ(text_of(default_format_name, 143u), L"CF_143");
    EXPECT_EQ(text_of(default_format_name, 0xFFFFFFFFu), L"CF_4294967295");
}

TEST(FormatEtcTexts, AspectsIndexAndTargetDevice) {
    EXPECT_EQ(text_of(aspect_text, 1u), L"CONTENT");
    EXPECT_EQ(text_of(aspect_text, 2u), L"THUMBNAIL");
    EXPECT_EQ(text_of(aspect_text, 4u), L"ICON");
    EXPECT_EQ(text_of(aspect_text, 8u), L"DOCPRINT");
    EXPECT_EQ(text_of(aspect_text, 3u), L"3");
    EXPECT_EQ(text_of(aspect_text, 0u), L"0");
    EXPECT_EQ(text_of(aspect_text, 0xFFFFFFFFu), L"-1");  // signed, as the other fields

    EXPECT_EQ(text_of(index_text, -1), L"-1");
    EXPECT_EQ(text_of(index_text, 0), L"0");
    EXPECT_EQ(text_of(index_text, INT32_MIN), L"-2147483648");

    EXPECT_EQ(text_of(target_device_text, std::uintptr_t{0}), L"All");
    EXPECT_EQ(text_of(target_device_text, std::uintptr_t{0x12AB0}), L"$12AB0");
    EXPECT_EQ(text_of(target_device_text, UINTPTR_MAX), sizeof(void*) == 8 ? L"$FFFFFFFFFFFFFFFF" : L"$FFFFFFFF");
}

TEST(FormatEtcTexts, MediaMasks) {
    EXPECT_EQ(text_of(media_text, 0u), L"");
    EXPECT_EQ(text_of(media_text, 1u), L"HGLOBAL");
    EXPECT_EQ(text_of(media_text, 5u), L"HGLOBAL+ISTREAM");
    EXPECT_EQ(text_of(media_text, 129u), L"HGLOBAL+?");
    EXPECT_EQ(text_of(media_text, 384u), L"?");
    EXPECT_EQ(text_of(media_text, 4u), L"ISTREAM");
    EXPECT_EQ(text_of(media_text, 0x7Fu), L"HGLOBAL+FILE+ISTREAM+ISTORAGE+GDI+MFPICT+ENHMF");
    EXPECT_EQ(text_of(media_text, 0xFFFFFFFFu), L"HGLOBAL+FILE+ISTREAM+ISTORAGE+GDI+MFPICT+ENHMF+?");
    EXPECT_EQ(text_of(media_text, 0x80000000u), L"?");
}

TEST(GroupedSize, GroupsOfThreeFromTheRight) {
    EXPECT_EQ(grouped(0), L"0");
    EXPECT_EQ(grouped(7), L"7");
    EXPECT_EQ(grouped(999), L"999");
    EXPECT_EQ(grouped(1000), L"1'000");
    EXPECT_EQ(grouped(1024), L"1'024");
    EXPECT_EQ(grouped(100001), L"100'001");
    EXPECT_EQ(grouped(1000000), L"1'000'000");
    EXPECT_EQ(grouped(1234567), L"1'234'567");
    EXPECT_EQ(grouped(4294967295u), L"4'294'967'295");
}

TEST(LoadedBytes, BitmapFileIsDecidedByTheFirstTwoBytes) {
    const unsigned char bm[] = {0x42, 0x4D, 0, 0};
    const unsigned char mb[] = {0x4D, 0x42};
    EXPECT_TRUE(starts_like_bitmap_file(bm, 2));
    EXPECT_TRUE(starts_like_bitmap_file(bm, 4));
    EXPECT_FALSE(starts_like_bitmap_file(bm, 1));  // one byte is not enough
    EXPECT_FALSE(starts_like_bitmap_file(bm, 0));
    EXPECT_FALSE(starts_like_bitmap_file(mb, 2));
    EXPECT_FALSE(starts_like_bitmap_file(nullptr, 2));
}

TEST(LoadedBytes, FileLengthsOfTwoGiBAndMoreAreRefused) {
    EXPECT_TRUE(file_length_loadable(0));
    EXPECT_TRUE(file_length_loadable(1));
    EXPECT_TRUE(file_length_loadable(0x7FFFFFFF));
    EXPECT_FALSE(file_length_loadable(0x80000000LL));
    EXPECT_FALSE(file_length_loadable(0x100000000LL));  // would wrap to 0 in 32 bits
    EXPECT_FALSE(file_length_loadable(-1));
}

TEST(LoadedBytes, AtMostOneRowPerPossibleFormatId) { EXPECT_EQ(kMaxEnumeratedFormats, 0x10000); }

TEST(LoadedBytes, SaveLengthNeverReadsPastTheBlock) {
    EXPECT_EQ(save_length(-1, 300), 300);
    EXPECT_EQ(save_length(INT32_MIN, 300), 300);
    EXPECT_EQ(save_length(0, 300), 0);
    EXPECT_EQ(save_length(300, 300), 300);
    EXPECT_EQ(save_length(301, 300), -1);
    EXPECT_EQ(save_length(10, 0), -1);
}
