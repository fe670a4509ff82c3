// Commands, menu enabling and the run-time context menus of the main window,
// on the real window, its real menus and the real clipboard.
#include "win_test_util.h"
#include "modal_util.h"

#include "app/commands.h"
#include "app/commands_core.h"
#include "entries/entries.h"
#include "entries/entry_table.h"
#include "shell/shell.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Stands in for the hex dump's selection: answers UIHDM_GETSEL from what the
// test set and records every UIHDM_SETSEL, passing everything else on, so the
// commands are checked apart from the control's own selection rules.
struct SelectionProbe {
    static inline WNDPROC previous = nullptr;
    static inline int anchor = 0;
    static inline int caret = 0;
    static inline std::vector<std::pair<LPARAM, LPARAM>> setsel;
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == UIHDM_GETSEL) {
            if (wp) *reinterpret_cast<int*>(wp) = anchor;
            if (lp) *reinterpret_cast<int*>(lp) = caret;
            return 1;
        }
        if (m == UIHDM_SETSEL) {
            setsel.emplace_back(static_cast<LPARAM>(wp), lp);
            return 1;
        }
        return CallWindowProcW(previous, w, m, wp, lp);
    }
    explicit SelectionProbe(HWND hexDump, int a = 0, int c = 0) : window(hexDump) {
        anchor = a;
        caret = c;
        setsel.clear();
        previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hexDump, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SelectionProbe::proc)));
    }
    ~SelectionProbe() {
        if (IsWindow(window)) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    HWND window;
};

LRESULT command(HWND window, int id, int code = 0) {
    return SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), 0);
}

HMENU edit_popup(HWND window) { return GetSubMenu(GetMenu(window), 1); }
HMENU extras_popup(HWND window) { return GetSubMenu(GetMenu(window), 2); }

void open_popup(HWND window, HMENU popup, int index) {
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(index, FALSE));
}

void focus(HWND child) {
    SetFocus(child);
    pump_messages();
}

const int kSelectionDependent[] = {2006, 2021, 2022, 2023, 2024, 2025, 2026, 2027,
                                   2028, 2029, 2030, 2031, 2032, 2033, 2034, 2035};

std::string clipboard_text(HWND owner) {
    std::string text;
    if (!OpenClipboard(owner)) return "<not opened>";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

void put_clipboard_text(HWND owner, const char* text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    size_t n = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n);
    std::memcpy(GlobalLock(block), text, n);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

struct DibEntry {
    DataEntry entry{};
    MainWindowState* state;
    // Makes the viewer pane show an entry of the given format without going
    // through capture; the table is handed back empty before the window closes.
    DibEntry(MainWindowState* s, INT format) : state(s) {
        entry.format = format;
        state->entries.items = &entry;
        state->entries.count = 1;
        state->entries.capacity = 1;
        state->entries.active = 0;
    }
    ~DibEntry() {
        state->entries.items = nullptr;
        state->entries.count = 0;
        state->entries.capacity = 0;
        state->entries.active = -1;
    }
};

}  // namespace

// ---------------------------------------------------------------- resources

TEST(Resources, AcceleratorTableBindsOnlyTheListedKeys) {
    HACCEL table = LoadAcceleratorsW(g_instance, MAKEINTRESOURCEW(2000));
    ASSERT_TRUE(table);
    ACCEL keys[16];
    int n = CopyAcceleratorTableW(table, keys, 16);
    const struct { BYTE fVirt; WORD key; WORD cmd; } want[] = {
        {FVIRTKEY | FCONTROL, 'Q', 2000},          {FVIRTKEY | FCONTROL, 'O', 2036},
        {FVIRTKEY | FCONTROL, 'N', 2004},          {FVIRTKEY | FCONTROL, 'G', 2016},
        {FVIRTKEY | FCONTROL | FSHIFT, 'C', 2021}, {FVIRTKEY | FCONTROL | FSHIFT, 'E', 2029},
        {FVIRTKEY, VK_F5, 2002},
    };
    ASSERT_EQ(n, 7);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(keys[i].fVirt & ~0x80, want[i].fVirt) << i;  // 0x80 marks the last entry
        EXPECT_EQ(keys[i].key, want[i].key) << i;
        EXPECT_EQ(keys[i].cmd, want[i].cmd) << i;
    }
    DestroyAcceleratorTable(table);
}

