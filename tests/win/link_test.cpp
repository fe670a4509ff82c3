// The link control on a real button: address, clipboard copies, painting,
// keyboard and mouse clicks, cursor and dialog codes, and clean detaching.
#include "win_test_util.h"
#include "modal_util.h"
#include "uiform/link.h"
#include "base/win_raii.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr int kLinkId = 100;
std::vector<std::pair<WPARAM, LPARAM>> g_commands;

LRESULT CALLBACK parent_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        g_commands.push_back({wp, lp});
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

// A visible top-level window holding one push button.
struct LinkFixture {
    HWND parent = nullptr;
    HWND button = nullptr;
    explicit LinkFixture(const wchar_t* address = L"https://clipnook.example.org/docs", DWORD options = 1) {
        static ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = parent_proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = L"LinkTestParent";
            return RegisterClassW(&wc);
        }();
        (void)atom;
        parent = CreateWindowExW(0, L"LinkTestParent", L"link", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        button = CreateWindowExW(0, L"Button", L"Visit the site", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 20, 20, 200,
                                 24, parent, reinterpret_cast<HMENU>(kLinkId), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        attached = link_attach(parent, kLinkId, GetModuleHandleW(nullptr), address, nullptr, options);
        g_commands.clear();
        pump_for(30);
    }
    ~LinkFixture() {
        if (IsWindow(parent)) DestroyWindow(parent);
        pump_messages();
    }
    int attached = 0;
};

std::wstring clipboard_unicode(HWND owner) {
    std::wstring text;
    ClipboardGuard clip(owner);
    if (!clip) return L"<no clipboard>";
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    if (!h) return L"<no unicode text>";
    GlobalLockGuard lock(h);
    if (lock) text.assign(lock.as<wchar_t>(), wcsnlen(lock.as<wchar_t>(), lock.size() / sizeof(wchar_t)));
    return text;
}

void put_clipboard_marker(HWND owner) {
    ClipboardGuard clip(owner);
    EmptyClipboard();
    GlobalBlock b(GlobalAlloc(GMEM_MOVEABLE, 4 * sizeof(wchar_t)));
    {
        GlobalLockGuard lock(b.get());
        memcpy(lock.get(), L"old", 4 * sizeof(wchar_t));
    }
    if (SetClipboardData(CF_UNICODETEXT, b.get())) b.release();
}

// Counts pixels of exactly `colour` in the control's client area, as painted on screen.
int count_pixels(HWND control, COLORREF colour) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    pump_for(30);
    RECT r;
    GetClientRect(control, &r);
    WindowDC dc(control);
    int n = 0;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            if (GetPixel(dc.get(), x, y) == colour) ++n;
    return n;
}

}  // namespace

TEST(Link, AttachKeepsAddressCutTo259AndUnderlinesTheFont) {
    std::wstring longAddress = L"https://clipnook.example.org/" + std::wstring(400, L'a');
    LinkFixture f(longAddress.c_str());
    ASSERT_EQ(f.attached, 1);
    // The caption is still the button's own text.
    EXPECT_EQ(window_text(f.button), L"Visit the site");
    SendMessageW(f.button, WM_CHAR, 3, 0);
    EXPECT_EQ(clipboard_unicode(f.parent), longAddress.substr(0, 259));

    LOGFONTW lf{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(f.button, WM_GETFONT, 0, 0));
    ASSERT_TRUE(font);
    GetObjectW(font, sizeof lf, &lf);
    EXPECT_TRUE(lf.lfUnderline);
    // A later font is underlined too; the address message sets no caption.
    SendMessageW(f.button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), FALSE);
    font = reinterpret_cast<HFONT>(SendMessageW(f.button, WM_GETFONT, 0, 0));
    GetObjectW(font, sizeof lf, &lf);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_EQ(SendMessageW(f.button, WM_SETTEXT, LINK_SETADDRESS, reinterpret_cast<LPARAM>(L"https://x.example/")), 1);
    EXPECT_EQ(window_text(f.button), L"Visit the site");
}

TEST(Link, CtrlCAndCopyLinkPutTheAddressAsUnicodeText) {
    LinkFixture f(L"https://clipnook.example.org/\u00e4\u20ac");
    put_clipboard_marker(f.parent);
    // Ctrl+C arrives as character 3; every other character is swallowed.
    EXPECT_EQ(SendMessageW(f.button, WM_CHAR, 'x', 0), 0);
    EXPECT_EQ(clipboard_unicode(f.parent), L"old");
    SendMessageW(f.button, WM_CHAR, 3, 0);
    EXPECT_EQ(clipboard_unicode(f.parent), L"https://clipnook.example.org/\u00e4\u20ac");

    put_clipboard_marker(f.parent);
    std::wstring item;
    PopupMenuDriver driver([&](HWND w, HMENU m) {
        item = menu_item_text(m, 0, true);
        PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(w, WM_KEYDOWN, VK_RETURN, 0);
    });
    RECT r;
    GetWindowRect(f.button, &r);
    EXPECT_EQ(SendMessageW(f.button, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.button), MAKELPARAM(r.left + 5, r.top + 5)), 1);
    ASSERT_TRUE(driver.opened());
    EXPECT_EQ(item, L"Copy link");
    EXPECT_EQ(clipboard_unicode(f.parent), L"https://clipnook.example.org/\u00e4\u20ac");
    EXPECT_TRUE(g_commands.empty());  // the menu command never reaches the dialog
}

