// Real modal form dialogs, driven from the form's own callback: shown values,
// read-back of every kind, the refused OK, Cancel, focus, size, centring,
// enabling, radio rows, owner-drawn colours, the tree dump and the background.
#include "win_test_util.h"
#include "base/win_raii.h"
#include "uiform/background.h"
#include "uiform/uiform.h"
#include "output_capture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

namespace {

constexpr UINT kAct = WM_APP + 1;
constexpr UINT_PTR kSafetyTimer = 4242;

// What the test does with the running dialog; it must end the dialog.
struct Driver {
    std::function<void(HWND)> act;
    std::function<void(HWND, UiForm*)> init;
    bool swallowOk = false;
    int initCalls = 0;
    UiForm* form = nullptr;
    bool controlsAtInit = false;
};
Driver* g_driver = nullptr;

int32_t drive(void* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    HWND d = static_cast<HWND>(dialog);
    switch (message) {
    case WM_INITDIALOG:
        ++g_driver->initCalls;
        g_driver->form = reinterpret_cast<UiForm*>(lParam);
        g_driver->controlsAtInit = GetWindow(d, GW_CHILD) != nullptr;
        if (g_driver->init) g_driver->init(d, g_driver->form);
        SetTimer(d, kSafetyTimer, 8000, nullptr);  // a broken case must not hang the run
        PostMessageW(d, kAct, 0, 0);
        return 0;
    case kAct:
        if (g_driver->act) g_driver->act(d);
        *result = 0;
        return 1;
    case WM_TIMER:
        if (wParam == kSafetyTimer) {
            ADD_FAILURE() << "dialog left open";
            EndDialog(d, 99);
            return 1;
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && g_driver->swallowOk) {
            *result = 1;
            return 1;
        }
        return 0;
    default:
        return 0;
    }
}

struct Owner {
    HWND window;
    Owner(int x = 200, int y = 150, int w = 500, int h = 400) {
        window = CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, w, h, nullptr,
                                 nullptr, nullptr, nullptr);
        pump_for(20);
    }
    ~Owner() {
        DestroyWindow(window);
        pump_messages();
    }
};

int32_t run(const UiFormItem* items, Driver& driver, HWND owner = nullptr, intptr_t userData = 0) {
    g_driver = &driver;
    int32_t rc = uiform_simple(GetModuleHandleW(nullptr), L"Form test", owner, items, drive, userData);
    g_driver = nullptr;
    return rc;
}

void press(HWND d, int id) {
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
}