TEST(Resources, MenuBarTextsIdsAndGrayedItems) {
    HMENU bar = LoadMenuW(g_instance, MAKEINTRESOURCEW(2000));
    ASSERT_TRUE(bar);
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    EXPECT_EQ(menu_item_text(bar, 0, true), L"&File");
    EXPECT_EQ(menu_item_text(bar, 1, true), L"&Edit");
    EXPECT_EQ(menu_item_text(bar, 2, true), L"E&xtras");
    EXPECT_EQ(menu_item_text(bar, 3, true), L"&?");
    // id 0 marks a separator, -1 a submenu; the text of a submenu is its title.
    struct Item { int id; const wchar_t* text; bool grayed; };
    auto check = [](HMENU menu, const std::vector<Item>& items, const char* where) {
        ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(items.size())) << where;
        for (size_t i = 0; i < items.size(); ++i) {
            UINT pos = static_cast<UINT>(i);
            UINT state = GetMenuState(menu, pos, MF_BYPOSITION);
            if (items[i].id == 0) {
                EXPECT_TRUE(state & MF_SEPARATOR) << where << " " << i;
                continue;
            }
            EXPECT_EQ(menu_item_text(menu, pos, true), items[i].text) << where << " " << i;
            if (items[i].id > 0) {
                EXPECT_EQ(static_cast<int>(GetMenuItemID(menu, pos)), items[i].id) << where;
            }
            EXPECT_EQ((state & MF_GRAYED) != 0, items[i].grayed) << where << " " << i;
        }
    };
    check(GetSubMenu(bar, 0),
          {{2004, L"New\tCtrl+N", false}, {2036, L"Open file...\tCtrl+O", false},
           {2002, L"Open clipboard\tF5", false}, {0, nullptr, false}, {2010, L"Add file...", false},
           {2011, L"Add ASCII table", false}, {0, nullptr, false}, {2003, L"Empty clipboard", false},
           {0, nullptr, false}, {2000, L"Exit\tCtrl+Q", false}},
          "File");
    HMENU edit = GetSubMenu(bar, 1);
    check(edit,
          {{2005, L"Cut\tCtrl+X", true}, {2006, L"Copy\tCtrl+C", true}, {-1, L"Copy As", false},
           {2028, L"Export...\tCtrl+E", true}, {-1, L"Export As", false}, {2007, L"Paste\tCtrl+V", true},
           {2008, L"Delete\tDelete", true}, {0, nullptr, false}, {2009, L"Select all\tCtrl+A", true},
           {2016, L"Goto and select...\tCtrl+G", true}},
          "Edit");
    check(GetSubMenu(edit, 2),
          {{2021, L"Dump\tCtrl+Shift+C", true}, {0, nullptr, false}, {2022, L"C Array", true},
           {2023, L"C String", true}, {2024, L"C# Array", true}, {2025, L"Java Array", true},
           {2026, L"Pascal Array", true}, {2027, L"VB.NET Array", true}},
          "Copy As");
    check(GetSubMenu(edit, 4),
          {{2029, L"Dump...\tCtrl+Shift+E", true}, {0, nullptr, false}, {2030, L"C Array...", true},
           {2031, L"C String...", true}, {2032, L"C# Array...", true}, {2033, L"Java Array...", true},
           {2034, L"Pascal Array...", true}, {2035, L"VB.NET Array...", true}},
          "Export As");
    HMENU extras = GetSubMenu(bar, 2);
    check(extras, {{-1, L"Shell integration", false}}, "Extras");
    check(GetSubMenu(extras, 0),
          {{2019, L"Add to context menu", false}, {2020, L"Remove from context menu", false}}, "Shell");
    check(GetSubMenu(bar, 3), {{2001, L"About Application", false}}, "?");
    DestroyMenu(bar);
}

// ---------------------------------------------------------------- menu states

