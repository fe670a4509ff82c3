// The data inspector in the real main window: shown beside the dump by its command, its values at the caret as the
// caret moves (by message and by key), dashes past the end, and the dump's pane given back when it is turned off.
#include "win_test.h"
#include "app/values_pane.h"
#include "app/resource_ids.h"
#include "base/win_raii.h"
#include "entries/entries.h"
#include "hexdump/uihexdump.h"
#include "values/values_view.h"
#include "splitter/splitter.h"

#include <commctrl.h>

namespace {

std::wstring cell(HWND list, int row) {
    wchar_t text[128] = L"";
    LVITEMW item{};
    item.iSubItem = 1, item.pszText = text, item.cchTextMax = 128;
    SendMessageW(list, LVM_GETITEMTEXTW, row, LPARAM(&item));
    return text;
}

HWND second_pane(HWND splitter) {
    HWND second = nullptr;
    SendMessageW(splitter, UISPM_GETPANES, 0, LPARAM(&second));
    return second;
}

}  // namespace

TEST(Inspector, ValuesAtTheCaretAsItMoves) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    const std::string bytes("\x00\x80\x3E\xD5\xDE\xB1\x9D\x01\x41\x00\xC3\xA9", 12);  // a FILETIME of 1970-01-01 first
    entry_append(&s->entries);
    DataEntry& e = s->entries.items[0];
    // The entry's bytes end before its block does: the values stop with them.
    e = {GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size() + 4), UINT(bytes.size()), CF_TEXT, 0, 0, 0, 0, 0};
    memcpy(GlobalLockGuard(e.data).get(), bytes.data(), bytes.size());
    main_activate_item_viewer(s, 0);
    EXPECT_FALSE(main_inspector_shown(s));  // off by default
    RECT before{}, after{}, dumpBefore{};
    GetWindowRect(f.window, &before), GetWindowRect(s->viewer.hexDump, &dumpBefore);
    f.command(IDM_DATA_INSPECTOR);
    ASSERT_TRUE(main_inspector_shown(s));
    HWND list = HWND(SendMessageW(s->inspector, UIINM_GETLIST, 0, 0));
    RECT dump{}, inspector{};
    GetWindowRect(s->viewer.hexDump, &dump), GetWindowRect(s->inspector, &inspector);
    EXPECT_TRUE(IsWindowVisible(s->viewer.hexDump) && second_pane(s->innerSplitter) == s->dumpSplitter && inspector.left > dump.right &&
                inspector.top == dump.top && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 23);
    EXPECT_EQ(dump.right - dump.left, dumpBefore.right - dumpBefore.left);  // the window grew: the dump keeps its width
    const std::wstring dash = L"\u2014";
    const struct { int caret; UINT key; std::vector<std::pair<int, std::wstring>> rows; } steps[] = {  // row, value
        {0, 0, {{0, L"0"}, {8, L"3577643008"}, {20, dash}}},
        {8, 0, {{22, L"U+0041 A"}, {8, L"2848129089"}, {10, dash}}},
        {10, 0, {{21, L"U+00E9 \u00E9 (2 bytes)"}, {3, L"-15447"}, {8, dash}}},
        {10, VK_RIGHT, {{1, L"169"}, {2, dash}}},  // the key moves the caret; the inspector follows
        {12, 0, {{0, dash}, {1, dash}, {21, dash}, {22, dash}}},
    };
    for (const auto& step : steps) {
        SendMessageW(s->viewer.hexDump, UIHDM_SETSEL, step.caret, step.caret);
        if (step.key) SendMessageW(s->viewer.hexDump, WM_KEYDOWN, step.key, 1);
        for (const auto& [row, want] : step.rows)
            EXPECT_EQ(cell(list, row), want) << step.caret << " row " << row;
        if (step.caret == 0) {
            EXPECT_NE(cell(list, 18).find(L"1970"), std::wstring::npos) << "FILETIME as a local date";
        }
    }
    main_activate_item_viewer(s, -1);  // no entry: nothing to read
    EXPECT_EQ(cell(list, 0) + cell(list, 22), dash + dash);
    f.command(IDM_DATA_INSPECTOR);
    GetWindowRect(f.window, &after);
    EXPECT_EQ(std::vector<long long>({!main_inspector_shown(s), second_pane(s->innerSplitter) == s->viewer.hexDump, IsWindowVisible(s->viewer.hexDump),
                                      after.right - after.left}), std::vector<long long>({1, 1, 1, before.right - before.left}));
}
