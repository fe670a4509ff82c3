// Real form dialogs: every kind shown and read back, the refused OK, enabling by check boxes at
// creation and on clicks, size, trace and the dialog's data kept from other dialogs, and the link.
#include "win_test.h"
#include "base/win_raii.h"
#include "uiform/background.h"
#include "uiform/datetime_core.h"
#include "uiform/link.h"
#include "uiform/uiform.h"

#include <commctrl.h>

namespace {

constexpr UINT kAct = WM_APP + 1;
std::function<void(HWND)> g_act;
UiForm* g_form = nullptr;
std::vector<WPARAM> g_commands;  // what the form's callback saw of WM_COMMAND

// The form's callback runs the case once the dialog is up, then ends whatever the case left open.
int32_t drive(void* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    HWND d = static_cast<HWND>(dialog);
    if (message == WM_INITDIALOG) g_form = reinterpret_cast<UiForm*>(lParam), PostMessageW(d, kAct, 0, 0);
    if (message == WM_COMMAND) g_commands.push_back(wParam);
    if (message != kAct) return 0;
    g_act(d);
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    return *result = 0, 1;
}

int32_t run(std::vector<UiFormItem> items, std::function<void(HWND)> act) {
    items.push_back(uiform_end(UIFORM_BUTTONS_OKCANCEL));
    g_act = std::move(act);
    g_commands.clear();
    return uiform_simple(GetModuleHandleW(nullptr), L"Form test", nullptr, items.data(), drive, 777);
}

UiFormItem I(uint32_t k, int32_t id = 0, const void* v = nullptr, const wchar_t* t = nullptr) { return {k, id, v, t}; }
LRESULT send(HWND d, int id, UINT m, WPARAM w = 0, LPARAM l = 0) { return SendDlgItemMessageW(d, id, m, w, l); }
void press(HWND d, int id) { SendMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id))); }
void set(HWND d, int id, const wchar_t* text) { SetDlgItemTextW(d, id, text); }
bool checked(HWND d, int id) { return send(d, id, BM_GETCHECK) == BST_CHECKED; }
int32_t date_of(const wchar_t* text) { int32_t v = -7; return uiform_parse_date(text, &v), v; }
std::wstring clipboard_text(HWND owner) {
    ClipboardGuard clip(owner);
    GlobalLockGuard lock(clip ? GetClipboardData(CF_UNICODETEXT) : nullptr);
    return lock ? lock.as<wchar_t>() : L"";
}
int pixels(HWND w, COLORREF colour) {  // as painted so far: nothing is invalidated here
    RECT r{};
    WindowDC dc(GetClientRect(w, &r) ? w : nullptr);
    int n = 0;
    for (int i = 0; i < r.right * r.bottom; ++i) n += GetPixel(dc.get(), i % r.right, i / r.right) == colour;
    return n;
}

struct { HFONT font; DWORD typeAtDestroy; WNDPROC proc; } g_italic;  // the italic font, seen when its control goes
LRESULT CALLBACK watch_destroy(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) g_italic.typeAtDestroy = GetObjectType(g_italic.font);
    return CallWindowProcW(g_italic.proc, w, message, wParam, lParam);
}

}  // namespace