TEST(MenuStates, ListFocusedGraysEditingButKeepsGoto) {
    MainWindowFixture f;
    SelectionProbe probe(f.state()->viewer.hexDump, 3, 9);  // a selection the list must not borrow
    focus(f.state()->listView);
    HMENU edit = edit_popup(f.window);
    // Start from everything enabled so graying is really done by the update.
    for (int id = 2005; id <= 2035; ++id) EnableMenuItem(edit, id, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(edit, 2008, MF_BYCOMMAND | MF_GRAYED);
    open_popup(f.window, edit, 1);
    for (int id : kSelectionDependent) EXPECT_TRUE(menu_item_grayed(edit, id)) << id;
    EXPECT_TRUE(menu_item_grayed(edit, 2005));
    EXPECT_TRUE(menu_item_grayed(edit, 2007));
    EXPECT_TRUE(menu_item_grayed(edit, 2008));
    EXPECT_TRUE(menu_item_grayed(edit, 2009));
    EXPECT_FALSE(menu_item_grayed(edit, 2016));
}

TEST(MenuStates, HexDumpFocusedFollowsItsSelection) {
    MainWindowFixture f;
    HWND dump = f.state()->viewer.hexDump;
    focus(dump);
    ASSERT_EQ(GetFocus(), dump);
    HMENU edit = edit_popup(f.window);
    {
        SelectionProbe empty(dump, 7, 7);  // a caret without a selection
        open_popup(f.window, edit, 1);
        for (int id : kSelectionDependent) EXPECT_TRUE(menu_item_grayed(edit, id)) << id;
        EXPECT_FALSE(menu_item_grayed(edit, 2009));
        EXPECT_FALSE(menu_item_grayed(edit, 2016));
    }
    {
        SelectionProbe backwards(dump, 12, 4);  // anchor after caret still selects
        open_popup(f.window, edit, 1);
        for (int id : kSelectionDependent) EXPECT_FALSE(menu_item_grayed(edit, id)) << id;
        EXPECT_FALSE(menu_item_grayed(edit, 2009));
        EXPECT_FALSE(menu_item_grayed(edit, 2016));
        EXPECT_TRUE(menu_item_grayed(edit, 2005));
        EXPECT_TRUE(menu_item_grayed(edit, 2007));
        EXPECT_TRUE(menu_item_grayed(edit, 2008));  // Delete is never enabled
    }
    // Opening the Copy As submenu on its own runs the same rules.
    SelectionProbe none(dump, 0, 0);
    HMENU copy_as = GetSubMenu(edit, 2);
    open_popup(f.window, copy_as, 2);
    for (int id = 2021; id <= 2027; ++id) EXPECT_TRUE(menu_item_grayed(copy_as, id)) << id;
}

TEST(MenuStates, ShellItemsFollowTheVerbKey) {
    MainWindowFixture f;
    HMENU extras = extras_popup(f.window);
    ASSERT_EQ(reg_delete_tree(HKEY_CLASSES_ROOT, L"*\\shell\\Clipnook"), 0);
    open_popup(f.window, extras, 2);
    EXPECT_FALSE(menu_item_grayed(extras, 2019));
    EXPECT_TRUE(menu_item_grayed(extras, 2020));

    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"*\\shell\\Clipnook", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              0);
    RegCloseKey(key);
    open_popup(f.window, extras, 2);
    EXPECT_TRUE(menu_item_grayed(extras, 2019));
    EXPECT_FALSE(menu_item_grayed(extras, 2020));
    // The submenu opened by itself finds the same items.
    HMENU shell = GetSubMenu(extras, 0);
    open_popup(f.window, shell, 0);
    EXPECT_TRUE(menu_item_grayed(shell, 2019));
    EXPECT_EQ(reg_delete_tree(HKEY_CLASSES_ROOT, L"*\\shell\\Clipnook"), 0);
    open_popup(f.window, shell, 0);
    EXPECT_FALSE(menu_item_grayed(shell, 2019));
    EXPECT_TRUE(menu_item_grayed(shell, 2020));
}

// ---------------------------------------------------------------- commands

