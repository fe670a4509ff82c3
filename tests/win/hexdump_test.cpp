// The UIHexDump control in a real top-level window: its messages, mouse and
// keys at computed client points, scrolling, header menus, dump text, the
// clipboard and what it paints.
#include "win_test_util.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK host_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

const wchar_t* host_class() {
    static ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = host_proc;
        wc.hInstance = g_instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"HexDumpTestHost";
        return RegisterClassW(&wc);
    }();
    return atom ? L"HexDumpTestHost" : nullptr;
}

// The cell the control measures: "." in Courier New at the GUI font's height.
SIZE measure_cell() {
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    LOGFONTW lf{};
    lf.lfHeight = gui.lfHeight;
    lstrcpyW(lf.lfFaceName, L"Courier New");
    HFONT f = CreateFontIndirectW(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, f);
    SIZE s{};
    GetTextExtentPoint32W(dc, L".", 1, &s);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(f);
    return s;
}

struct HexDumpWindow {
    HWND top = nullptr;
    HWND hex = nullptr;
    HGLOBAL block = nullptr;
    int w = 0, h = 0;

    explicit HexDumpWindow(int clientWidth = 700, int clientHeight = 400) {
        RECT r{0, 0, clientWidth, clientHeight};
        AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
        top = CreateWindowExW(0, host_class(), L"Hex dump test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, g_instance, nullptr);
        hex = CreateWindowExW(WS_EX_CLIENTEDGE, UIHEXDUMP_CLASS, L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | UIHDS_HEADER |
                                  UIHDS_NOHEADERBUTTONS,
                              0, 0, clientWidth, clientHeight, top, reinterpret_cast<HMENU>(1235), g_instance,
                              nullptr);
        ShowWindow(top, SW_SHOWNORMAL);
        SetForegroundWindow(top);
        SIZE c = measure_cell();
        w = c.cx;
        h = c.cy;
        pump_for(30);
    }
    ~HexDumpWindow() {
        if (top) DestroyWindow(top);
        if (block) GlobalFree(block);
        pump_messages();
    }

    // A block of `n` bytes; byte i is i & 0xFF unless a fill is given.
    void set_data(size_t n, const std::vector<uint8_t>& fill = {}, WPARAM count = static_cast<WPARAM>(-1)) {
        HGLOBAL old = block;
        block = GlobalAlloc(GMEM_MOVEABLE, n ? n : 1);
        auto* p = static_cast<uint8_t*>(GlobalLock(block));
        for (size_t i = 0; i < n; ++i) p[i] = fill.empty() ? static_cast<uint8_t>(i) : fill[i % fill.size()];
        GlobalUnlock(block);
        SendMessageW(hex, UIHDM_SETDATA, n ? count : 0, reinterpret_cast<LPARAM>(block));
        if (old) GlobalFree(old);
    }
    LRESULT send(UINT m, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageW(hex, m, wp, lp); }
    void select(int a, int c) const { send(UIHDM_SETSEL, static_cast<WPARAM>(a), c); }
    std::pair<int, int> sel() const {
        int a = -7, c = -7;
        send(UIHDM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&c));
        return {a, c};
    }
    int top_offset() const {
        int t = -7;
        send(UIHDM_GETTOPOFFSET, reinterpret_cast<WPARAM>(&t));
        return t;
    }
    HWND header() const { return reinterpret_cast<HWND>(send(UIHDM_GETHEADER)); }
    RECT item_rect(int i) const {
        RECT r{};
        SendMessageW(header(), HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    std::wstring item_text(int i) const {
        wchar_t buf[64] = {};
        HDITEMW it{};
        it.mask = HDI_TEXT;
        it.pszText = buf;
        it.cchTextMax = 64;
        SendMessageW(header(), HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&it));
        return buf;
    }
    int body_top() const {
        RECT r;
        GetWindowRect(header(), &r);
        MapWindowPoints(nullptr, hex, reinterpret_cast<POINT*>(&r), 2);
        return r.bottom;
    }
    SCROLLINFO vscroll() const {
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(hex, SB_VERT, &si);
        return si;
    }
    SCROLLINFO hscroll() const {
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(hex, SB_HORZ, &si);
        return si;
    }
    // Client point inside row k (from the top shown), at pixel dx of dump cell j.
    POINT dump_point(int k, int j, int dx) const {
        int g = 4, b = w / 2 + 2 * w;
        return POINT{static_cast<LONG>(item_rect(1).left + w / 2 + b * j + (j / g) * w + dx),
                     static_cast<LONG>(body_top() + 1 + k * h + h / 2)};
    }
    POINT ascii_point(int k, int j, int dx) const {
        return POINT{static_cast<LONG>(item_rect(2).left + w + (w + 1) * j + dx),
                     static_cast<LONG>(body_top() + 1 + k * h + h / 2)};
    }
    RECT dump_cell(int k, int j) const {
        POINT p = dump_point(k, j, 0);
        int top = body_top() + 1 + k * h;
        return RECT{p.x, top, p.x + w / 2 + 2 * w, top + h};
    }
    RECT ascii_cell(int k, int j) const {
        POINT p = ascii_point(k, j, 0);
        int top = body_top() + 1 + k * h;
        return RECT{p.x, top, p.x + w + 1, top + h};
    }
    // A click that the drag detection sees released at once.
    void click(POINT p, UINT msg = WM_LBUTTONDOWN, WPARAM keys = MK_LBUTTON) const {
        PostMessageW(hex, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        send(msg, keys, MAKELPARAM(p.x, p.y));
        pump_messages();
    }
    // A press that the drag detection reports as a drag.
    // The detection looks at the button's key state first, then at the queue.
    void press_and_drag(POINT p) const {
        BYTE saved[256], k[256];
        GetKeyboardState(saved);
        memcpy(k, saved, sizeof k);
        k[VK_LBUTTON] = 0x80;
        SetKeyboardState(k);
        PostMessageW(hex, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30000, 30000));
        send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SetKeyboardState(saved);
    }
    std::string dump_text(int* len = nullptr) const {
        int n = -1;
        HGLOBAL t = reinterpret_cast<HGLOBAL>(send(UIHDM_GETDUMPTEXT, 0, reinterpret_cast<LPARAM>(&n)));
        if (len) *len = n;
        if (!t) return "<null>";
        const char* p = static_cast<const char*>(GlobalLock(t));
        std::string s(p, static_cast<size_t>(n));
        EXPECT_EQ(p[n], '\0');
        EXPECT_GE(GlobalSize(t), static_cast<SIZE_T>(n) + 1);
        GlobalUnlock(t);
        GlobalFree(t);
        return s;
    }
};

// Holds Shift and/or Ctrl in this thread's key state, as GetKeyState reads it.
struct HeldKeys {
    BYTE saved[256];
    HeldKeys(bool shift, bool ctrl) {
        GetKeyboardState(saved);
        BYTE k[256];
        memcpy(k, saved, sizeof k);
        k[VK_SHIFT] = k[VK_LSHIFT] = shift ? 0x80 : 0;
        k[VK_CONTROL] = k[VK_LCONTROL] = ctrl ? 0x80 : 0;
        k[VK_MENU] = 0;
        SetKeyboardState(k);
    }
    ~HeldKeys() { SetKeyboardState(saved); }
};

void key(const HexDumpWindow& d, UINT vk, bool shift = false, bool ctrl = false) {
    HeldKeys held(shift, ctrl);
    d.send(WM_KEYDOWN, vk, 1);
}

std::string clipboard_text() {
    std::string s = "<none>";
    if (!OpenClipboard(nullptr)) return "<closed>";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        const char* p = static_cast<const char*>(GlobalLock(h));
        if (p) s = p;
        GlobalUnlock(h);
    }
    CloseClipboard();
    return s;
}