void set_text(HWND d, int id, const wchar_t* text) { SetWindowTextW(GetDlgItem(d, id), text); }
std::wstring text_of(HWND d, int id) { return window_text(GetDlgItem(d, id)); }
bool checked(HWND d, int id) { return SendDlgItemMessageW(d, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool enabled(HWND d, int id) { return IsWindowEnabled(GetDlgItem(d, id)) != FALSE; }

int32_t local_midnight(int day, int month, int year) {
    std::tm tm{};
    tm.tm_mday = day;
    tm.tm_mon = month - 1;
    tm.tm_year = year - 1900;
    return static_cast<int32_t>(std::mktime(&tm));
}

int checklb_state(HWND d, int id, int item) {
    auto state = static_cast<DWORD>(SendDlgItemMessageW(d, id, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK));
    return static_cast<int>(state >> 12) - 1;
}

}  // namespace

TEST(UiForm, EveryKindShowsItsValueAndReadsBack) {
    uint32_t u = 42;
    int32_t s = -5, check = 0, combo = 1, minutes = 61, radio = 0, group = 1, inner = 5;
    int32_t date = local_midnight(5, 12, 2026);
    UiFormEditText<16> edit;
    edit.visibleWidth = 10;
    lstrcpyW(edit.buffer, L"hello");
    UiFormEditText<8> rowEdit;
    rowEdit.visibleWidth = 6;
    wchar_t chosen[UIFORM_COMBOSTR_CAPACITY] = L"unchanged";
    UiFormCheckEntry entries[] = {{L"one", 1}, {L"two", 0}, {nullptr, 0}};
    const UiFormItem items[] = {
        {UIFORM_OPENV | UIF_MARGIN_X | UIF_MARGIN_Y, 0, nullptr, nullptr},
        {UIFORM_UINT, 101, &u, nullptr},
        {UIFORM_SINT, 102, &s, nullptr},
        {UIFORM_OPENH, 0, nullptr, nullptr},
        {UIFORM_CHECKBUTTON, 103, &check, L"Switch"},
        {UIFORM_TEXT, 120, L"switched", nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_COMBO, 104, &combo, L"a|b|c"},
        {UIFORM_EDITTIME, 105, &minutes, nullptr},
        {UIFORM_EDITDATE, 106, &date, nullptr},
        {UIFORM_EDITTEXT, 107, &edit, nullptr},
        {UIFORM_COMBOSTR, 108, chosen, nullptr},
        {UIFORM_CHECKLB, 109, entries, nullptr},
        {UIFORM_OPENR, 110, &radio, nullptr},
        {UIFORM_RADIOTEXT, 111, L"first", nullptr},
        {UIFORM_OPENH, 0, nullptr, nullptr},
        {UIFORM_RADIOTEXT, 112, L"second", nullptr},
        {UIFORM_EDITTEXT, 113, &rowEdit, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_OPENC, 114, &group, L"Group"},
        {UIFORM_UINT, 115, &inner, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    driver.init = [](HWND d, UiForm*) {
        SendDlgItemMessageW(d, 108, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"red"));
        SendDlgItemMessageW(d, 108, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"green"));
    };
    driver.act = [&](HWND d) {
        EXPECT_EQ(text_of(d, 101), L"42");
        EXPECT_EQ(text_of(d, 102), L"-5");
        EXPECT_FALSE(checked(d, 103));
        EXPECT_FALSE(enabled(d, 120));  // an unchecked check button switches its siblings off
        EXPECT_EQ(SendDlgItemMessageW(d, 104, CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendDlgItemMessageW(d, 104, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(text_of(d, 105), L"1:01");
        EXPECT_EQ(text_of(d, 106), L"5.12.2026");
        EXPECT_EQ(text_of(d, 107), L"hello");
        EXPECT_EQ(SendDlgItemMessageW(d, 107, EM_GETLIMITTEXT, 0, 0), 15);
        EXPECT_EQ(SendDlgItemMessageW(d, 109, LVM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(checklb_state(d, 109, 0), 1);
        EXPECT_EQ(checklb_state(d, 109, 1), 0);
        EXPECT_TRUE(checked(d, 111));
        EXPECT_FALSE(checked(d, 112));
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(d, 111), GWL_STYLE) & WS_GROUP);
        EXPECT_FALSE(GetWindowLongW(GetDlgItem(d, 112), GWL_STYLE) & WS_GROUP);
        EXPECT_TRUE(checked(d, 114));
        EXPECT_TRUE(enabled(d, 115));

        set_text(d, 101, L"4000000000");
        set_text(d, 102, L"-17");
        SendDlgItemMessageW(d, 103, BM_CLICK, 0, 0);
        EXPECT_TRUE(enabled(d, 120));
        SendDlgItemMessageW(d, 104, CB_SETCURSEL, 2, 0);
        set_text(d, 105, L"9:05");
        set_text(d, 106, L"1 . 1 . 2012");
        set_text(d, 107, L"world");
        SendDlgItemMessageW(d, 108, CB_SETCURSEL, 1, 0);
        LVITEMW state{};
        state.state = INDEXTOSTATEIMAGEMASK(2);
        state.stateMask = LVIS_STATEIMAGEMASK;
        SendDlgItemMessageW(d, 109, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
        // Typing into the edit of a row led by a radio button selects that button.
        set_text(d, 113, L"typed");
        EXPECT_TRUE(checked(d, 112));
        EXPECT_FALSE(checked(d, 111));
        SendDlgItemMessageW(d, 114, BM_CLICK, 0, 0);
        EXPECT_FALSE(enabled(d, 115));
        press(d, IDOK);
    };
    EXPECT_EQ(run(items, driver), 0);
    EXPECT_EQ(u, 4000000000u);
    EXPECT_EQ(s, -17);
    EXPECT_EQ(check, 1);
    EXPECT_EQ(combo, 2);
    EXPECT_EQ(minutes, 545);
    EXPECT_EQ(date, local_midnight(1, 1, 2012));
    EXPECT_STREQ(edit.buffer, L"world");
    EXPECT_STREQ(chosen, L"green");
    EXPECT_EQ(entries[0].checked, 1);
    EXPECT_EQ(entries[1].checked, 1);
    EXPECT_EQ(radio, 1);
    EXPECT_STREQ(rowEdit.buffer, L"typed");
    EXPECT_EQ(group, 0);
    EXPECT_EQ(inner, 5u);
}

TEST(UiForm, EmptyChoicesReadBackAsNothingChosen) {
    int32_t combo = -1, radio = 7, minutes = 100, date = 1000;
    wchar_t chosen[UIFORM_COMBOSTR_CAPACITY] = L"old";
    UiFormCheckEntry none[] = {{nullptr, 0}};
    const UiFormItem items[] = {
        {UIFORM_COMBO, 101, &combo, L"a|b|c"},
        {UIFORM_COMBOSTR, 102, chosen, nullptr},
        {UIFORM_OPENR, 103, &radio, nullptr},
        {UIFORM_RADIOTEXT, 104, L"only", nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_EDITTIME, 105, &minutes, nullptr},
        {UIFORM_EDITDATE, 106, &date, nullptr},
        {UIFORM_CHECKLB, 107, none, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    driver.act = [&](HWND d) {
        EXPECT_EQ(SendDlgItemMessageW(d, 101, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_FALSE(checked(d, 104));
        EXPECT_EQ(SendDlgItemMessageW(d, 107, LVM_GETITEMCOUNT, 0, 0), 0);
        set_text(d, 105, L"");
        set_text(d, 106, L"  ");
        press(d, IDOK);
    };
    EXPECT_EQ(run(items, driver), 0);
    EXPECT_EQ(combo, -1);
    EXPECT_STREQ(chosen, L"");
    EXPECT_EQ(radio, 7);  // no radio button checked: the index stays
    EXPECT_EQ(minutes, -1);
    EXPECT_EQ(date, -1);
}

TEST(UiForm, RefusedOkBeepsKeepsTheDialogAndFocusesTheField) {
    uint32_t u = 1;
    int32_t minutes = 0;
    const UiFormItem items[] = {
        {UIFORM_UINT, 101, &u, nullptr},
        {UIFORM_EDITTIME, 102, &minutes, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    driver.act = [&](HWND d) {
        set_text(d, 101, L"7");
        set_text(d, 102, L"25:00");
        press(d, IDOK);
        EXPECT_TRUE(IsWindow(d));
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 102));
        // Nothing is written while any field is refused, not even the valid one before it.
        EXPECT_EQ(u, 1u);
        EXPECT_EQ(minutes, 0);
        set_text(d, 101, L"-5");
        set_text(d, 102, L"10:00");
        press(d, IDOK);
        EXPECT_TRUE(IsWindow(d));
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 101));
        // Escape from the focused field cancels.
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    EXPECT_EQ(run(items, driver), 1);
    EXPECT_EQ(u, 1u);
    EXPECT_EQ(minutes, 0);
}

TEST(UiForm, CancelWritesNothing) {
    uint32_t u = 3;
    int32_t check = 1;
    const UiFormItem items[] = {
        {UIFORM_UINT, 101, &u, nullptr},
        {UIFORM_CHECKBUTTON, 102, &check, L"on"},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    driver.act = [&](HWND d) {
        EXPECT_EQ(text_of(d, IDCANCEL), L"Abbruch");
        set_text(d, 101, L"99");
        SendDlgItemMessageW(d, 102, BM_SETCHECK, BST_UNCHECKED, 0);
        press(d, IDCANCEL);
    };
    EXPECT_EQ(run(items, driver), 1);
    EXPECT_EQ(u, 3u);
    EXPECT_EQ(check, 1);
}

TEST(UiForm, ButtonsOneShowsOnlyOkAndEscapeStillCancels) {
    uint32_t u = 8;
    const UiFormItem items[] = {
        {UIFORM_UINT, 101, &u, nullptr},
        uiform_end(UIFORM_BUTTONS_OK),
    };
    Driver driver;
    driver.act = [&](HWND d) {
        EXPECT_EQ(text_of(d, IDOK), L"OK");
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(d, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
        EXPECT_EQ(GetDlgItem(d, IDCANCEL), nullptr);
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 101));
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    EXPECT_EQ(run(items, driver), 1);

    // Without a button row Enter still confirms.
    const UiFormItem bare[] = {
        {UIFORM_UINT, 101, &u, nullptr},
        uiform_end(UIFORM_BUTTONS_NONE),
    };
    driver.act = [&](HWND d) {
        EXPECT_EQ(GetDlgItem(d, IDOK), nullptr);
        set_text(d, 101, L"12");
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    };
    EXPECT_EQ(run(bare, driver), 0);
    EXPECT_EQ(u, 12u);
}

TEST(UiForm, FirstFocusSkipsReadOnlyEdits) {
    UiFormEditText<8> ro;
    ro.visibleWidth = 5;
    lstrcpyW(ro.buffer, L"fixed");
    const UiFormItem onlyReadOnly[] = {
        {UIFORM_COPYTEXT, 101, L"copy me", nullptr},
        {UIFORM_EDITTEXT | UIF_READONLY, 102, &ro, nullptr},
        uiform_end(UIFORM_BUTTONS_NONE),
    };
    Driver driver;
    HWND focus = reinterpret_cast<HWND>(1);
    driver.act = [&](HWND d) {
        focus = GetFocus();
        EXPECT_FALSE(focus && IsChild(d, focus));
        press(d, IDCANCEL);
    };
    {
        OutputCapture out;
        EXPECT_EQ(run(onlyReadOnly, driver), 1);
        EXPECT_TRUE(out.has_line("Has focus: no -1")) << out.text();
    }
    uint32_t u = 0;
    const UiFormItem mixed[] = {
        {UIFORM_COPYTEXT, 101, L"copy me", nullptr},
        {UIFORM_UINT, 103, &u, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    driver.act = [&](HWND d) {
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 103));
        press(d, IDCANCEL);
    };
    OutputCapture out;
    EXPECT_EQ(run(mixed, driver), 1);
    EXPECT_TRUE(out.has_line("Has focus: yes 103")) << out.text();
}

TEST(UiForm, ClientIsTheRootSizeCentredOnTheOwnerWithTheTraceInOrder) {
    Owner owner;
    uint32_t u = 0;
    const UiFormItem items[] = {
        {UIFORM_OPENV | UIF_MARGIN_X | UIF_MARGIN_Y, 0, nullptr, nullptr},
        {UIFORM_OPENH, 9999, nullptr, nullptr},
        {UIFORM_TEXT, 0, L"Offset:", nullptr},
        {UIFORM_UINT, 0, &u, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    RECT client{}, window{}, ownerRect{};
    int rootW = 0, rootH = 0;
    driver.act = [&](HWND d) {
        GetClientRect(d, &client);
        GetWindowRect(d, &window);
        GetWindowRect(owner.window, &ownerRect);
        rootW = driver.form->root->width;
        rootH = driver.form->root->height;
        press(d, IDCANCEL);
    };
    OutputCapture out;
    EXPECT_EQ(run(items, driver, owner.window), 1);
    EXPECT_EQ(driver.initCalls, 1);
    EXPECT_TRUE(driver.controlsAtInit);
    EXPECT_EQ(client.right, rootW);
    EXPECT_EQ(client.bottom, rootH);
    const long w = window.right - window.left, h = window.bottom - window.top;
    EXPECT_EQ(window.left, ownerRect.left + (ownerRect.right - ownerRect.left - w) / 2);
    EXPECT_EQ(window.top, ownerRect.top + (ownerRect.bottom - ownerRect.top - h) / 2);

    const std::string text = out.text();
    const char* order[] = {"uiform_create\n", "uiform_add 0 OPENV\n", "uiform_request\n", "uiform_on_WM_INITDIALOG\n",
                           "uiform_create_controls\n", "uiform_tree_calc_area (first)\n",
                           "uiform_create_control\n", "uiform_create_controls OK\n", "Has focus: yes ",
                           "uiform_destroy begin\n", "uiform_destroy end\n", "uiform_simple() => 1\n"};
    size_t at = 0;
    for (const char* piece : order) {
        size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << "\n" << text;
        at = found;
    }
    char root[96];
    std::snprintf(root, sizeof root, " 2000:  OPENV [0/0 %d %d] [0 0]\n", rootW, rootH);
    EXPECT_NE(text.find(root), std::string::npos) << text;
    EXPECT_NE(text.find(" 2001:    OPENV [0/0 "), std::string::npos) << text;
    EXPECT_NE(text.find(" 9999:      OPENH ["), std::string::npos) << text;
    // The UINT's control line carries the edit's real window size.
    EXPECT_NE(text.find(" 2003:        UINT ["), std::string::npos) << text;
}

TEST(UiForm, StaysInsideTheDesktopNextToAnOwnerAtTheEdge) {
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    Owner owner(desk.right - 120, desk.bottom - 60, 200, 120);
    const UiFormItem items[] = {
        {UIFORM_TEXT, 0, L"A text that makes the dialog wider than its owner", nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    RECT window{};
    driver.act = [&](HWND d) {
        GetWindowRect(d, &window);
        press(d, IDCANCEL);
    };
    EXPECT_EQ(run(items, driver, owner.window), 1);
    EXPECT_LE(window.right, desk.right);
    EXPECT_LE(window.bottom, desk.bottom);
    EXPECT_GE(window.left, desk.left);
    EXPECT_GE(window.top, desk.top);
}

TEST(UiForm, CheckButtonsAndCheckedGroupsSwitchTheirItems) {
    int32_t on = 0, group = 0;
    uint32_t a = 0, b = 0, c = 0, d4 = 0;
    const UiFormItem items[] = {
        {UIFORM_OPENV, 0, nullptr, nullptr},
        {UIFORM_UINT, 102, &a, nullptr},
        {UIFORM_CHECKBUTTON, 101, &on, L"Switch"},
        {UIFORM_OPENH, 0, nullptr, nullptr},
        {UIFORM_UINT, 103, &b, nullptr},
        {UIFORM_UINT | UIF_DISABLED, 104, &c, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_OPENC, 105, &group, L"Extra"},
        {UIFORM_UINT, 106, &d4, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    driver.act = [&](HWND d) {
        // Unchecked: every sibling, before and after it and nested, is off.
        for (int id : {102, 103, 104, 105, 106}) EXPECT_FALSE(enabled(d, id)) << id;
        SendDlgItemMessageW(d, 101, BM_CLICK, 0, 0);
        EXPECT_TRUE(enabled(d, 102));
        EXPECT_TRUE(enabled(d, 103));
        EXPECT_FALSE(enabled(d, 104));  // disabled items stay disabled
        EXPECT_TRUE(enabled(d, 105));
        EXPECT_FALSE(enabled(d, 106));  // the group's own box is still unchecked
        SendDlgItemMessageW(d, 105, BM_CLICK, 0, 0);
        EXPECT_TRUE(enabled(d, 106));
        press(d, IDOK);
    };
    EXPECT_EQ(run(items, driver), 0);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(group, 1);
}

TEST(UiForm, CallbackSeesEverythingFirstAndCanHoldBackOk) {
    uint32_t u = 5;
    const UiFormItem items[] = {
        {UIFORM_UINT, 101, &u, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    driver.swallowOk = true;
    driver.act = [&](HWND d) {
        EXPECT_EQ(uiform_get_userdata(d), 777);
        EXPECT_EQ(uiform_get_item_value(d, 101), &u);
        EXPECT_EQ(uiform_get_item_value(d, 4711), nullptr);
        set_text(d, 101, L"6");
        press(d, IDOK);
        EXPECT_TRUE(IsWindow(d));
        EXPECT_EQ(u, 5u);
        press(d, IDCANCEL);
    };
    EXPECT_EQ(run(items, driver, nullptr, 777), 1);
    EXPECT_EQ(u, 5u);
    EXPECT_EQ(uiform_get_userdata(nullptr), 0);
}

TEST(UiForm, ColourSwatchIsPaintedAndUpdatedAndTextsFollowTheirValues) {
    COLORREF colour = RGB(10, 200, 30);
    const wchar_t* caption = L"short";
    const UiFormItem items[] = {
        {UIFORM_COLORREF, 101, &colour, nullptr},
        {UIFORM_TEXT, 102, caption, nullptr},
        {UIFORM_UINT, 103, nullptr, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    COLORREF first = 0, second = 0;
    int widthBefore = 0, widthAfter = 0;
    const wchar_t* longer = L"a much longer text than before";
    driver.act = [&](HWND d) {
        HWND swatch = GetDlgItem(d, 101);
        RedrawWindow(swatch, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        {
            WindowDC dc(swatch);
            first = GetPixel(dc.get(), 10, 6);
        }
        colour = RGB(200, 20, 90);
        EXPECT_EQ(uiform_update_item(d, 101), 1);
        UpdateWindow(swatch);
        {
            WindowDC dc(swatch);
            second = GetPixel(dc.get(), 10, 6);
        }
        RECT r;
        GetWindowRect(GetDlgItem(d, 102), &r);
        widthBefore = r.right - r.left;
        static_cast<UiFormNode*>(uiform_find_control(driver.form, GetDlgItem(d, 102)))->value =
            const_cast<wchar_t*>(longer);
        EXPECT_EQ(uiform_update_item(d, 102), 1);
        EXPECT_EQ(text_of(d, 102), longer);
        GetWindowRect(GetDlgItem(d, 102), &r);
        widthAfter = r.right - r.left;
        EXPECT_EQ(uiform_update_item(d, 4711), 0);
        EXPECT_EQ(uiform_focus_item(d, 103), 0);
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 103));
        press(d, IDOK);  // an empty number field is refused even without a variable
        EXPECT_TRUE(IsWindow(d));
        set_text(d, 103, L"5");
        press(d, IDOK);  // a field without a variable reads but writes nowhere
    };
    OutputCapture out;
    EXPECT_EQ(run(items, driver), 0);
    EXPECT_EQ(first, RGB(10, 200, 30));
    EXPECT_EQ(second, RGB(200, 20, 90));
    EXPECT_GT(widthAfter, widthBefore);
    EXPECT_NE(out.text().find("uiform_on_WM_DRAWITEM ctrlid=101\n"), std::string::npos);
}

TEST(UiForm, LinksIconsLabelledListsAndRoomOnlyDates) {
    int32_t date = 1000;
    uint32_t a = 1, b = 2;
    const UiFormItem items[] = {
        {UIFORM_ICON, 101, reinterpret_cast<const void*>(static_cast<intptr_t>(-3)), nullptr},
        {UIFORM_LINKTEXT, 102, L"the site", L"https://clipnook.example.org/form"},
        {UIFORM_LINKTEXT, 103, L"default", nullptr},
        {UIFORM_EDITDATE | UIF_ALT, 104, &date, nullptr},
        {UIFORM_OPENL, 0, nullptr, nullptr},
        {UIFORM_LABEL, 0, L"Name:", nullptr},
        {UIFORM_UINT, 105, &a, nullptr},
        {UIFORM_LABEL, 0, L"A longer label:", nullptr},
        {UIFORM_UINT, 106, &b, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    std::wstring copied, copiedDefault;
    auto copy_of = [](HWND d, int id) {
        SendDlgItemMessageW(d, id, WM_CHAR, 3, 0);
        std::wstring text;
        ClipboardGuard clip(d);
        if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
            GlobalLockGuard lock(h);
            if (lock) text = lock.as<wchar_t>();
        }
        return text;
    };
    driver.act = [&](HWND d) {
        EXPECT_TRUE(SendDlgItemMessageW(d, 101, STM_GETIMAGE, IMAGE_ICON, 0));
        copied = copy_of(d, 102);
        copiedDefault = copy_of(d, 103);
        EXPECT_EQ(GetDlgItem(d, 104), nullptr);
        RECT f1, f2;
        GetWindowRect(GetDlgItem(d, 105), &f1);
        GetWindowRect(GetDlgItem(d, 106), &f2);
        EXPECT_EQ(f1.left, f2.left);  // both fields right of the widest label
        set_text(d, 106, L"20");
        press(d, IDOK);
    };
    OutputCapture out;
    EXPECT_EQ(run(items, driver), 0);
    EXPECT_EQ(copied, L"https://clipnook.example.org/form");
    EXPECT_EQ(copiedDefault, uiform_default_link_address);
    EXPECT_EQ(date, 1000);
    EXPECT_EQ(b, 20u);
    EXPECT_NE(out.text().find("Icon w=32 h=32!\n"), std::string::npos) << out.text();
}

TEST(UiForm, NothingToShow) {
    OutputCapture out;
    EXPECT_EQ(uiform_request(nullptr, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(uiform_simple(nullptr, L"t", nullptr, nullptr, nullptr, 0), -1);
    EXPECT_EQ(uiform_simple(nullptr, nullptr, nullptr, nullptr, nullptr, 0), -1);
    EXPECT_EQ(uiform_dump(nullptr), -5);
    EXPECT_TRUE(out.has_line("uiform_simple() => -1"));
}

TEST(DialogBackground, GradientCornersAndBrushFromThePaintedBackground) {
    WindowDC screen(nullptr);
    MemoryCanvas canvas(screen.get(), 100, 60);
    ASSERT_TRUE(canvas);
    RECT r{0, 0, 100, 60};
    ASSERT_TRUE(gradient_fill_rect(canvas.dc(), &r, 252, 246, 242, 232));
    auto grey = [](COLORREF c) { return static_cast<int>(GetRValue(c)); };
    EXPECT_NEAR(grey(GetPixel(canvas.dc(), 0, 0)), 252, 2);
    EXPECT_NEAR(grey(GetPixel(canvas.dc(), 99, 59)), 232, 2);
    // Vertical and horizontal two-level fills.
    ASSERT_TRUE(gradient_fill_rect(canvas.dc(), &r, 0, 0, 200, 200));
    EXPECT_NEAR(grey(GetPixel(canvas.dc(), 0, 0)), 0, 4);
    EXPECT_NEAR(grey(GetPixel(canvas.dc(), 99, 0)), 0, 4);
    EXPECT_NEAR(grey(GetPixel(canvas.dc(), 50, 59)), 200, 6);
    ASSERT_TRUE(gradient_fill_rect(canvas.dc(), &r, 0, 200, 0, 200));
    EXPECT_NEAR(grey(GetPixel(canvas.dc(), 0, 30)), 0, 4);
    EXPECT_NEAR(grey(GetPixel(canvas.dc(), 99, 30)), 200, 6);

    Owner owner;
    HWND child = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 10, 10, owner.window, nullptr, nullptr, nullptr);
    HBRUSH brush = dialog_background_brush(child, nullptr);
    EXPECT_TRUE(brush);
    if (brush) DeleteObject(brush);
    EXPECT_EQ(dialog_background_brush(nullptr, nullptr), nullptr);
}

TEST(DialogBackground, HandlesNothingWithoutVisualStylesOrWhenOff) {
    Owner owner;
    INT_PTR result = 5;
    WindowDC dc(owner.window);
    if (!dialog_background_themed()) {
        EXPECT_FALSE(dialog_background_handle(owner.window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0, &result));
        EXPECT_FALSE(dialog_background_handle(owner.window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()), 0, &result));
        EXPECT_EQ(result, 5);
    }
    dialog_background_set(9, RGB(1, 2, 3));  // above 3: off
    EXPECT_FALSE(dialog_background_handle(owner.window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0, &result));
    dialog_background_set(DIALOG_BACKGROUND_GRADIENT, RGB(255, 255, 255));
}

TEST(DialogBackground, ThemedFormsGetTheGradientAndOneBrushRebuild) {
    if (!dialog_background_themed()) GTEST_SKIP() << "no visual styles here";
    const UiFormItem items[] = {
        {UIFORM_TEXT, 101, L"A static over the gradient", nullptr},
        {UIFORM_CHECKBUTTON, 102, nullptr, L"and a check box"},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    COLORREF topLeft = 0, bottomRight = 0;
    driver.act = [&](HWND d) {
        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT client;
        GetClientRect(d, &client);
        WindowDC dc(d);
        topLeft = GetPixel(dc.get(), 0, 0);
        bottomRight = GetPixel(dc.get(), client.right - 1, client.bottom - 1);
        press(d, IDCANCEL);
    };
    OutputCapture out;
    EXPECT_EQ(run(items, driver), 1);
    EXPECT_NEAR(GetRValue(topLeft), 252, 2);
    EXPECT_NEAR(GetRValue(bottomRight), 232, 2);
    const std::string text = out.text();
    size_t first = text.find("Recreate dialog brush\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(text.find("Recreate dialog brush\n", first + 1), std::string::npos) << text;
}

TEST(UiForm, LinesFramesWrappedTextsButtonsAndFileIcons) {
    int32_t radio = 0;
    UiFormEditText<8> rowEdit;
    rowEdit.visibleWidth = 4;
    UiFormFileIcon fileIcon{};
    GetSystemDirectoryW(fileIcon.path, 200);
    lstrcatW(fileIcon.path, L"\\shell32.dll");
    fileIcon.index = 0;
    const UiFormItem items[] = {
        {UIFORM_OPENV, 0, nullptr, nullptr},
        {UIFORM_LINEH, 101, L"Section", nullptr},
        {UIFORM_LINEH, 102, nullptr, nullptr},
        {UIFORM_WRAPTEXT | UIF_ALT, 103,
         L"A long explanation that has to wrap onto more than one line in a column of this width.", nullptr},
        {UIFORM_FRAMEV, 104, nullptr, nullptr},
        {UIFORM_TEXT, 105, L"framed text that sets the width", nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_OPENR, 106, &radio, nullptr},
        {UIFORM_RADIOTEXT, 107, L"first", nullptr},
        {UIFORM_OPENH, 0, nullptr, nullptr},
        {UIFORM_RADIOTEXT, 108, L"second", nullptr},
        {UIFORM_BUTTON, 109, L"Pick", nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_ICON | UIF_FILEICON, 110, &fileIcon, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    Driver driver;
    driver.act = [&](HWND d) {
        UiForm* form = driver.form;
        auto node = [&](int id) { return uiform_find_control(form, GetDlgItem(d, id)); };
        // A captioned line: the etched line plus its caption in control2.
        UiFormNode* line = node(101);
        ASSERT_TRUE(line);
        EXPECT_EQ(GetWindowLongW(static_cast<HWND>(line->control), GWL_STYLE) & SS_TYPEMASK, SS_ETCHEDHORZ);
        ASSERT_TRUE(line->control2);
        EXPECT_EQ(window_text(static_cast<HWND>(line->control2)), L"Section");
        UiFormNode* bare = node(102);
        ASSERT_TRUE(bare);
        EXPECT_EQ(bare->control2, nullptr);
        RECT r;
        GetWindowRect(static_cast<HWND>(bare->control), &r);
        EXPECT_EQ(r.bottom - r.top, 2);
        EXPECT_GE(r.right - r.left, bare->width);  // stretched over the column
        // The wrapped text takes the column's width, several lines high, in italics.
        UiFormNode* wrap = node(103);
        ASSERT_TRUE(wrap);
        EXPECT_EQ(wrap->width, wrap->parent->width);
        EXPECT_GT(wrap->height, 2 * form->unitY - 1);
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(d, 103, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        EXPECT_TRUE(lf.lfItalic);
        // The black frame: a static with id 0 around its contents.
        UiFormNode* frame = nullptr;
        for (UiFormNode* n = form->root; n; n = uiform_node_next(form->root, n))
            if (n->kind == UIFORM_FRAMEV) frame = n;
        ASSERT_TRUE(frame && frame->control);
        EXPECT_EQ(GetDlgCtrlID(static_cast<HWND>(frame->control)), 0);
        EXPECT_EQ(GetWindowLongW(static_cast<HWND>(frame->control), GWL_STYLE) & SS_TYPEMASK, SS_BLACKFRAME);
        // A button leading nothing but sitting in a radio row selects that row's button.
        EXPECT_TRUE(checked(d, 107));
        EXPECT_FALSE(GetWindowLongW(GetDlgItem(d, 109), GWL_STYLE) & WS_GROUP);
        press(d, 109);
        EXPECT_TRUE(checked(d, 108));
        EXPECT_FALSE(checked(d, 107));
        // An icon from a file is shown on request.
        EXPECT_FALSE(SendDlgItemMessageW(d, 110, STM_GETIMAGE, IMAGE_ICON, 0));
        EXPECT_EQ(uiform_update_item(d, 110), 1);
        EXPECT_TRUE(SendDlgItemMessageW(d, 110, STM_GETIMAGE, IMAGE_ICON, 0));
        EXPECT_EQ(uiform_update_item(d, 110), 1);  // the replaced icon is released
        press(d, IDOK);
    };
    EXPECT_EQ(run(items, driver), 0);
    EXPECT_EQ(radio, 1);
}
