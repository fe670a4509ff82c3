// Default extensions of the export save dialog's filter lists.
#include "export/filter_core.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::wstring ext(const wchar_t* filters, int index) {
    wchar_t out[16] = L"garbage";
    bool found = filter_default_extension(filters, index, out, 16);
    EXPECT_EQ(found, out[0] != 0);
    return out;
}
const wchar_t kRaw[] = L"Binary (*.bin)\0*.bin\0All (*.*)\0*.*\0";
}  // namespace

TEST(ExportFilters, ExtensionOfTheSelectedType) {
    EXPECT_EQ(filter_pair_count(kRaw), 2);
    EXPECT_EQ(ext(kRaw, 0), L"bin");  // 0 and 1 both mean the first pair
    EXPECT_EQ(ext(kRaw, 1), L"bin");
    EXPECT_EQ(ext(kRaw, 2), L"");     // "All (*.*)": none
    EXPECT_EQ(ext(kRaw, 3), L"");     // past the list: none
    EXPECT_EQ(ext(L"Java Array (*.java)\0*.java\0", 1), L"java");
    EXPECT_EQ(ext(L"VB.NET Array(*.vb)\0*.vb\0", 1), L"vb");  // the description's dot is not the pattern's
    // The text after the last dot counts; patterns without one give nothing.
    EXPECT_EQ(ext(L"Archive\0*.tar.gz\0", 1), L"gz");
    EXPECT_EQ(ext(L"Any\0*\0", 1), L"");
    EXPECT_EQ(ext(L"Dot\0name.\0", 1), L"");
}

TEST(ExportFilters, MalformedListsAndSmallBuffers) {
    EXPECT_EQ(filter_pair_count(nullptr), 0);
    EXPECT_EQ(filter_pair_count(L"\0"), 0);
    EXPECT_EQ(filter_pair_count(L"No pattern\0\0"), 0);  // a description alone is no pair
    EXPECT_EQ(ext(nullptr, 1), L"");
    EXPECT_EQ(ext(L"No pattern\0\0", 1), L"");
    wchar_t small[3] = L"xx";
    EXPECT_FALSE(filter_default_extension(L"J\0*.java\0", 1, small, 3));  // "java" does not fit
    EXPECT_EQ(small[0], 0);
    EXPECT_FALSE(filter_default_extension(kRaw, 1, small, 0));
}