void put_clipboard_text(const char* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    size_t n = strlen(text) + 1;
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, n);
    memcpy(GlobalLock(g), text, n);
    GlobalUnlock(g);
    SetClipboardData(CF_TEXT, g);
    CloseClipboard();
}

// Paints the control into a client-sized bitmap through WM_PAINT's wParam.
struct Snapshot {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    explicit Snapshot(const HexDumpWindow& d) {
        RECT c;
        GetClientRect(d.hex, &c);
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bmp = CreateCompatibleBitmap(screen, c.right, c.bottom);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bmp);
        RECT all{0, 0, c.right, c.bottom};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        d.send(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    }
    ~Snapshot() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
    COLORREF at(POINT p) const { return GetPixel(dc, p.x, p.y); }
    // The colour most pixels of a cell have: its background, whatever the
    // glyph (and its smoothing) covers.
    COLORREF background(const RECT& r) const {
        std::vector<std::pair<COLORREF, int>> counts;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                COLORREF c = GetPixel(dc, x, y);
                auto it = std::find_if(counts.begin(), counts.end(), [c](auto& e) { return e.first == c; });
                if (it == counts.end()) counts.push_back({c, 1});
                else ++it->second;
            }
        auto best = std::max_element(counts.begin(), counts.end(),
                                     [](auto& a, auto& b) { return a.second < b.second; });
        return best == counts.end() ? CLR_INVALID : best->first;
    }
};

}  // namespace

// ---- creation and the data messages ----

