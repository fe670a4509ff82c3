// Format names, FORMATETC texts, grouped sizes and the checks on loaded bytes.
#include "entries/entries_core.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <string>

namespace {
// The text f writes for value into a buffer of `capacity`, checked not to run past it.
template <std::size_t capacity = kEntryTextCapacity, class F, class V> std::wstring text_of(F f, V value) {
    wchar_t buf[capacity + 1];
    std::fill(buf, buf + capacity + 1, L'#');
    f(value, buf);
    EXPECT_EQ(buf[capacity], L'#') << "wrote past the capacity for " << value;
    return buf;
}
}  // namespace

TEST(EntryTexts, FormatNamesAndFormatEtcFields) {
    // The predefined ranges end at 17 and at 142; every other id has a number.
    const struct { std::uint32_t id; const wchar_t* name; } names[] = {
        {0, L"CF_0"}, {1, L"CF_TEXT"}, {17, L"CF_DIBV5"}, {18, L"CF_18"}, {127, L"CF_127"}, {128, L"CF_OWNERDISPLAY"},
        {142, L"CF_DSPENHMETAFILE"}, {143, L"CF_143"}, {0xC000, L"CF_49152"}, {0xFFFFFFFF, L"CF_4294967295"}};
    for (const auto& n : names) EXPECT_EQ(text_of(default_format_name, n.id), n.name);
    const struct { std::uint32_t value; const wchar_t *aspect, *media; } fields[] = {
        {0, L"0", L""}, {1, L"CONTENT", L"HGLOBAL"}, {2, L"THUMBNAIL", L"FILE"}, {3, L"3", L"HGLOBAL+FILE"},
        {4, L"ICON", L"ISTREAM"}, {8, L"DOCPRINT", L"ISTORAGE"}, {0x81, L"129", L"HGLOBAL+?"}, {0x180, L"384", L"?"},
        {0xFFFFFFFF, L"-1", L"HGLOBAL+FILE+ISTREAM+ISTORAGE+GDI+MFPICT+ENHMF+?"}};
    for (const auto& f : fields) {
        EXPECT_EQ(text_of(aspect_text, f.value), f.aspect);
        EXPECT_EQ(text_of(media_text, f.value), f.media);
    }
    EXPECT_EQ(text_of(index_text, -1), L"-1");
    EXPECT_EQ(text_of(index_text, INT32_MIN), L"-2147483648");
    EXPECT_EQ(text_of(target_device_text, std::uintptr_t{0}), L"All");
    EXPECT_EQ(text_of(target_device_text, std::uintptr_t{0x12AB0}), L"$12AB0");
    EXPECT_EQ(text_of(target_device_text, UINTPTR_MAX), sizeof(void*) == 8 ? L"$FFFFFFFFFFFFFFFF" : L"$FFFFFFFF");
}

TEST(EntryTexts, SizesAreGroupedInThreesFromTheRight) {
    const struct { unsigned value; const wchar_t* text; } sizes[] = {
        {0, L"0"}, {999, L"999"}, {1000, L"1'000"}, {100001, L"100'001"}, {1234567, L"1'234'567"},
        {4294967295u, L"4'294'967'295"}};
    for (const auto& s : sizes) EXPECT_EQ(text_of<kGroupedTextCapacity>(size_to_grouped_text, s.value), s.text);
}

TEST(LoadedBytes, BitmapFilesLengthsThatFitAndSavesThatStayInTheBlock) {
    const struct { const char* bytes; std::size_t size; bool bitmap; } files[] = {
        {"BM", 2, true}, {"BMxy", 4, true}, {"BM", 1, false}, {"Bx", 2, false}, {"xM", 2, false}, {nullptr, 2, false}};
    for (const auto& f : files) EXPECT_EQ(starts_like_bitmap_file(f.bytes, f.size), f.bitmap) << f.size;
    for (std::int64_t length : {0LL, 0x7FFFFFFFLL}) EXPECT_TRUE(file_length_loadable(length)) << length;
    for (std::int64_t length : {-1LL, 0x80000000LL, 0x100000000LL}) EXPECT_FALSE(file_length_loadable(length));
    const struct { std::int32_t requested; std::uint64_t size; std::int64_t written; } saves[] = {
        {-1, 300, 300}, {INT32_MIN, 300, 300}, {0, 300, 0}, {300, 300, 300}, {301, 300, -1}, {10, 0, -1}};
    for (const auto& s : saves) EXPECT_EQ(save_length(s.requested, s.size), s.written) << s.requested << "|" << s.size;
}
