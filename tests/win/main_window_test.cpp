// The main window's children, their order and ids, focus keeping and destruction.
#include "win_test_util.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <vector>

TEST(MainWindow, ChildrenInCreationOrderWithClassesAndIds) {
    MainWindowFixture f;
    ASSERT_TRUE(f.window);
    std::vector<HWND> kids;
    for (HWND c = GetWindow(f.window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) kids.push_back(c);
    // Z order lists the last created first at the top? No: children are added at
    // the bottom of the Z order, so GW_CHILD/GW_HWNDNEXT walk in creation order.
    ASSERT_EQ(kids.size(), 7u);
    const struct { const wchar_t* cls; int id; } expect[] = {
        {L"UISplitter", 1236}, {L"UISplitter", 1239}, {L"Static", 1357}, {L"Edit", 4567},
        {L"Edit", 4568},       {L"SysListView32", 1234}, {L"UIHexDump", 1235},
    };
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(window_class(kids[i]), expect[i].cls) << i;
        EXPECT_EQ(GetDlgCtrlID(kids[i]), expect[i].id) << i;
    }
    MainWindowState* s = f.state();
    EXPECT_FALSE(IsWindowUnicode(s->viewer.ansiEdit));
    EXPECT_TRUE(IsWindowUnicode(s->viewer.wideEdit));
    EXPECT_FALSE(IsWindowVisible(s->viewer.ansiEdit));
    EXPECT_FALSE(IsWindowVisible(s->viewer.wideEdit));
    EXPECT_EQ(s->entries.active, -1);
    EXPECT_EQ(s->viewer.fitMode, 1);
    EXPECT_EQ(s->viewer.centerBitmap, 1);
    EXPECT_EQ(GlobalSize(s->viewer.localeText), 256u);
}

TEST(MainWindow, ListViewHasSixColumnsAndExtendedStyles) {
    MainWindowFixture f;
    HWND lv = f.state()->listView;
    EXPECT_EQ(SendMessageW(lv, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x14032, 0x14032);
    const struct { const wchar_t* title; int width; int fmt; } cols[] = {
        {L"Data Format Name", 148, LVCFMT_LEFT}, {L"TD", 36, LVCFMT_LEFT}, {L"Data Aspect", 80, LVCFMT_LEFT},
        {L"Index", 48, LVCFMT_RIGHT}, {L"Media Types", 118, LVCFMT_LEFT}, {L"HG. Size", 70, LVCFMT_RIGHT},
    };
    HWND header = reinterpret_cast<HWND>(SendMessageW(lv, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 6);
    for (int i = 0; i < 6; ++i) {
        wchar_t text[64] = {};
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        c.pszText = text;
        c.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(lv, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&c)));
        EXPECT_STREQ(text, cols[i].title);
        EXPECT_EQ(c.cx, cols[i].width);
        EXPECT_EQ(c.fmt & LVCFMT_JUSTIFYMASK, cols[i].fmt);
    }
}

TEST(MainWindow, ClientAreaIsIdealWidthBy486) {
    MainWindowFixture f;
    RECT r;
    GetClientRect(f.window, &r);
    int ideal = static_cast<int>(SendMessageW(f.state()->viewer.hexDump, UIHDM_GETIDEALWIDTH, 0, 0));
    EXPECT_EQ(r.right, ideal);
    EXPECT_EQ(r.bottom, 486);
}

TEST(MainWindow, ListViewHasFocusAndTabCyclesToHexDump) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    pump_for(50, f.window);
    EXPECT_EQ(GetFocus(), s->listView);
    EXPECT_EQ(GetNextDlgTabItem(f.window, s->listView, FALSE), s->viewer.hexDump);
    EXPECT_EQ(GetNextDlgTabItem(f.window, s->viewer.hexDump, FALSE), s->listView);
    // A shown edit comes first in the Tab order.
    ShowWindow(s->viewer.ansiEdit, SW_SHOW);
    EXPECT_EQ(GetNextDlgTabItem(f.window, nullptr, FALSE), s->viewer.ansiEdit);
    EXPECT_EQ(GetNextDlgTabItem(f.window, s->viewer.ansiEdit, FALSE), s->listView);
}

TEST(MainWindow, EditsDoNotSwallowDialogKeys) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    LRESULT a = SendMessageA(s->viewer.ansiEdit, WM_GETDLGCODE, 0, 0);
    LRESULT w = SendMessageW(s->viewer.wideEdit, WM_GETDLGCODE, 0, 0);
    EXPECT_EQ(a & DLGC_WANTALLKEYS, 0);
    EXPECT_EQ(w & DLGC_WANTALLKEYS, 0);
    EXPECT_NE(w & DLGC_HASSETSEL, 0);  // the rest of the edit's answer is kept
}

TEST(MainWindow, FocusReturnsAfterDeactivation) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    SetFocus(s->viewer.hexDump);
    SendMessageW(f.window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(s->focusWindow, s->viewer.hexDump);
    SetFocus(s->listView);
    SendMessageW(f.window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), s->viewer.hexDump);
}

TEST(MainWindow, MinimiseRemembersFocus) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    SetFocus(s->viewer.hexDump);
    SendMessageW(f.window, WM_SYSCOMMAND, SC_MINIMIZE | 0x3, 0);
    EXPECT_EQ(s->focusWindow, s->viewer.hexDump);
    ShowWindow(f.window, SW_RESTORE);
    SetFocus(s->listView);
    SendMessageW(f.window, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(GetFocus(), s->viewer.hexDump);
}

TEST(MainWindow, IsHexDumpWindowByClassName) {
    MainWindowFixture f;
    EXPECT_TRUE(is_hexdump_window(f.state()->viewer.hexDump));
    EXPECT_FALSE(is_hexdump_window(f.state()->listView));
    EXPECT_FALSE(is_hexdump_window(nullptr));
}

TEST(MainWindow, DestroyPostsQuitWithZero) {
    HWND w = main_create_window(g_instance);
    ASSERT_TRUE(w);
    DestroyWindow(w);
    MSG msg{};
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT) { quit = true; break; }
    EXPECT_TRUE(quit);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(GetWindowLongPtrW(w, 0), 0);  // window gone; no state left behind
}