TEST(Commands, NewClearsTheListAndTheTitleSuffix) {
    MainWindowFixture f;
    LogCapture log;
    SetWindowTextW(f.window, L"Clipnook [Clipboard]");
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"row");
    SendMessageW(f.state()->listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(command(f.window, IDM_NEW), 0);
    EXPECT_EQ(window_text(f.window), L"Clipnook");
    EXPECT_EQ(SendMessageW(f.state()->listView, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(f.state()->entries.active, -1);
    EXPECT_EQ(log.count('I', "Clear the view"), 1);
}

TEST(Commands, EmptyClipboardEmptiesItAndIsQuietWhenItCannotOpen) {
    MainWindowFixture f;
    LogCapture log;
    put_clipboard_text(f.window, "keep me");
    // Another thread holding the clipboard open: the command changes nothing.
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct Args { HANDLE opened, release; } args{opened, release};
    HANDLE holder = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* a = static_cast<Args*>(p);
            BOOL ok = OpenClipboard(nullptr);
            SetEvent(a->opened);
            WaitForSingleObject(a->release, 5000);
            if (ok) CloseClipboard();
            return ok ? 0 : 1;
        },
        &args, 0, nullptr);
    WaitForSingleObject(opened, 5000);
    command(f.window, IDM_EMPTY_CLIPBOARD);
    SetEvent(release);
    WaitForSingleObject(holder, 5000);
    DWORD held = 1;
    GetExitCodeThread(holder, &held);
    CloseHandle(holder);
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_EQ(held, 0u);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(clipboard_text(f.window), "keep me");

    command(f.window, IDM_EMPTY_CLIPBOARD);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(CountClipboardFormats(), 0);
    EXPECT_EQ(log.count('I', "Empty the clipboard."), 2);
}

TEST(Commands, CopySendsWmCopyToWhateverHasTheFocus) {
    MainWindowFixture f;
    put_clipboard_text(f.window, "old");
    HWND edit = f.state()->viewer.ansiEdit;
    ShowWindow(edit, SW_SHOW);
    SetWindowTextA(edit, "Hello, world");
    SendMessageA(edit, EM_SETSEL, 7, 12);
    focus(edit);
    ASSERT_EQ(GetFocus(), edit);
    command(f.window, IDM_COPY);
    EXPECT_EQ(clipboard_text(f.window), "world");
}

TEST(Commands, SelectAllOnlyForTheFocusedHexDump) {
    MainWindowFixture f;
    SelectionProbe probe(f.state()->viewer.hexDump);
    focus(f.state()->listView);
    command(f.window, IDM_SELECT_ALL);
    EXPECT_TRUE(SelectionProbe::setsel.empty());
    focus(f.state()->viewer.hexDump);
    command(f.window, IDM_SELECT_ALL);
    ASSERT_EQ(SelectionProbe::setsel.size(), 1u);
    EXPECT_EQ(SelectionProbe::setsel[0].first, 0);
    EXPECT_EQ(SelectionProbe::setsel[0].second, -1);
}

TEST(Commands, GotoIsAnsweredWithOneOthersGetDefaultProcessing) {
    MainWindowFixture f;
    ModalWatcher closer;  // the Goto dialog, once there is one
    EXPECT_EQ(command(f.window, IDM_GOTO), 1);
    EXPECT_EQ(command(f.window, IDM_SELECT_ALL), 0);
}

TEST(Commands, UnknownIdsAreLoggedWithTheirCode) {
    MainWindowFixture f;
    LogCapture log;
    for (int id : {2005, 2007, 2008, 2012, 2017, 1000, 2037}) command(f.window, id);
    command(f.window, 2013, 1);  // an accelerator's code
    EXPECT_TRUE(log.has(' ', "WM_COMMAND 2005 not handled (0)."));
    EXPECT_TRUE(log.has(' ', "WM_COMMAND 2007 not handled (0)."));
    EXPECT_TRUE(log.has(' ', "WM_COMMAND 2008 not handled (0)."));
    EXPECT_TRUE(log.has(' ', "WM_COMMAND 2012 not handled (0)."));
    EXPECT_TRUE(log.has(' ', "WM_COMMAND 2017 not handled (0)."));
    EXPECT_TRUE(log.has(' ', "WM_COMMAND 1000 not handled (0)."));
    EXPECT_TRUE(log.has(' ', "WM_COMMAND 2037 not handled (0)."));
    EXPECT_TRUE(log.has(' ', "WM_COMMAND 2013 not handled (1)."));
    EXPECT_EQ(log.count_level('I'), 0);
}