TEST(Link, DrawnBlueAndGreyWhenDisabledWithTheHandCursorEither) {
    LinkFixture f;
    const COLORREF blue = RGB(0, 0, 255);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    EXPECT_GT(count_pixels(f.button, blue), 10);
    EnableWindow(f.button, FALSE);
    EXPECT_EQ(count_pixels(f.button, blue), 0);
    EXPECT_GT(count_pixels(f.button, grey), 10);
    EXPECT_EQ(SendMessageW(f.button, WM_SETCURSOR, reinterpret_cast<WPARAM>(f.button), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST(Link, SpaceAndMouseReleaseSendTheClickAndGiveBackTheCapture) {
    LinkFixture f;
    SetFocus(f.button);
    SendMessageW(f.button, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(f.button, WM_CHAR, ' ', 0);
    EXPECT_TRUE(g_commands.empty());
    SendMessageW(f.button, WM_KEYUP, VK_SPACE, 0xC0000001);
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].first, MAKEWPARAM(kLinkId, BN_CLICKED));
    EXPECT_EQ(g_commands[0].second, reinterpret_cast<LPARAM>(f.button));
    EXPECT_NE(GetCapture(), f.button);

    // A release without a press is no click.
    SendMessageW(f.button, WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_EQ(g_commands.size(), 1u);

    SendMessageW(f.button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(f.button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(g_commands.size(), 2u);
    EXPECT_EQ(g_commands[1].first, MAKEWPARAM(kLinkId, BN_CLICKED));
    EXPECT_NE(GetCapture(), f.button);
}

TEST(Link, WantsCharactersButIsNoDefaultButton) {
    LinkFixture f;
    LRESULT code = SendMessageW(f.button, WM_GETDLGCODE, 0, 0);
    EXPECT_TRUE(code & DLGC_WANTCHARS);
    EXPECT_TRUE(code & DLGC_BUTTON);
    EXPECT_FALSE(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
    // The button highlight is only remembered, never drawn by the button.
    EXPECT_EQ(SendMessageW(f.button, BM_SETSTATE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageW(f.button, BM_SETSTATE, FALSE, 0), 0);
    EXPECT_EQ(SendMessageW(f.button, WM_ERASEBKGND, 0, 0), 0);
    EXPECT_EQ(SendMessageW(f.button, WM_ENABLE, TRUE, 0), 0);
}

TEST(Link, OpenNeedsALinkWithAnAddress) {
    LinkFixture f(L"");
    INT_PTR result = 77;
    EXPECT_FALSE(link_open(f.parent, kLinkId, &result));
    EXPECT_EQ(result, 0);
    result = 77;
    EXPECT_FALSE(link_open(f.parent, 4711, &result));  // no such control
    EXPECT_EQ(result, 0);
    // A plain button whose user data holds something else is no link.
    HWND plain = CreateWindowExW(0, L"Button", L"plain", WS_CHILD, 0, 0, 10, 10, f.parent,
                                 reinterpret_cast<HMENU>(101), nullptr, nullptr);
    SetWindowLongPtrW(plain, GWLP_USERDATA, 0x12345678);
    result = 77;
    EXPECT_FALSE(link_open(f.parent, 101, &result));
    EXPECT_EQ(result, 0);
}

TEST(Link, OpenHandsTheAddressToTheShell) {
    // A missing file: the shell's failure comes back, no browser is started.
    LinkFixture f(L"C:\\no\\such\\file.clipnook-test");
    INT_PTR result = 0;
    EXPECT_FALSE(link_open(f.parent, kLinkId, &result));
    EXPECT_LE(result, 32);
    EXPECT_NE(result, 0);
}

TEST(Link, DestroyPutsTheButtonBack) {
    LinkFixture f;
    // Destroying the parent destroys the link with its tooltip; nothing of it is left.
    HWND tip = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(w, cls, 32);
            if (lstrcmpiW(cls, L"tooltips_class32") == 0) *reinterpret_cast<HWND*>(p) = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tip));
    ASSERT_TRUE(tip);
    EXPECT_EQ(GetWindow(tip, GW_OWNER), f.parent);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    DestroyWindow(f.button);
    EXPECT_FALSE(IsWindow(tip));
}
