// The application shell on the real main window: start-up, focus, menus, commands, file dialogs, densities.
#include "win_test.h"

#include "app/commands.h"
#include "app/resource_ids.h"
#include "base/dpi.h"
#include "base/dpi_core.h"
#include "hexdump/uihexdump_internal.h"
#include "app/startup.h"
#include "app/status_bar.h"
#include "splitter/splitter.h"
#include "hexdump/uihexdump.h"

#include <commctrl.h>

namespace {

// Acts on the dialog that comes up once the focus is inside it (it is made and
// initialised before that), from a timer the dialog's own loop dispatches.
struct DialogDriver {
    static inline std::function<void(HWND)> act;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = GetAncestor(GetFocus(), GA_ROOT);
        wchar_t cls[8] = {};
        if (act && dialog && GetClassNameW(dialog, cls, 8) && !lstrcmpW(cls, L"#32770")) std::exchange(act, nullptr)(dialog);
    });
    explicit DialogDriver(std::function<void(HWND)> a) { act = std::move(a); }
    ~DialogDriver() { KillTimer(nullptr, timer); }
};

bool context_menu(const MainWindowFixture& f, HWND from, LPARAM at, const PopupMenuDriver::Action& act) {
    PopupMenuDriver driver(act);
    SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(from), at);
    return driver.opened();
}

// List columns and both bars as laid out for `dpi` from figures made for `from`.
void expect_scaled(const MainWindowState* s, const int (&columns)[6], int bar, int dpi, int from) {
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(SendMessageW(s->listView, LVM_GETCOLUMNWIDTH, i, 0), dpi_rescale(columns[i], dpi, from)) << i;
    for (HWND splitter : {s->viewer.outerSplitter, s->innerSplitter}) {
        RECT r{};
        SendMessageW(splitter, UISPM_GETBAR, 0, reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(r.bottom - r.top, dpi_rescale(bar, dpi, from));
    }
}

}  // namespace