TEST(Commands, CopyAsAndExportAsNeedTheHexDumpFocused) {
    MainWindowFixture f;
    SelectionProbe probe(f.state()->viewer.hexDump, 0, 4);
    put_clipboard_text(f.window, "untouched");
    focus(f.state()->listView);
    ModalWatcher closer;  // a save dialog would be a fault here
    for (int id = 2021; id <= 2035; ++id) command(f.window, id);
    EXPECT_TRUE(closer.seen().empty());
    EXPECT_EQ(clipboard_text(f.window), "untouched");
}

TEST(Commands, AddFileOffersTheSharedPathAndKeepsTheChoice) {
    MainWindowFixture f;
    LogCapture log;
    wchar_t dir[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"add", 0, file);
    HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "abc", 3, &written, nullptr);
    CloseHandle(h);
    lstrcpyW(main_file_path, L"");
    {
        ModalWatcher cancel;  // posts IDCANCEL
        command(f.window, IDM_ADD_FILE);
        ASSERT_EQ(cancel.seen().size(), 1u);
        EXPECT_EQ(cancel.seen()[0].caption, L"Add File to List");
    }
    EXPECT_STREQ(main_file_path, L"");
    EXPECT_EQ(SendMessageW(f.state()->listView, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(log.count('I', "Select a file and add it to the view."), 1);

    // Confirm a typed path: the choice stays in the shared buffer.
    std::wstring path = file;
    {
        ModalWatcher confirm([&](const SeenDialog& d) {
            HWND edit = nullptr;
            // The file name box is the first edit (inside its combo box); nothing
            // is visible yet while the dialog is being activated.
            EnumChildWindows(
                d.window,
                [](HWND w, LPARAM p) -> BOOL {
                    wchar_t cls[32] = {};
                    GetClassNameW(w, cls, 32);
                    if (lstrcmpiW(cls, L"Edit") == 0) {
                        *reinterpret_cast<HWND*>(p) = w;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&edit));
            if (edit) SetWindowTextW(edit, path.c_str());
            PostMessageW(d.window, WM_COMMAND, IDOK, 0);
        });
        command(f.window, IDM_ADD_FILE);
        ASSERT_EQ(confirm.seen().size(), 1u);
    }
    EXPECT_EQ(lstrcmpiW(main_file_path, path.c_str()), 0);
    EXPECT_EQ(SendMessageW(f.state()->listView, LVM_GETITEMCOUNT, 0, 0), 1);  // added as an entry
    // Cancelling the next time keeps it for the next dialog.
    {
        ModalWatcher cancel;
        command(f.window, IDM_ADD_FILE);
    }
    EXPECT_EQ(lstrcmpiW(main_file_path, path.c_str()), 0);
    DeleteFileW(file);
    main_file_path[0] = 0;
}

TEST(Commands, ExitClosesTheWindow) {
    MainWindowFixture f;
    LogCapture log;
    command(f.window, IDM_EXIT);
    EXPECT_FALSE(IsWindow(f.window));
    EXPECT_EQ(log.count('I', "Exit the application."), 1);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

// ---------------------------------------------------------------- context menus

namespace {
struct SeenMenu {
    RECT rect{};
    std::vector<std::wstring> texts;
    std::vector<bool> grayed;   // by position, top menu
    std::vector<int> submenuCounts;
    bool grayedSub[2][8] = {};
};

SeenMenu read_menu(HWND menuWindow, HMENU menu) {
    SeenMenu s;
    GetWindowRect(menuWindow, &s.rect);
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        s.texts.push_back(menu_item_text(menu, i, true));
        s.grayed.push_back((GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) != 0);
        HMENU sub = GetSubMenu(menu, i);
        s.submenuCounts.push_back(sub ? GetMenuItemCount(sub) : -1);
    }
    return s;
}
}  // namespace

TEST(ContextMenus, HexDumpMenuFromTheKeyboardOpensAtTheDumpCentre) {
    MainWindowFixture f;
    HWND dump = f.state()->viewer.hexDump;
    SelectionProbe probe(dump, 2, 6);
    focus(dump);
    SeenMenu seen;
    PopupMenuDriver driver([&](HWND w, HMENU m) {
        seen = read_menu(w, m);
        EndMenu();
    });
    SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dump), MAKELPARAM(-1, -1));
    ASSERT_TRUE(driver.opened());
    RECT client;
    GetClientRect(dump, &client);
    bool keyboard = false;
    MenuPoint p = context_menu_point(0xFFFFFFFFu, client.left, client.top, client.right, client.bottom, &keyboard);
    ASSERT_TRUE(keyboard);
    EXPECT_EQ(p.x, client.right / 2);
    EXPECT_EQ(p.y, client.bottom / 2);
    POINT centre{p.x, p.y};
    ClientToScreen(dump, &centre);
    EXPECT_EQ(seen.rect.left, centre.x);
    EXPECT_EQ(seen.rect.top, centre.y);
    ASSERT_EQ(seen.texts.size(), 4u);
    EXPECT_EQ(seen.texts[0], L"Copy\tCtrl+C");
    EXPECT_EQ(seen.texts[1], L"Copy As");
    EXPECT_EQ(seen.texts[2], L"Export...\tCtrl+E");
    EXPECT_EQ(seen.texts[3], L"Export As");
    EXPECT_EQ(seen.submenuCounts, (std::vector<int>{-1, 8, -1, 8}));
    for (bool g : seen.grayed) EXPECT_FALSE(g);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, f.window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));  // dismissed
}