TEST(UiFormDialog, EveryKindShowsItsValueAndReadsItBack) {
    uint32_t u = 42;
    int32_t s = -5, combo = 1, minutes = 61, date = date_of(L"5.12.2026"), radio = 0, check = 0;
    UiFormEditText<16> edit{16, 10, L"hello"}, ro{16, 4, L"fixed"}, rowEdit{16, 4, L""};
    wchar_t chosen[UIFORM_COMBOSTR_CAPACITY] = L"unchanged";
    UiFormCheckEntry entries[] = {{L"one", 1}, {L"two", 0}, {nullptr, 0}};
    auto act = [&](HWND d) {
        const struct { int id; const wchar_t* text; LONG set = 0, clear = 0; } shown[] = {
            {101, L"42"}, {102, L"-5"}, {104, L"1:01"}, {105, L"5.12.2026"}, {106, L"hello"}, {107, L"fixed", ES_READONLY | ES_RIGHT},
            {111, L"first", WS_GROUP}, {112, L"second", 0, WS_GROUP}, {114, L"Pick", 0, WS_GROUP}, {115, L"Switch", WS_GROUP},
            {116, L"", SS_ETCHEDHORZ}, {118, L"", SS_ICON}, {119, L"site", 0, BS_DEFPUSHBUTTON}, {120, L"copy me", ES_READONLY},
            {IDOK, L"OK", BS_DEFPUSHBUTTON | WS_GROUP}};
        for (const auto& c : shown)
            EXPECT_TRUE(window_text(GetDlgItem(d, c.id)) == c.text &&
                        (GetWindowLongW(GetDlgItem(d, c.id), GWL_STYLE) & (c.set | c.clear)) == c.set) << c.id;
        EXPECT_TRUE(send(d, 103, CB_GETCOUNT) == 3 && send(d, 103, CB_GETCURSEL) == 1 && send(d, 106, EM_GETLIMITTEXT) == 15);
        EXPECT_TRUE(send(d, 109, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2) && checked(d, 111));
        EXPECT_TRUE(send(d, 118, STM_GETIMAGE, IMAGE_ICON) && !checked(d, 112) && !checked(d, 115));
        EXPECT_EQ((send(d, 119, WM_CHAR, 3), clipboard_text(d)), uiform_default_link_address);  // a link without an address
        set(d, 101, L"4000000000"), set(d, 102, L"-17"), set(d, 105, L"1 . 1 . 2012"), set(d, 106, L"world");
        send(d, 103, CB_SETCURSEL, 2), send(d, 108, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"green")), send(d, 108, CB_SETCURSEL);
        LVITEMW state{};
        state.state = INDEXTOSTATEIMAGEMASK(2), state.stateMask = LVIS_STATEIMAGEMASK;
        send(d, 109, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
        set(d, 113, L"typed");  // typing into a row led by a radio button selects that button
        EXPECT_TRUE(checked(d, 112) && !checked(d, 111));
        send(d, 115, BM_CLICK);
        for (auto [id, bad] : {std::pair{101, L"-1"}, {102, L"x"}, {104, L"24:01"}, {105, L"31.4.2012"}}) {
            const std::wstring good = window_text(GetDlgItem(d, id));
            set(d, id, bad), press(d, IDOK);  // refused: the dialog stays, the field has the focus, nothing is written
            EXPECT_TRUE(IsWindow(d) && GetFocus() == GetDlgItem(d, id) && u == 42 && check == 0 && edit.buffer[0] == L'h') << id;
            set(d, id, good.c_str());
        }
        set(d, 104, L"");  // an empty time is no time
        press(d, IDOK);
    };
    EXPECT_EQ(run({I(UIFORM_OPENV | UIF_MARGIN_X | UIF_MARGIN_Y), I(UIFORM_UINT, 101, &u), I(UIFORM_SINT, 102, &s),
                   I(UIFORM_COMBO, 103, &combo, L"a|b|c"), I(UIFORM_EDITTIME, 104, &minutes), I(UIFORM_EDITDATE, 105, &date),
                   I(UIFORM_EDITTEXT, 106, &edit), I(UIFORM_EDITTEXT | UIF_READONLY | UIF_ALT, 107, &ro), I(UIFORM_COMBOSTR, 108, chosen),
                   I(UIFORM_CHECKLB, 109, entries), I(UIFORM_OPENR, 110, &radio), I(UIFORM_RADIOTEXT, 111, L"first"), I(UIFORM_OPENH),
                   I(UIFORM_RADIOTEXT, 112, L"second"), I(UIFORM_EDITTEXT, 113, &rowEdit), I(UIFORM_BUTTON, 114, L"Pick"),
                   I(UIFORM_CLOSE), I(UIFORM_CLOSE), I(UIFORM_CHECKBUTTON, 115, &check, L"Switch"), I(UIFORM_LINEH, 116, L"Section"),
                   I(UIFORM_ICON, 118, reinterpret_cast<const void*>(intptr_t{-3})), I(UIFORM_LINKTEXT, 119, L"site"),
                   I(UIFORM_COPYTEXT, 120, L"copy me"), I(UIFORM_TEXT, 121, L"plain"), I(UIFORM_LINEH, 117),
                   I(UIFORM_EDITDATE | UIF_ALT, 122, &date)}, act), 0);
    EXPECT_TRUE(u == 4000000000u && s == -17 && combo == 2 && minutes == -1 && date == date_of(L"1.1.2012") && radio == 1);
    EXPECT_TRUE(std::wstring(edit.buffer) == L"world" && std::wstring(rowEdit.buffer) == L"typed" && check == 1);
    EXPECT_TRUE(std::wstring(chosen) == L"green" && entries[0].checked == 1 && entries[1].checked == 1);
}