TEST(HexDumpControl, HeaderItemsWidthsAndIdealWidth) {
    HexDumpWindow d;
    ASSERT_TRUE(d.hex);
    ASSERT_TRUE(d.header());
    EXPECT_EQ(window_class(d.header()), L"SysHeader32");
    EXPECT_EQ(GetWindowLongW(d.header(), GWL_STYLE) & HDS_BUTTONS, 0);
    EXPECT_NE(GetWindowLongW(d.header(), GWL_STYLE) & HDS_DRAGDROP, 0);
    EXPECT_EQ(SendMessageW(d.header(), HDM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(d.item_text(0), L"Hex. Offset");
    EXPECT_EQ(d.item_text(1), L"Hexadecimal Dump");
    EXPECT_EQ(d.item_text(2), L"ASCII Dump");
    const int w = d.w;
    EXPECT_EQ(d.item_rect(0).right - d.item_rect(0).left, 10 * w);
    EXPECT_EQ(d.item_rect(1).right - d.item_rect(1).left, (w / 2 + 2 * w) * 16 + w + 3 * w);
    EXPECT_EQ(d.item_rect(2).right - d.item_rect(2).left, (w + 1) * 16 + 2 * w);
    const int total = 10 * w + (w / 2 + 2 * w) * 16 + 4 * w + (w + 1) * 16 + 2 * w;
    RECT r{0, 0, total + GetSystemMetrics(SM_CXVSCROLL), 0};
    AdjustWindowRectEx(&r, 0x54010003, FALSE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(d.send(UIHDM_GETIDEALWIDTH), r.right - r.left);
    EXPECT_EQ(GetWindowLongW(d.hex, GWL_STYLE) & 0xFFFF0003, 0x54010003);
    EXPECT_EQ(d.send(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST(HexDumpControl, SetDataCountsAndClampsToTheBlock) {
    HexDumpWindow d;
    EXPECT_EQ(d.send(UIHDM_GETDATA), 0);
    d.set_data(100);
    EXPECT_EQ(d.send(UIHDM_GETDATA), reinterpret_cast<LRESULT>(d.block));
    d.select(0, -1);
    EXPECT_EQ(d.sel(), std::make_pair(0, static_cast<int>(GlobalSize(d.block))));
    // An explicit count is used as given...
    d.send(UIHDM_SETDATA, 20, reinterpret_cast<LPARAM>(d.block));
    EXPECT_EQ(d.sel(), std::make_pair(0, 0));  // reset by the data change
    d.select(-1, -1);
    EXPECT_EQ(d.sel(), std::make_pair(20, 20));
    // ...but never beyond the block: nothing may read past it.
    d.send(UIHDM_SETDATA, 1 << 30, reinterpret_cast<LPARAM>(d.block));
    d.select(-1, -1);
    EXPECT_EQ(d.sel().first, static_cast<int>(GlobalSize(d.block)));
    d.select(0, -1);
    std::vector<uint8_t> buf(4096, 0xEE);
    EXPECT_EQ(d.send(UIHDM_GETSELBYTES, buf.size(), reinterpret_cast<LPARAM>(buf.data())),
              static_cast<LRESULT>(GlobalSize(d.block)));
    // No block: size 0, the view empty.
    d.send(UIHDM_SETDATA, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(d.send(UIHDM_GETDATA), 0);
    d.select(5, 9);
    EXPECT_EQ(d.sel(), std::make_pair(0, 0));
    EXPECT_EQ(d.dump_text(), "<null>");
}

TEST(HexDumpControl, SelectionMessagesClampAndKeepOrder) {
    HexDumpWindow d;
    d.set_data(100);
    d.select(-1, -1);
    EXPECT_EQ(d.sel(), std::make_pair(100, 100));
    d.select(5, 2);
    EXPECT_EQ(d.sel(), std::make_pair(5, 2));
    d.select(100000, -5);
    EXPECT_EQ(d.sel(), std::make_pair(100, 0));
    d.select(7, 8);
    int a = -1;
    EXPECT_EQ(d.send(UIHDM_GETSEL, reinterpret_cast<WPARAM>(&a), 0), 1);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(d.send(UIHDM_GETSEL, 0, 0), 1);
}

TEST(HexDumpControl, TopOffsetBeyondTheDataShowsTheLastPage) {
    HexDumpWindow d;
    d.set_data(16 * 1000);
    SCROLLINFO si = d.vscroll();
    const int visible = static_cast<int>(si.nPage);
    EXPECT_EQ(visible, (400 - 4 - d.body_top()) / d.h);
    EXPECT_EQ(si.nMax, 999);
    d.send(UIHDM_SETTOPOFFSET, 16 * 5000);
    EXPECT_EQ(d.top_offset(), (1000 - visible) * 16);
    EXPECT_EQ(d.vscroll().nPos, 1000 - visible);
    d.send(UIHDM_SETTOPOFFSET, 16 * 10 + 7);  // inside row 10
    EXPECT_EQ(d.top_offset(), 160);
    // Ensure the caret visible: below the page it becomes the last row shown.
    d.select(16 * 500 + 3, 16 * 500 + 3);
    EXPECT_EQ(d.top_offset(), 160);  // SETSEL does not scroll
    d.send(UIHDM_ENSURECARETVISIBLE);
    EXPECT_EQ(d.top_offset(), (500 - visible + 1) * 16);
    d.select(16, 16);
    d.send(UIHDM_ENSURECARETVISIBLE);
    EXPECT_EQ(d.top_offset(), 16);
}

TEST(HexDumpControl, FindForwardWrapAndMisses) {
    HexDumpWindow d;
    const char text[] = "needle..haystack..needle..end";
    d.set_data(sizeof text - 1, std::vector<uint8_t>(text, text + sizeof text - 1));
    HexDumpFindRequest r{reinterpret_cast<const BYTE*>("needle"), 6};
    EXPECT_EQ(d.send(UIHDM_FIND, 0, reinterpret_cast<LPARAM>(&r)), 1);
    EXPECT_EQ(d.sel(), std::make_pair(0, 6));
    EXPECT_EQ(d.send(UIHDM_FIND, 0, reinterpret_cast<LPARAM>(&r)), 1);
    EXPECT_EQ(d.sel(), std::make_pair(18, 24));
    EXPECT_EQ(d.send(UIHDM_FIND, 0, reinterpret_cast<LPARAM>(&r)), 1);  // wraps
    EXPECT_EQ(d.sel(), std::make_pair(0, 6));
    HexDumpFindRequest miss{reinterpret_cast<const BYTE*>("pin"), 3};
    EXPECT_EQ(d.send(UIHDM_FIND, 0, reinterpret_cast<LPARAM>(&miss)), 0);
    EXPECT_EQ(d.sel(), std::make_pair(0, 6));  // a miss keeps the selection
    std::string longer(40, 'n');
    HexDumpFindRequest big{reinterpret_cast<const BYTE*>(longer.data()), 40};
    EXPECT_EQ(d.send(UIHDM_FIND, 0, reinterpret_cast<LPARAM>(&big)), 0);
    HexDumpFindRequest empty{reinterpret_cast<const BYTE*>(""), 0};
    d.select(3, 10);
    EXPECT_EQ(d.send(UIHDM_FIND, 0, reinterpret_cast<LPARAM>(&empty)), 1);
    EXPECT_EQ(d.sel(), std::make_pair(10, 10));
    EXPECT_EQ(d.send(UIHDM_FIND, 0, 0), 0);
    d.send(UIHDM_SETDATA, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(d.send(UIHDM_FIND, 0, reinterpret_cast<LPARAM>(&r)), 0);
}

TEST(HexDumpControl, SelBytesCopiesUpToCapacity) {
    HexDumpWindow d;
    d.set_data(50);
    std::vector<uint8_t> buf(8, 0xEE);
    d.select(10, 10);
    EXPECT_EQ(d.send(UIHDM_GETSELBYTES, buf.size(), reinterpret_cast<LPARAM>(buf.data())), 0);
    d.select(30, 10);
    EXPECT_EQ(d.send(UIHDM_GETSELBYTES, buf.size(), reinterpret_cast<LPARAM>(buf.data())), 8);
    EXPECT_EQ(buf[0], 10);
    EXPECT_EQ(buf[7], 17);
    EXPECT_EQ(d.send(UIHDM_GETSELBYTES, 0, reinterpret_cast<LPARAM>(buf.data())), 0);
    EXPECT_EQ(d.send(UIHDM_GETSELBYTES, static_cast<WPARAM>(-4), reinterpret_cast<LPARAM>(buf.data())), 0);
    std::vector<uint8_t> wide(100, 0xEE);
    EXPECT_EQ(d.send(UIHDM_GETSELBYTES, wide.size(), reinterpret_cast<LPARAM>(wide.data())), 20);
    EXPECT_EQ(wide[20], 0xEE);  // no terminator
}

// ---- dump text and the clipboard ----

TEST(HexDumpText, DefaultFormatAndFlagsFromTheMenus) {
    HexDumpWindow d;
    d.set_data(3, {0x61, 0x62, 0x63});
    d.select(0, 3);
    int len = 0;
    std::string t = d.dump_text(&len);
    EXPECT_EQ(len, 80);
    EXPECT_EQ(t, "00000000  61 62 63" + std::string(44, ' ') + "abc" + std::string(13, ' ') + "\r\n");
    d.select(2, 2);
    EXPECT_EQ(d.dump_text(&len), "");
    EXPECT_EQ(len, 0);
    d.select(3, 0);  // reversed selection gives the same text
    uihexdump_header_command(d.hex, 0, 1003);  // offset off
    uihexdump_header_command(d.hex, 1, 1016);  // dump off
    EXPECT_EQ(d.dump_text(), "abc" + std::string(13, ' ') + "\r\n");
    uihexdump_header_command(d.hex, 2, 1002);  // ASCII off
    EXPECT_EQ(d.dump_text(), "\r\n");
    uihexdump_header_command(d.hex, 0, 1003);
    uihexdump_header_command(d.hex, 0, 1001);  // decimal offsets
    EXPECT_EQ(d.dump_text(), "       0  \r\n");
}

TEST(HexDumpText, TwentyBytesFromOffset8AndTenPerRow) {
    HexDumpWindow d;
    d.set_data(64);
    d.select(8, 28);
    std::string t = d.dump_text();
    ASSERT_EQ(t.size(), 160u);
    EXPECT_EQ(t.substr(0, 10), "00000008  ");
    EXPECT_EQ(t.substr(80, 23), "00000018  18 19 1A 1B  ");
    uihexdump_header_command(d.hex, 1, 1006);  // 10 bytes per row
    uihexdump_header_command(d.hex, 0, 1003);
    uihexdump_header_command(d.hex, 2, 1002);
    d.select(0, 10);
    EXPECT_EQ(d.dump_text(), "00 01 02 03  04 05 06 07  08 09  \r\n");
}

TEST(HexDumpText, CopyPutsBytesWithSpacesForNulsOnTheClipboard) {
    HexDumpWindow d;
    d.set_data(6, {'a', 0, 'b', 0, 0, 'c'});
    d.select(0, 6);
    d.send(WM_COPY);
    EXPECT_EQ(clipboard_text(), "a b  c");
    d.select(3, 3);
    d.send(WM_COPY);
    EXPECT_EQ(clipboard_text(), "");
    // Without data the clipboard keeps what it had.
    put_clipboard_text("keep me");
    d.send(UIHDM_SETDATA, static_cast<WPARAM>(-1), 0);
    d.send(WM_COPY);
    EXPECT_EQ(clipboard_text(), "keep me");
}

// ---- keyboard ----

TEST(HexDumpKeys, MovementWithAndWithoutShift) {
    HexDumpWindow d;
    d.set_data(100);
    SetFocus(d.hex);
    d.select(4, 10);
    key(d, VK_LEFT);
    EXPECT_EQ(d.sel(), std::make_pair(9, 9));
    key(d, VK_RIGHT, true);
    key(d, VK_RIGHT, true);
    EXPECT_EQ(d.sel(), std::make_pair(9, 11));
    key(d, VK_DOWN, true);
    EXPECT_EQ(d.sel(), std::make_pair(9, 27));
    key(d, VK_UP);
    EXPECT_EQ(d.sel(), std::make_pair(11, 11));
    key(d, VK_UP);  // would be negative: nothing
    EXPECT_EQ(d.sel(), std::make_pair(11, 11));
    d.select(90, 90);
    key(d, VK_DOWN);  // fewer than 16 follow: nothing
    EXPECT_EQ(d.sel(), std::make_pair(90, 90));
    d.select(0, 0);
    key(d, VK_LEFT);
    EXPECT_EQ(d.sel(), std::make_pair(0, 0));
    d.select(20, 100);
    key(d, VK_RIGHT);  // collapses at the end
    EXPECT_EQ(d.sel(), std::make_pair(100, 100));
    key(d, VK_HOME, true);
    EXPECT_EQ(d.sel(), std::make_pair(100, 0));
    key(d, VK_END);
    EXPECT_EQ(d.sel(), std::make_pair(100, 100));
}

TEST(HexDumpKeys, PagesScrollKeysAndPostedCommands) {
    HexDumpWindow d;
    d.set_data(16 * 1000);
    const int visible = static_cast<int>(d.vscroll().nPage);
    SetFocus(d.hex);
    d.select(2 * 16 + 5, 2 * 16 + 5);
    key(d, VK_PRIOR);
    EXPECT_EQ(d.sel(), std::make_pair(5, 5));
    key(d, VK_NEXT);
    EXPECT_EQ(d.sel().second, 5 + visible * 16);
    EXPECT_EQ(d.top_offset(), 16);  // the caret's row is revealed
    d.select(16 * 999 + 3, 16 * 999 + 3);
    key(d, VK_NEXT);
    EXPECT_EQ(d.sel().second, 16 * 1000);
    // Ctrl+Down scrolls without moving the caret.
    d.select(0, 0);
    d.send(UIHDM_SETTOPOFFSET, 0);
    key(d, VK_DOWN, false, true);
    EXPECT_EQ(d.top_offset(), 16);
    EXPECT_EQ(d.sel(), std::make_pair(0, 0));
    key(d, VK_NEXT, false, true);
    EXPECT_EQ(d.top_offset(), 16 * visible);
    key(d, VK_END, false, true);
    EXPECT_EQ(d.top_offset(), 16 * (1000 - visible));
    key(d, VK_HOME, false, true);
    EXPECT_EQ(d.top_offset(), 0);
    // Ctrl+A and Ctrl+C are posted and run from the queue.
    put_clipboard_text("before");
    key(d, 'A', false, true);
    EXPECT_EQ(d.sel(), std::make_pair(0, 0));
    pump_messages();
    EXPECT_EQ(d.sel(), std::make_pair(0, 16000));
    d.select(0x41, 0x44);
    key(d, 'C', false, true);
    EXPECT_EQ(clipboard_text(), "before");
    pump_messages();
    EXPECT_EQ(clipboard_text(), "ABC");
    // Keys outside the tables change nothing.
    key(d, VK_RIGHT, true, true);
    key(d, VK_DELETE);
    key(d, VK_BACK);
    pump_messages();
    EXPECT_EQ(d.sel(), std::make_pair(0x41, 0x44));
}

TEST(HexDumpKeys, HorizontalScrollMovesHeaderAndColumns) {
    HexDumpWindow d(300, 200);
    d.set_data(64);
    SCROLLINFO si = d.hscroll();
    RECT client;
    GetClientRect(d.hex, &client);
    const int width = client.right;
    EXPECT_EQ(static_cast<int>(si.nPage), width);
    const int total = si.nMax + 1;
    RECT before = d.item_rect(0);
    key(d, VK_RIGHT, false, true);
    EXPECT_EQ(d.hscroll().nPos, d.w);
    RECT hdr;
    GetWindowRect(d.header(), &hdr);
    MapWindowPoints(nullptr, d.hex, reinterpret_cast<POINT*>(&hdr), 2);
    EXPECT_EQ(hdr.left, -d.w);
    EXPECT_EQ(hdr.right, width);  // right end stays at the client's edge
    d.send(WM_HSCROLL, SB_RIGHT);
    EXPECT_EQ(d.hscroll().nPos, total - width);
    d.send(WM_HSCROLL, SB_LEFT);
    EXPECT_EQ(d.hscroll().nPos, 0);
    EXPECT_EQ(d.item_rect(0).left, before.left);
}

// ---- mouse ----

TEST(HexDumpMouse, ClicksHalvesGapsAndShift) {
    HexDumpWindow d;
    d.set_data(200);
    d.click(d.dump_point(1, 5, 1));
    EXPECT_EQ(GetFocus(), d.hex);
    EXPECT_EQ(d.sel(), std::make_pair(21, 21));
    const int b = d.w / 2 + 2 * d.w;
    d.click(d.dump_point(1, 5, b - 2));
    EXPECT_EQ(d.sel(), std::make_pair(22, 22));
    d.click(d.dump_point(1, 3, b + 2));  // the gap after byte 3
    EXPECT_EQ(d.sel(), std::make_pair(20, 20));
    d.click(d.dump_point(3, 0, 1), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(d.sel(), std::make_pair(20, 48));
    d.click(d.ascii_point(0, 2, d.w - 1));  // right half of character 2
    EXPECT_EQ(d.sel(), std::make_pair(3, 3));
    // Double clicks select one byte.
    d.click(d.dump_point(2, 7, b - 2), WM_LBUTTONDBLCLK);
    EXPECT_EQ(d.sel(), std::make_pair(39, 40));
    d.click(d.ascii_point(2, 7, d.w - 1), WM_LBUTTONDBLCLK);
    EXPECT_EQ(d.sel(), std::make_pair(40, 41));
    // The offset column and the header do not select.
    d.click(POINT{d.item_rect(0).left + 3, d.dump_point(0, 0, 0).y});
    d.click(POINT{50, 3});
    EXPECT_EQ(d.sel(), std::make_pair(40, 41));
}

TEST(HexDumpMouse, DragSelectsAndAutoScrollsUp) {
    HexDumpWindow d;
    d.set_data(16 * 1000);
    d.send(UIHDM_SETTOPOFFSET, 16 * 500);
    d.press_and_drag(d.dump_point(2, 4, 1));
    EXPECT_EQ(GetCapture(), d.hex);
    EXPECT_EQ(d.sel(), std::make_pair(16 * 502 + 4, 16 * 502 + 4));
    POINT p = d.dump_point(4, 9, 1);
    d.send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(d.sel(), std::make_pair(16 * 502 + 4, 16 * 504 + 9));
    // Two row heights above the body's first row: speed 3, one row per tick.
    const int y = d.body_top() + d.h - 3 * d.h;
    // The real pointer goes there too, so moves the system makes up agree.
    POINT screen{p.x, y};
    ClientToScreen(d.hex, &screen);
    SetCursorPos(screen.x, screen.y);
    d.send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, y));
    // One row per tick: the caret climbs from row 504 to the top row (500),
    // then the view follows it.
    pump_for(1300);
    const int rows = 504 - d.sel().second / 16;
    EXPECT_GE(rows, 5);
    EXPECT_LE(rows, 10);
    EXPECT_EQ(d.sel().second % 16, 0);  // the caret jumps to row starts
    EXPECT_EQ(d.sel().second / 16, d.top_offset() / 16);
    EXPECT_LT(d.top_offset(), 16 * 500);
    // Release: tracking ends and the scrolling stops at the next tick.
    d.send(WM_LBUTTONUP, 0, MAKELPARAM(p.x, y));
    EXPECT_NE(GetCapture(), d.hex);
    const int stopped = d.top_offset();
    pump_for(400);
    EXPECT_EQ(d.top_offset(), stopped);
}

TEST(HexDumpMouse, AutoScrollStepGrowsWithTheDistance) {
    HexDumpWindow d;
    d.set_data(16 * 1000);
    d.send(UIHDM_SETTOPOFFSET, 16 * 500);
    d.press_and_drag(d.dump_point(2, 4, 1));
    POINT p = d.dump_point(2, 4, 1);
    // Four row heights above the first row's band edge: speed 5, 8 rows a tick.
    const int up = d.body_top() + d.h - 5 * d.h;
    POINT screen{p.x, up};
    ClientToScreen(d.hex, &screen);
    SetCursorPos(screen.x, screen.y);
    d.send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, up));
    EXPECT_EQ(d.sel().second, 16 * 502 + 4);  // entering the band does not move the caret
    d.send(WM_TIMER, 1002);
    EXPECT_EQ(d.sel().second, 16 * (502 - 8));
    EXPECT_EQ(d.top_offset(), 16 * (502 - 8));
    // Below the client: speed 4, four rows a tick downward.
    RECT c;
    GetClientRect(d.hex, &c);
    const int down = c.bottom + 3 * d.h;
    d.send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, down));
    d.send(WM_TIMER, 1002);
    EXPECT_EQ(d.sel().second, 16 * (502 - 8 + 4));
    EXPECT_EQ(d.sel().first, 16 * 502 + 4);
    // Back over a column: plain dragging, the timer's next tick does nothing.
    d.send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    const auto sel = d.sel();
    d.send(WM_TIMER, 1002);
    EXPECT_EQ(d.sel(), sel);
    d.send(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(HexDumpMouse, LosingTheCaptureEndsTheDrag) {
    HexDumpWindow d;
    d.set_data(1000);
    d.press_and_drag(d.dump_point(0, 1, 1));
    ASSERT_EQ(GetCapture(), d.hex);
    SetCapture(d.top);
    POINT p = d.dump_point(3, 3, 1);
    d.send(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(d.sel(), std::make_pair(1, 1));
    ReleaseCapture();
}

// ---- scrolling ----

TEST(HexDumpScroll, ScrollBarCodesAnd32BitThumb) {
    HexDumpWindow d;
    d.set_data(16 * 100000);
    const int visible = static_cast<int>(d.vscroll().nPage);
    d.send(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(d.top_offset(), 16);
    d.send(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(d.top_offset(), 16 * visible);
    d.send(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(d.top_offset(), 16);
    d.send(WM_VSCROLL, SB_LINEUP);
    d.send(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(d.top_offset(), 0);
    // The thumb position comes from the bar (32 bits), not the message's 16.
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 70000, 0};
    SetScrollInfo(d.hex, SB_VERT, &si, FALSE);
    d.send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 70000 & 0xFFFF));
    EXPECT_EQ(d.top_offset(), 16 * 70000);
    d.send(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(d.top_offset(), 16 * (100000 - visible));
    d.send(WM_VSCROLL, SB_ENDSCROLL);
    EXPECT_EQ(d.top_offset(), 16 * (100000 - visible));
}

// ---- header and menus ----

TEST(HexDumpHeader, DividerTrackingRefusedAndReorderRepaints) {
    HexDumpWindow d;
    d.set_data(64);
    NMHEADERW nm{};
    nm.hdr.hwndFrom = d.header();
    nm.hdr.code = HDN_BEGINTRACKW;
    EXPECT_EQ(d.send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm)), TRUE);
    nm.hdr.code = HDN_BEGINTRACKA;
    EXPECT_EQ(d.send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm)), TRUE);
    // Put the ASCII item first, as a drag would, then repaint.
    int order[3] = {2, 0, 1};
    SendMessageW(d.header(), HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
    ValidateRect(d.hex, nullptr);
    nm.hdr.code = HDN_ENDDRAG;
    EXPECT_EQ(d.send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm)), 0);
    RECT upd;
    EXPECT_TRUE(GetUpdateRect(d.hex, &upd, FALSE));
    EXPECT_EQ(d.item_rect(2).left, 0);
    d.select(0, 1);
    SetFocus(d.hex);
    Snapshot snap(d);
    // Byte 0 is selected: its ASCII cell now stands at the far left, its dump
    // cell after the offset column.
    COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(snap.background(d.ascii_cell(0, 0)), hl);
    EXPECT_EQ(snap.background(d.dump_cell(0, 0)), hl);
    EXPECT_EQ(snap.background(d.dump_cell(0, 1)), RGB(255, 255, 255));
    EXPECT_LT(d.ascii_point(0, 0, 0).x, d.item_rect(0).left);
    // Clicks follow the columns where they stand.
    d.click(d.ascii_point(0, 5, 1));
    EXPECT_EQ(d.sel(), std::make_pair(5, 5));
}

TEST(HexDumpHeader, MenusCarryTheirMarks) {
    HexDumpWindow d;
    auto state = [](HMENU m, UINT id) { return GetMenuState(m, id, MF_BYCOMMAND); };
    HMENU m0 = uihexdump_build_header_menu(d.hex, 0);
    ASSERT_TRUE(m0);
    EXPECT_EQ(GetMenuItemCount(m0), 4);
    EXPECT_TRUE(state(m0, 1000) & MF_CHECKED);
    EXPECT_FALSE(state(m0, 1001) & MF_CHECKED);
    EXPECT_TRUE(state(m0, 1003) & MF_CHECKED);
    char text[64];
    GetMenuStringA(m0, 1003, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Add to 'Copy As Dump'");
    DestroyMenu(m0);
    uihexdump_header_command(d.hex, 1, 1003);
    uihexdump_header_command(d.hex, 1, 1008);
    uihexdump_header_command(d.hex, 1, 1010);
    uihexdump_header_command(d.hex, 1, 1016);
    HMENU m1 = uihexdump_build_header_menu(d.hex, 1);
    EXPECT_EQ(GetMenuItemCount(m1), 17);
    for (UINT id : {1003u, 1008u, 1010u}) EXPECT_TRUE(state(m1, id) & MF_CHECKED) << id;
    for (UINT id : {1000u, 1007u, 1012u, 1016u}) EXPECT_FALSE(state(m1, id) & MF_CHECKED) << id;
    EXPECT_TRUE(state(m1, 1004) & MF_SEPARATOR);
    DestroyMenu(m1);
    uihexdump_header_command(d.hex, 2, 1003);
    HMENU m2 = uihexdump_build_header_menu(d.hex, 2);
    EXPECT_TRUE(state(m2, 1000) & MF_CHECKED);
    EXPECT_TRUE(state(m2, 1002) & MF_CHECKED);
    EXPECT_FALSE(state(m2, 1003) & MF_CHECKED);
    DestroyMenu(m2);
    EXPECT_EQ(uihexdump_build_header_menu(d.hex, 3), nullptr);
}

TEST(HexDumpHeader, MenuActionsChangeTextsWidthsAndRanges) {
    HexDumpWindow d(400, 300);
    d.set_data(1000);
    const int w = d.w;
    const int hBefore = d.hscroll().nMax;
    uihexdump_header_command(d.hex, 1, 1003);  // binary
    EXPECT_EQ(d.item_text(1), L"Binary Dump");
    EXPECT_EQ(d.item_rect(1).right - d.item_rect(1).left, (w / 2 + 8 * w) * 16 + w + 3 * w);
    EXPECT_EQ(d.hscroll().nMax, hBefore + 6 * w * 16);
    uihexdump_header_command(d.hex, 1, 1008);  // 32 per row
    EXPECT_EQ(d.item_rect(2).right - d.item_rect(2).left, (w + 1) * 32 + 2 * w);
    EXPECT_EQ(d.item_rect(1).right - d.item_rect(1).left, (w / 2 + 8 * w) * 32 + w + 7 * w);
    EXPECT_EQ(d.vscroll().nMax, (1000 + 31) / 32 - 1);
    uihexdump_header_command(d.hex, 1, 1010);  // no groups
    EXPECT_EQ(d.item_rect(1).right - d.item_rect(1).left, (w / 2 + 8 * w) * 32 + w);
    uihexdump_header_command(d.hex, 0, 1001);
    EXPECT_EQ(d.item_text(0), L"Dec. Offset");
    EXPECT_EQ(d.item_rect(0).right - d.item_rect(0).left, 10 * w);
    uihexdump_header_command(d.hex, 0, 1000);
    EXPECT_EQ(d.item_text(0), L"Hex. Offset");
    uihexdump_header_command(d.hex, 1, 1001);
    EXPECT_EQ(d.item_text(1), L"Decimal Dump");
    uihexdump_header_command(d.hex, 1, 1002);
    EXPECT_EQ(d.item_text(1), L"Octal Dump");
    // Settings survive a data change.
    d.set_data(10);
    EXPECT_EQ(d.item_text(1), L"Octal Dump");
    EXPECT_EQ(d.item_rect(2).right - d.item_rect(2).left, (w + 1) * 32 + 2 * w);
}

namespace {
int g_menu_downs = 0;
void CALLBACK drive_menu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu) return;
    KillTimer(nullptr, id);
    for (int i = 0; i < g_menu_downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, g_menu_downs ? VK_RETURN : VK_ESCAPE, 0);
}
}  // namespace

TEST(HexDumpHeader, RightClickOnTheDumpItemRunsItsMenu) {
    HexDumpWindow d;
    d.set_data(64);
    RECT item = d.item_rect(1);
    POINT pt{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(d.header(), &pt);
    // Four steps down is "Binary Dump".
    g_menu_downs = 4;
    UINT_PTR t = SetTimer(nullptr, 0, 100, drive_menu);
    d.send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(d.header()), MAKELPARAM(pt.x, pt.y));
    KillTimer(nullptr, t);
    EXPECT_EQ(d.item_text(1), L"Binary Dump");
    // A right click on a divider opens nothing.
    RECT first = d.item_rect(0);
    POINT div{first.right, (first.top + first.bottom) / 2};
    ClientToScreen(d.header(), &div);
    g_menu_downs = 0;
    t = SetTimer(nullptr, 0, 100, drive_menu);
    DWORD start = GetTickCount();
    d.send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(d.header()), MAKELPARAM(div.x, div.y));
    KillTimer(nullptr, t);
    EXPECT_LT(GetTickCount() - start, 100u);
    EXPECT_EQ(d.item_text(1), L"Binary Dump");
}

TEST(HexDumpHeader, WithoutHeaderColumnsStandInCreationOrder) {
    HexDumpWindow host;
    HWND bare = CreateWindowExW(0, UIHEXDUMP_CLASS, L"", WS_CHILD | WS_VISIBLE, 0, 0, 600, 200, host.top, nullptr,
                                g_instance, nullptr);
    ASSERT_TRUE(bare);
    EXPECT_EQ(SendMessageW(bare, UIHDM_GETHEADER, 0, 0), 0);
    SendMessageW(bare, UIHDM_SETDATA, 40, reinterpret_cast<LPARAM>(host.block = GlobalAlloc(GMEM_MOVEABLE, 40)));
    const int w = host.w, h = host.h;
    // Byte 5 of row 1: right of the offset column, no header above.
    const int x = 10 * w + w / 2 + (w / 2 + 2 * w) * 5 + w + 1, y = h + h / 2;
    PostMessageW(bare, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    SendMessageW(bare, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    pump_messages();
    int a = -1, c = -1;
    SendMessageW(bare, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&c));
    EXPECT_EQ(a, 21);
    EXPECT_EQ(c, 21);
    DestroyWindow(bare);
}

// ---- painting ----

TEST(HexDumpPaint, SelectionColoursFollowTheFocus) {
    HexDumpWindow d;
    d.set_data(64);
    d.select(2, 6);
    SetFocus(d.hex);
    pump_messages();
    const RECT selCell = d.dump_cell(0, 3), plainCell = d.dump_cell(0, 7), selChar = d.ascii_cell(0, 5);
    {
        Snapshot s(d);
        EXPECT_EQ(s.background(selCell), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_EQ(s.background(selChar), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_EQ(s.background(d.dump_cell(0, 2)), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_EQ(s.background(d.dump_cell(0, 6)), RGB(255, 255, 255));
        EXPECT_EQ(s.background(plainCell), RGB(255, 255, 255));
        EXPECT_EQ(s.at(5, 2), RGB(0, 0, 0));  // the header area is not painted
    }
    SetFocus(d.top);
    {
        Snapshot s(d);
        EXPECT_EQ(s.background(selCell), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(s.background(selChar), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(s.background(plainCell), RGB(255, 255, 255));
    }
}

TEST(HexDumpPaint, ShortLastRowAndNothingBelowTheData) {
    HexDumpWindow d;
    d.set_data(20);
    d.select(0, 20);
    SetFocus(d.hex);
    pump_messages();
    Snapshot s(d);
    const COLORREF hl = GetSysColor(COLOR_HIGHLIGHT), white = RGB(255, 255, 255);
    EXPECT_EQ(s.background(d.dump_cell(0, 15)), hl);
    EXPECT_EQ(s.background(d.dump_cell(1, 3)), hl);
    EXPECT_EQ(s.background(d.ascii_cell(1, 3)), hl);
    EXPECT_EQ(s.background(d.dump_cell(1, 4)), white);
    EXPECT_EQ(s.background(d.ascii_cell(1, 4)), white);
    EXPECT_EQ(s.background(d.dump_cell(2, 0)), white);
    // The offset column has ink on rows 0 and 1 only.
    auto ink = [&](int k) {
        int n = 0;
        RECT r = d.item_rect(0);
        for (int y = d.body_top() + 1 + k * d.h; y < d.body_top() + 1 + (k + 1) * d.h; ++y)
            for (int x = r.left; x < r.right; ++x) n += s.at(x, y) != white;
        return n;
    };
    EXPECT_GT(ink(0), 0);
    EXPECT_GT(ink(1), 0);
    EXPECT_EQ(ink(2), 0);
}

TEST(HexDumpPaint, CaretBarsAndEmptyStates) {
    HexDumpWindow d;
    d.set_data(40);
    d.select(21, 21);
    SetFocus(d.hex);
    const COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
    {
        Snapshot s(d);
        // Two-pixel bars over the whole row height before cell 5 of row 1.
        RECT bar = d.dump_cell(1, 5);
        bar.left -= 1;
        bar.right = bar.left + 2;
        EXPECT_EQ(s.background(bar), hl);
        EXPECT_EQ(s.at(bar.left, bar.top), hl);
        EXPECT_EQ(s.at(bar.right - 1, bar.bottom - 1), hl);
        RECT abar = d.ascii_cell(1, 5);
        abar.left -= 1;
        abar.right = abar.left + 2;
        EXPECT_EQ(s.at(abar.left, abar.top), hl);
        EXPECT_EQ(s.at(abar.right - 1, abar.bottom - 1), hl);
        EXPECT_EQ(s.background(d.dump_cell(1, 5)), RGB(255, 255, 255));  // nothing selected
        // No bar on the row above or below.
        EXPECT_NE(s.at(bar.left, bar.top - 2), hl);
        EXPECT_NE(s.at(bar.left, bar.bottom + 1), hl);
    }
    // A lockable block with no bytes shown: white body, caret at row 0 cell 0.
    d.send(UIHDM_SETDATA, 0, reinterpret_cast<LPARAM>(d.block));
    {
        Snapshot s(d);
        RECT cell = d.dump_cell(0, 0);
        EXPECT_EQ(s.at(cell.left - 1, cell.top + 1), hl);
        EXPECT_EQ(s.at(cell.left, cell.bottom - 1), hl);
        RECT a = d.ascii_cell(0, 0);
        EXPECT_EQ(s.at(a.left - 1, a.top + 1), hl);
        RECT body{0, d.body_top(), 300, 200};
        EXPECT_EQ(s.background(body), RGB(255, 255, 255));
    }
    // No data: the grey message centred, nothing else.
    d.send(UIHDM_SETDATA, static_cast<WPARAM>(-1), 0);
    {
        Snapshot s(d);
        RECT c;
        GetClientRect(d.hex, &c);
        const int midY = (d.body_top() + c.bottom) / 2;
        const COLORREF gray = GetSysColor(COLOR_GRAYTEXT);
        // Every non-white pixel (the text and its smoothing) lies in one
        // centred line; the plain grey ones exist.
        int inkLeft = c.right, inkRight = -1, grays = 0, stray = 0;
        for (int y = d.body_top(); y < c.bottom; ++y)
            for (int x = 0; x < c.right; x += 1) {
                COLORREF p = s.at(x, y);
                if (p == RGB(255, 255, 255)) continue;
                if (p == gray) ++grays;
                if (abs(y - midY) > d.h) ++stray;
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
        EXPECT_GT(grays, 10);
        EXPECT_EQ(stray, 0);
        ASSERT_GE(inkRight, 0);
        EXPECT_LE(abs((inkLeft + inkRight) / 2 - c.right / 2), 4);
        EXPECT_GT(inkRight - inkLeft, 16 * 3);
    }
}

TEST(HexDumpPaint, RealPaintFromTheQueue) {
    HexDumpWindow d;
    d.set_data(64);
    InvalidateRect(d.hex, nullptr, FALSE);
    UpdateWindow(d.hex);
    RECT upd;
    EXPECT_FALSE(GetUpdateRect(d.hex, &upd, FALSE));
}

// ---- large blocks ----

namespace {
double paint_ms(const HexDumpWindow& d, int rounds) {
    RECT c;
    GetClientRect(d.hex, &c);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, c.right, c.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    // The fastest of the rounds: other processes on the machine only ever add.
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        QueryPerformanceCounter(&a);
        d.send(WM_PAINT, reinterpret_cast<WPARAM>(dc));
        QueryPerformanceCounter(&b);
        best = std::min(best, 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart));
    }
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return best;
}
}  // namespace

// A 1 GiB block paints as fast as 4 KiB, also at its very end (timings printed).
TEST(HexDumpLarge, PaintCostDoesNotDependOnTheSize) {
    HexDumpWindow d(800, 600);
    d.set_data(4096);
    SetFocus(d.hex);
    // The same bytes and the same selection pattern on every page measured.
    d.select(100, 3000);
    paint_ms(d, 3);
    const double small = paint_ms(d, 20);
    const SIZE_T big = SIZE_T(1) << 30;
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, big);
    ASSERT_TRUE(g) << "no 1 GiB block";
    {
        auto* p = static_cast<uint8_t*>(GlobalLock(g));
        for (SIZE_T i = 0; i < 4096; ++i) p[i] = p[big - 4096 + i] = static_cast<uint8_t>(i);
        GlobalUnlock(g);
    }
    d.send(UIHDM_SETDATA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(g));
    d.select(100, 3000);
    paint_ms(d, 3);
    const double large = paint_ms(d, 20);
    key(d, VK_END, false, true);
    const int visible = static_cast<int>(d.vscroll().nPage);
    EXPECT_EQ(d.top_offset(), static_cast<int>(big / 16 - visible) * 16);
    const int firstShown = d.top_offset();
    d.select(firstShown + 100, firstShown + 3000);
    paint_ms(d, 3);
    const double atEnd = paint_ms(d, 20);
    key(d, VK_END);
    EXPECT_EQ(d.sel().second, static_cast<int>(big));
    printf("paint 4 KiB %.3f ms, 1 GiB %.3f ms (ratio %.2f), 1 GiB after Ctrl+End %.3f ms (ratio %.2f)\n", small,
           large, large / small, atEnd, atEnd / small);
    // Work that grew with the block would be thousands of times slower; the
    // loose bound leaves room for a machine busy with other builds.
    EXPECT_LT(large / small, 3.0);
    EXPECT_LT(atEnd / small, 3.0);
    d.send(UIHDM_SETDATA, static_cast<WPARAM>(-1), 0);
    GlobalFree(g);
}

// Not a check: keeps a window on screen for a screenshot when asked.
TEST(HexDumpShow, ForScreenshot) {
    const char* secs = getenv("HEXDUMP_SHOW_SECONDS");
    if (!secs) GTEST_SKIP() << "set HEXDUMP_SHOW_SECONDS to look at the control";
    HexDumpWindow d(1100, 420);
    std::vector<uint8_t> bytes(600);
    const char text[] = "Clipnook shows the bytes of every format. ";
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = i < 256 ? static_cast<uint8_t>(i) : text[i % (sizeof text - 1)];
    d.set_data(bytes.size(), bytes);
    SetFocus(d.hex);
    d.select(0x23, 0x5A);
    const DWORD ms = static_cast<DWORD>(atoi(secs) * 1000);
    pump_for(ms / 2);
    uihexdump_header_command(d.hex, 1, 1003);
    uihexdump_header_command(d.hex, 1, 1008);
    d.send(UIHDM_SETTOPOFFSET, 0x100);
    pump_for(ms / 2);
}