TEST(ContextMenus, HexDumpMenuAtTheMousePositionGrayedWithoutSelection) {
    MainWindowFixture f;
    HWND dump = f.state()->viewer.hexDump;
    SelectionProbe probe(dump, 5, 5);
    focus(dump);
    RECT r;
    GetWindowRect(dump, &r);
    POINT at{r.left + 20, r.top + 30};
    HMENU copy_as = nullptr;
    bool copy_grayed = false, sub_all_grayed = true;
    PopupMenuDriver driver([&](HWND w, HMENU m) {
        SeenMenu s = read_menu(w, m);
        copy_grayed = s.grayed.size() == 4 && s.grayed[0] && s.grayed[2];
        for (int i : {1, 3}) {
            copy_as = GetSubMenu(m, i);
            for (int k = 0; k < GetMenuItemCount(copy_as); ++k) {
                UINT id = GetMenuItemID(copy_as, k);
                if (id != 0 && id != static_cast<UINT>(-1)) sub_all_grayed = sub_all_grayed && menu_item_grayed(m, id);
            }
        }
        RECT mr;
        GetWindowRect(w, &mr);
        EXPECT_EQ(mr.left, at.x);
        EXPECT_EQ(mr.top, at.y);
        EndMenu();
    });
    SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dump), MAKELPARAM(at.x, at.y));
    ASSERT_TRUE(driver.opened());
    EXPECT_TRUE(copy_grayed);
    EXPECT_TRUE(sub_all_grayed);
}

// The menu is built from the dump's selection, but opening it sends
// WM_INITMENUPOPUP to the main window like every popup, and the focus rule of
// the menu bar then grays what would act on the focused list: Copy As and
// Export As would do nothing there, and Copy would copy nothing.
TEST(ContextMenus, HexDumpMenuWhileTheListHasTheFocus) {
    MainWindowFixture f;
    HWND dump = f.state()->viewer.hexDump;
    SelectionProbe probe(dump, 1, 9);
    focus(f.state()->listView);
    RECT r;
    GetWindowRect(dump, &r);
    std::vector<bool> grayed;
    PopupMenuDriver driver([&](HWND w, HMENU m) {
        grayed = read_menu(w, m).grayed;
        EndMenu();
    });
    SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dump), MAKELPARAM(r.left + 5, r.top + 5));
    ASSERT_TRUE(driver.opened());
    EXPECT_EQ(grayed, (std::vector<bool>{true, false, true, false}));  // the two popups themselves stay
    EXPECT_EQ(GetFocus(), f.state()->listView);
}

TEST(ContextMenus, ChosenHexDumpCommandIsPostedToTheMainWindow) {
    MainWindowFixture f;
    HWND dump = f.state()->viewer.hexDump;
    SelectionProbe probe(dump, 0, 3);
    focus(dump);
    PopupMenuDriver driver([&](HWND w, HMENU) {
        PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);    // first item: Copy
        PostMessageW(w, WM_KEYDOWN, VK_RETURN, 0);
    });
    SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dump), MAKELPARAM(-1, -1));
    ASSERT_TRUE(driver.opened());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, f.window, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(msg.wParam), IDM_COPY);
}