TEST(UiFormDialog, EnablingFollowsTheParentAndEveryControllingBox) {
    int32_t group = 0, inner = 1, a = 0, b = 1;
    auto act = [&](HWND d) {
        auto states = [d] { std::string s; for (int id = 201; id <= 207; ++id) s += IsWindowEnabled(GetDlgItem(d, id)) ? '+' : '-'; return s; };
        EXPECT_EQ(states(), "+--+---");  // a checked box in an unchecked group, or the last of two boxes, turns nothing on
        for (auto [box, after] : {std::pair{201, "++++---"}, {202, "++-+---"}, {204, "++-+++-"}, {201, "+--+++-"}}) {
            send(d, box, BM_CLICK);
            EXPECT_EQ(states(), after) << box;
        }
        press(d, IDOK);
    };
    EXPECT_EQ(run({I(UIFORM_OPENC, 201, &group, L"Group"), I(UIFORM_CHECKBUTTON, 202, &inner, L"Inner"), I(UIFORM_TEXT, 203, L"x"),
                   I(UIFORM_CLOSE), I(UIFORM_OPENV), I(UIFORM_CHECKBUTTON, 204, &a, L"A"), I(UIFORM_CHECKBUTTON, 205, &b, L"B"),
                   I(UIFORM_TEXT, 206, L"y"), I(UIFORM_TEXT | UIF_DISABLED, 207, L"z")}, act), 0);
    EXPECT_TRUE(group == 0 && inner == 0 && a == 1 && b == 1);
}

TEST(UiFormDialog, LinkCopiesClicksOnlyWhilePressedRepaintsAndOpensOnlyWebAddresses) {
    uint32_t u = 3;
    const std::wstring longAddress = L"https://clipnook.example.org/" + std::wstring(300, L'a');
    auto act = [&](HWND d) {
        HWND link = GetDlgItem(d, 301);
        auto clicks = [] { return std::count(g_commands.begin(), g_commands.end(), MAKEWPARAM(301, BN_CLICKED)); };
        EXPECT_EQ((send(d, 301, WM_CHAR, 3), clipboard_text(d)), L"https://clipnook.example.org/form");
        const LRESULT code = send(d, 301, WM_GETDLGCODE);  // its characters, but Enter stays with the dialog's OK
        EXPECT_TRUE((code & DLGC_WANTCHARS) && !(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)));
        SetFocus(link), send(d, 301, WM_KEYDOWN, VK_SPACE), send(d, 301, WM_KEYUP, VK_SPACE, 0xC0000001);
        EXPECT_TRUE(clicks() == 1 && GetCapture() != link);
        send(d, 301, WM_KEYDOWN, VK_SPACE);  // pressed, then the focus moves on: no click when the button comes up
        SetFocus(GetDlgItem(d, 302));
        EXPECT_NE(GetCapture(), link);
        send(d, 301, WM_LBUTTONUP);
        SetFocus(link), send(d, 301, WM_KEYDOWN, VK_SPACE);  // pressed, then another window takes the capture
        SetCapture(d);
        send(d, 301, WM_KEYUP, VK_SPACE, 0xC0000001), ReleaseCapture();
        EXPECT_EQ(clicks(), 1);
        SetFocus(GetDlgItem(d, 302)), RedrawWindow(d, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);  // paint what is due
        auto grey = [d](int x, int y) { return GetRValue(GetPixel(WindowDC(d).get(), x, y)); };  // the themed gradient's corners
        const int right = g_form->root->width - 1, bottom = g_form->root->height - 1;
        EXPECT_TRUE(!dialog_background_themed() || (std::abs(grey(right, 0) - 246) <= 2 && std::abs(grey(right, bottom) - 232) <= 2));
        EXPECT_GT(pixels(link, RGB(0, 0, 255)), 10);
        EnableWindow(link, FALSE), RedrawWindow(d, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);  // grey at once
        EXPECT_TRUE(pixels(link, RGB(0, 0, 255)) == 0 && pixels(link, GetSysColor(COLOR_GRAYTEXT)) > 10);
        EXPECT_TRUE(send(d, 301, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), HTCLIENT) && GetCursor() == LoadCursorW(nullptr, IDC_HAND));
        send(d, 301, WM_SETTEXT, LINK_SETADDRESS, reinterpret_cast<LPARAM>(longAddress.c_str()));
        EXPECT_EQ((send(d, 301, WM_CHAR, 3), clipboard_text(d)), longAddress.substr(0, 259));
        for (auto [id, refused] : {std::pair{301, L"C:\\no\\such\\program.exe"}, {301, L"file:///C:/no/such/file.txt"},
                                   {301, L"no-such-scheme:x"}, {302, L"https://clipnook.example.org/"}}) {  // 302 is no link
            INT_PTR result = 77;  // the address replaced as another process can; the caption stays
            send(d, id, WM_SETTEXT, LINK_SETADDRESS, reinterpret_cast<LPARAM>(refused));
            EXPECT_TRUE(!link_open(d, id, &result) && result == 0 && window_text(link) == L"the site") << refused;
        }
    };
    EXPECT_TRUE(run({I(UIFORM_LINKTEXT, 301, L"the site", L"https://clipnook.example.org/form"), I(UIFORM_UINT, 302, &u)}, act) == 1 &&
                u == 3);  // Cancel writes nothing
}