// The second prefix runs this at 144 DPI (CLIPNOOK_EXPECT_DPI), the others at 96.
TEST(HighDpi, FiguresDumpCellsAndTheGotoDialogFollowTheDensityAndItsChanges) {
    HWND made = main_create_window(g_instance);  // already as large as the sizing makes it
    RECT first;
    GetClientRect(made, &first);
    DestroyWindow(made);
    for (MSG quit; PeekMessageW(&quit, nullptr, 0, 0, PM_REMOVE);) {}
    MainWindowFixture f;
    MainWindowState* s = f.state();
    const int dpi = dpi_of_window(f.window);
    if (const char* want = std::getenv("CLIPNOOK_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(want));
    }
    RECT r, suggested{10, 20, 910, 1000};
    GetClientRect(f.window, &r);
    EXPECT_EQ(r.bottom, dpi_scale(486, dpi));
    EXPECT_TRUE(first.right == SendMessageW(s->viewer.hexDump, UIHDM_GETIDEALWIDTH, 0, 0) && first.bottom == r.bottom)
        << first.right << "x" << first.bottom;
    const int columns[6] = {148, 36, 80, 48, 118, 70};
    expect_scaled(s, columns, 3, dpi, 96);
    auto cell_at = [&](int at) {
        SendMessageW(s->viewer.hexDump, UIHDM_REBUILDFONTS, static_cast<WPARAM>(at), 0);
        return uihexdump_state(s->viewer.hexDump)->cellHeight;
    };
    const int cell = uihexdump_state(s->viewer.hexDump)->cellHeight, cell96 = cell_at(96);
    EXPECT_TRUE(std::abs(cell * 96 - cell96 * dpi) <= dpi && cell_at(0) == cell) << cell << " vs " << cell96;
    // The Goto dialog's font is 8 points at this density and each label fits its text in it.
    int labels = 0;
    DialogDriver driver([&](HWND dialog) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        GetObjectW(font, sizeof lf, &lf);
        EXPECT_EQ(lf.lfHeight, -MulDiv(8, dpi, 72));
        HDC dc = GetDC(dialog);
        HGDIOBJ old = SelectObject(dc, font);
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t cls[8] = {};
            const std::wstring text = window_text(c);
            if (text.empty() || !GetClassNameW(c, cls, 8) || lstrcmpiW(cls, L"Static")) continue;
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            GetClientRect(c, &r);
            ++labels;
            EXPECT_TRUE(r.right >= extent.cx && r.bottom >= extent.cy) << labels;
        }
        SelectObject(dc, old);
        ReleaseDC(dialog, dc);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    f.command(IDM_GOTO);
    EXPECT_GE(labels, 2);
    // Moved to a screen of twice the density and back: the suggested rectangle, then all rescaled.
    int at[6];
    for (int i = 0; i < 6; ++i) at[i] = dpi_scale(columns[i], dpi);
    SendMessageW(f.window, WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2), reinterpret_cast<LPARAM>(&suggested));
    GetWindowRect(f.window, &r);
    EXPECT_TRUE(EqualRect(&r, &suggested));
    expect_scaled(s, at, dpi_scale(3, dpi), dpi * 2, dpi);
    EXPECT_GE(uihexdump_state(s->viewer.hexDump)->cellHeight, cell * 2 - 1);
    SendMessageW(f.window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    expect_scaled(s, at, dpi_scale(3, dpi), dpi, dpi);
    EXPECT_EQ(uihexdump_state(s->viewer.hexDump)->cellHeight, cell);
}

TEST(Startup, HardensTheDllSearchFirstAndEndsNonZeroWhenTheClassFails) {
    HMODULE beside = LoadLibraryExW(L"planted_dll.dll", nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
    ASSERT_TRUE(beside);  // there for whoever looks in this folder
    FreeLibrary(beside);
    EXPECT_NE(main_run(g_instance, SW_SHOWNORMAL), 0);  // the test entry point registered the class already
    EXPECT_EQ(LoadLibraryW(L"planted_dll.dll"), nullptr);
}

TEST(MainWindow, SizedToTheDumpTabMovesThroughShownChildrenFocusComesBackOnlyToAShownOne) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    RECT r;
    GetClientRect(f.window, &r);
    EXPECT_TRUE(r.right == SendMessageW(s->viewer.hexDump, UIHDM_GETIDEALWIDTH, 0, 0) && r.bottom == 486);
    EXPECT_EQ(GetFocus(), s->listView);
    ShowWindow(s->viewer.ansiEdit, SW_SHOW);  // a shown viewer comes first, and Tab leaves it again
    for (HWND next : {s->viewer.hexDump, s->viewer.ansiEdit, s->listView}) {
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(IsDialogMessageW(f.window, &tab) && GetFocus() == next);
    }
    const struct { HWND child; bool minimise, hide; HWND back; } cases[] = {
        {s->viewer.hexDump, false, false, s->viewer.hexDump}, {s->viewer.hexDump, true, false, s->viewer.hexDump},
        {s->viewer.ansiEdit, false, true, s->listView},  // a viewer swapped out while the window was inactive
    };
    for (const auto& c : cases) {
        SetFocus(c.child);
        SendMessageW(f.window, c.minimise ? WM_SYSCOMMAND : WM_ACTIVATE, c.minimise ? SC_MINIMIZE | 3 : WA_INACTIVE, 0);
        ShowWindow(c.minimise ? f.window : c.child, c.minimise ? SW_RESTORE : c.hide ? SW_HIDE : SW_SHOW);
        SetFocus(c.back == s->listView ? s->viewer.hexDump : s->listView);
        SendMessageW(f.window, c.minimise ? WM_SETFOCUS : WM_ACTIVATE, WA_ACTIVE, 0);
        EXPECT_EQ(GetFocus(), c.back);
    }
}

TEST(Commands, MenusAndTheFamiliesFollowTheFocusAndTheSelectionOtherIdsAreLogged) {
    MainWindowFixture f;
    f.command(IDM_ADD_ASCII_TABLE);  // 256 bytes in the dump
    HWND dump = f.state()->viewer.hexDump, list = f.state()->listView;
    HMENU edit = GetSubMenu(GetMenu(f.window), 1);
    for (int id = IDM_CUT; id <= IDM_EXPORT_AS_VBNET_ARRAY; ++id) EnableMenuItem(edit, id, id == IDM_GOTO ? MF_GRAYED : 0);
    const struct { HWND focus; int anchor, caret; bool copy, all; } cases[] = {
        {list, 3, 9, false, false}, {dump, 12, 4, true, true}, {dump, 7, 7, false, true}, {list, 0, 4, false, false}};
    for (const auto& c : cases) {
        SendMessageW(dump, UIHDM_SETSEL, c.anchor, c.caret);
        SetFocus(c.focus);
        SendMessageW(f.window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
        for (int id : {IDM_COPY, IDM_COPY_AS_DUMP, IDM_EXPORT, IDM_EXPORT_AS_VBNET_ARRAY, IDM_SELECT_ALL})
            EXPECT_EQ(menu_item_grayed(edit, id), id == IDM_SELECT_ALL ? !c.all : !c.copy) << id << " " << c.caret;
        EXPECT_TRUE(menu_item_grayed(edit, IDM_CUT) && menu_item_grayed(edit, IDM_PASTE) && !menu_item_grayed(edit, IDM_GOTO));
    }
    f.command(IDM_EMPTY_CLIPBOARD);
    StdoutCapture out;
    {
        ModalWatcher none;  // with the list focused no save dialog comes; Goto's is cancelled
        for (int id : {IDM_COPY_AS_DUMP, IDM_COPY_AS_VBNET_ARRAY, IDM_EXPORT, IDM_EXPORT_AS_VBNET_ARRAY, 2012, 1000})
            f.command(id);
        SendMessageW(f.window, WM_COMMAND, MAKEWPARAM(2037, 1), 0);  // an accelerator's code
        EXPECT_TRUE(!IsClipboardFormatAvailable(CF_TEXT) && none.seen().empty());
        EXPECT_EQ(SendMessageW(f.window, WM_COMMAND, IDM_GOTO, 0), 1);  // answered; the rest get default processing
    }
    ASSERT_TRUE(pump_until([&] { return IsChild(f.window, GetFocus()); }));  // active again: a menu would close
    std::string unhandled;  // the families are handled, silently
    for (const std::string& r : out.records()) unhandled += r.find("not handled") != r.npos ? r.substr(18) + "|" : "";
    EXPECT_EQ(unhandled, "WM_COMMAND 2012 not handled (0).|WM_COMMAND 1000 not handled (0).|"
                         "WM_COMMAND 2037 not handled (1).|");
    SetFocus(dump);
    f.command(IDM_COPY_AS_DUMP);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    f.command(IDM_EMPTY_CLIPBOARD);
    EXPECT_EQ(CountClipboardFormats(), 0);
    // The dump's own menu: at its centre for the menu key, enabled by its selection, for the dump only.
    RECT client;
    GetClientRect(dump, &client);
    POINT centre{client.right / 2, client.bottom / 2};
    ClientToScreen(dump, &centre);
    for (const auto& [from, caret] : {std::pair{f.state()->listView, 6}, {dump, 6}, {dump, 2}}) {
        SendMessageW(dump, UIHDM_SETSEL, 2, caret);
        EXPECT_EQ(context_menu(f, from, MAKELPARAM(-1, -1), [&](HWND w, HMENU m) {
            RECT at;
            GetWindowRect(w, &at);
            EXPECT_TRUE(at.left == centre.x && at.top == centre.y && GetMenuItemCount(m) == 4);
            EXPECT_TRUE(GetMenuItemCount(GetSubMenu(m, 1)) == 8 && GetMenuItemCount(GetSubMenu(m, 3)) == 8);
            for (int id : {IDM_COPY, IDM_EXPORT, IDM_COPY_AS_DUMP, IDM_EXPORT_AS_VBNET_ARRAY})
                EXPECT_EQ(menu_item_grayed(m, id), caret == 2) << id;
            EndMenu();
        }), from == dump);
    }
}

TEST(Commands, FileDialogsKeepTheCurrentDirectoryAndABitmapFileGetsTheFitMenu) {
    MainWindowFixture f;
    auto rows = [&] { return SendMessageW(f.state()->listView, LVM_GETITEMCOUNT, 0, 0); };
    wchar_t dir[MAX_PATH], file[MAX_PATH], before[MAX_PATH], after[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"bmp", 0, file);  // elsewhere than the current directory
    FILE* bmp = _wfopen(file, L"wb");  // the two bytes that make a bitmap file
    std::fputs("BM", bmp);
    std::fclose(bmp);
    GetCurrentDirectoryW(MAX_PATH, before);
    {
        DialogDriver choose([&](HWND d) {
            SetWindowTextW(GetFocus(), file);  // the file name box
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        });
        f.command(IDM_ADD_FILE);
    }
    DeleteFileW(file);
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_TRUE(!lstrcmpW(after, before) && rows() == 1);  // the browsed folder does not become the program's
    {
        ModalWatcher cancel;
        f.command(IDM_OPEN_FILE);
        EXPECT_TRUE(cancel.seen().size() == 1u && rows() == 1);  // cancelled: the list stays
    }
    ASSERT_TRUE(pump_until([&] { return IsChild(f.window, GetFocus()); }));  // active again: a menu would close
    // The viewer pane menu marks the fit mode and chooses another (TPM_RETURNCMD: nothing posted).
    HWND pane = f.state()->viewer.viewerPane;
    RECT r;
    GetWindowRect(pane, &r);
    SetCursorPos(0, 0);  // a pointer under the opening menu would choose an item too
    for (int downs : {3, 1}) {
        const int was = f.state()->viewer.fitMode;
        EXPECT_TRUE(context_menu(f, pane, MAKELPARAM(r.left + 9, r.top + 9), [&](HWND w, HMENU m) {
            EXPECT_TRUE(GetMenuState(m, 1000 + was, MF_BYCOMMAND) & MF_CHECKED);
            for (int i = 0; i < downs; ++i) PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(w, WM_KEYDOWN, VK_RETURN, 0);
        }));
        EXPECT_EQ(f.state()->viewer.fitMode, downs - 1);
    }
}

// Extras > Status bar takes its room from the panes and says where the rows came from;
// File > Watch the clipboard listens and says so. Both are check marks, off at start.
TEST(Commands, TheStatusBarAndWatchingAreCheckedToggles) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    HMENU menu = GetMenu(f.window);
    auto checked = [&](UINT id) {
        SendMessageW(f.window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    auto panes_bottom = [&] {
        RECT area{};
        SendMessageW(s->viewer.outerSplitter, UISPM_GETAREA, 0, reinterpret_cast<LPARAM>(&area));
        return area.bottom;
    };
    RECT client;
    GetClientRect(f.window, &client);
    EXPECT_FALSE(checked(IDM_STATUS_BAR) || checked(IDM_WATCH_CLIPBOARD));
    StdoutCapture log;
    f.command(IDM_ADD_ASCII_TABLE);
    f.command(IDM_STATUS_BAR);
    ASSERT_TRUE(s->statusBar && IsWindowVisible(s->statusBar) && checked(IDM_STATUS_BAR));
    RECT bar;
    GetWindowRect(s->statusBar, &bar);
    EXPECT_EQ(panes_bottom(), client.bottom - (bar.bottom - bar.top));
    main_status_capture(s, L"files", 0);
    wchar_t part[64] = {};
    for (auto [index, text] : {std::pair{0, L"files"}, {1, L"1 formats"}, {2, L"256 bytes"}, {4, L"offset 0, length 0"}}) {
        SendMessageW(s->statusBar, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(part));
        EXPECT_STREQ(part, text);
    }
    f.command(IDM_STATUS_BAR);
    EXPECT_TRUE(!IsWindowVisible(s->statusBar) && panes_bottom() == client.bottom && !checked(IDM_STATUS_BAR));
    main_status_capture(s, L"files", 7);  // with the bar off the facts go to the log
    EXPECT_TRUE(log.has('I', "Capture: 1 formats, 256 bytes, 7 ms, source files"));
    f.command(IDM_WATCH_CLIPBOARD);
    EXPECT_TRUE(checked(IDM_WATCH_CLIPBOARD) && log.has('I', "Watch the clipboard: on"));
    f.command(IDM_WATCH_CLIPBOARD);
    EXPECT_TRUE(!checked(IDM_WATCH_CLIPBOARD) && log.has('I', "Watch the clipboard: off"));
}