TEST(ContextMenus, ViewerPaneMenuOnlyForBitmaps) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    RECT r;
    GetWindowRect(s->viewer.viewerPane, &r);
    LPARAM at = MAKELPARAM(r.left + 10, r.top + 10);
    {
        PopupMenuDriver driver([](HWND, HMENU) { EndMenu(); }, 300);
        SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s->viewer.viewerPane), at);  // no entry
        pump_for(350);
        EXPECT_FALSE(driver.opened());
    }
    for (INT format : {static_cast<INT>(CF_TEXT), static_cast<INT>(CF_BITMAP), 0}) {
        DibEntry entry(s, format);
        PopupMenuDriver driver([](HWND, HMENU) { EndMenu(); }, 300);
        SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s->viewer.viewerPane), at);
        pump_for(350);
        EXPECT_FALSE(driver.opened()) << format;
    }
    {
        // An active index past the table (a stale index) is not read.
        DibEntry entry(s, CF_DIB);
        s->entries.active = 1;
        PopupMenuDriver driver([](HWND, HMENU) { EndMenu(); }, 300);
        SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s->viewer.viewerPane), at);
        pump_for(350);
        EXPECT_FALSE(driver.opened());
    }
    for (INT format : {static_cast<INT>(CF_DIB), static_cast<INT>(CF_DIBV5), cf_bitmapfile}) {
        DibEntry entry(s, format);
        std::vector<std::wstring> texts;
        std::vector<bool> checked;
        PopupMenuDriver driver([&](HWND, HMENU m) {
            for (int i = 0; i < GetMenuItemCount(m); ++i) {
                texts.push_back(menu_item_text(m, i, true));
                MENUITEMINFOW info{};
                info.cbSize = sizeof info;
                info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
                GetMenuItemInfoW(m, i, TRUE, &info);
                checked.push_back((info.fState & MFS_CHECKED) && (info.fType & MFT_RADIOCHECK));
                EXPECT_EQ(info.wID, 1000u + i);
            }
            EndMenu();
        });
        SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s->viewer.viewerPane), at);
        ASSERT_TRUE(driver.opened()) << format;
        EXPECT_EQ(texts, (std::vector<std::wstring>{L"Don't fit bitmaps to view", L"Fit bitmaps to view",
                                                     L"Fit only large bitmaps to view"}));
        EXPECT_EQ(checked, (std::vector<bool>{false, true, false}));
        // Dismissing it changes nothing, and nothing is posted.
        EXPECT_EQ(s->viewer.fitMode, 1);
        EXPECT_EQ(s->viewer.centerBitmap, 1);
        MSG msg;
        EXPECT_FALSE(PeekMessageW(&msg, f.window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    }
}

TEST(ContextMenus, ViewerPaneMenuChoosesTheFitMode) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    DibEntry entry(s, CF_DIB);
    RECT r;
    GetWindowRect(s->viewer.viewerPane, &r);
    LPARAM at = MAKELPARAM(r.left + 10, r.top + 10);
    auto choose = [&](int downs) {
        PopupMenuDriver driver([downs](HWND w, HMENU) {
            for (int i = 0; i < downs; ++i) PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(w, WM_KEYDOWN, VK_RETURN, 0);
        });
        SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s->viewer.viewerPane), at);
        EXPECT_TRUE(driver.opened());
    };
    choose(1);  // "Don't fit bitmaps to view"
    EXPECT_EQ(s->viewer.fitMode, 0);
    EXPECT_EQ(s->viewer.centerBitmap, 0);
    choose(3);  // "Fit only large bitmaps to view"
    EXPECT_EQ(s->viewer.fitMode, 2);
    EXPECT_EQ(s->viewer.centerBitmap, 1);
    // The mark follows the mode; TPM_RETURNCMD posts nothing.
    bool third_checked = false;
    PopupMenuDriver driver([&](HWND, HMENU m) {
        third_checked = GetMenuState(m, 1002, MF_BYCOMMAND) & MF_CHECKED;
        EndMenu();
    });
    SendMessageW(f.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s->viewer.viewerPane), at);
    EXPECT_TRUE(third_checked);
    EXPECT_EQ(s->viewer.fitMode, 2);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, f.window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
}