TEST(UiFormDialog, SizedTracedAndItsDataKeptFromOtherDialogs) {
    uint32_t u = 0;
    auto act = [&](HWND d) {
        RECT client{};
        EXPECT_TRUE(GetClientRect(d, &client) && client.right == g_form->root->width && client.bottom == g_form->root->height &&
                    uiform_find_control(g_form, GetDlgItem(d, 102))->height > g_form->unitY);  // the text wraps
        EXPECT_TRUE(GetFocus() == GetDlgItem(d, 101) && uiform_get_userdata(d) == 777 && uiform_get_item_value(d, 101) == &u);
        LOGFONTW lf{};
        g_italic.font = reinterpret_cast<HFONT>(send(d, 102, WM_GETFONT));
        EXPECT_TRUE(GetObjectW(g_italic.font, sizeof lf, &lf) && lf.lfItalic);
        g_italic.proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(GetDlgItem(d, 102), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watch_destroy)));
    };
    StdoutCapture out;
    EXPECT_EQ(run({I(UIFORM_COPYTEXT, 100, L"read only"), I(UIFORM_UINT, 101, &u),
                   I(UIFORM_WRAPTEXT | UIF_ALT, 102, L"A long explanation that has to wrap in italics.")}, act), 1);
    EXPECT_TRUE(g_italic.typeAtDestroy == OBJ_FONT && GetObjectType(g_italic.font) == 0);  // deleted once its control is gone
    const std::string trace = out.raw();
    size_t at = 0;
    for (const char* line : {"uiform_request", "uiform_on_WM_INITDIALOG", "uiform_create_controls", "uiform_tree_calc_area (first)",
                             "uiform_create_control\n", " 2000:  OPENV [0/0 ", "uiform_create_controls OK", "Has focus: yes 101",
                             "uiform_destroy end", "uiform_simple() => 1"})
        EXPECT_NE(at = trace.find(line, at), std::string::npos) << line << "\n" << trace;
    HWND other = CreateWindowExW(0, L"#32770", L"another dialog", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    UiForm fake{};
    fake.userData = 1234;
    SetWindowLongPtrW(other, DWLP_USER, reinterpret_cast<LONG_PTR>(&fake));
    EXPECT_TRUE(uiform_get_userdata(other) == 0 && !uiform_get_item_value(other, 1) && !uiform_update_item(other, 1));
    DestroyWindow(other);
    EXPECT_EQ(uiform_request(nullptr, nullptr, nullptr, nullptr, 0), -1);  // a missing form shows nothing
}
