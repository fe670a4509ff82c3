// The splitter inside the real main window: drags driven by real mouse
// messages to the bar window, limits against the nested bar, the ways a drag
// is cancelled, the locked style, cursors, painting and the pane messages.
#include "win_test_util.h"
#include "base/win_raii.h"

#include <gtest/gtest.h>
#include <initializer_list>

namespace {

// A child's rectangle in its parent's client coordinates.
RECT child_rect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int height(const RECT& r) { return r.bottom - r.top; }

LPARAM point_param(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// The mouse as the user drives it: positions are given in the parent's client
// coordinates and turned into the bar's own coordinates at the moment of each
// message, as the system does while the bar moves under the pointer. With
// `real_cursor` the system cursor is put there too (hover tracking reads it).
struct Mouse {
    HWND bar;
    bool real_cursor = false;

    LPARAM at(POINT p) const {
        if (real_cursor) {
            POINT s = p;
            ClientToScreen(GetParent(bar), &s);
            SetCursorPos(s.x, s.y);
        }
        MapWindowPoints(GetParent(bar), bar, &p, 1);
        return point_param(p.x, p.y);
    }
    void press(POINT p) const { SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(p)); }
    void move(POINT p) const { SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, at(p)); }
    void release(POINT p) const { SendMessageW(bar, WM_LBUTTONUP, 0, at(p)); }
    bool dragging() const { return SendMessageW(bar, UISPM_ISDRAGGING, 0, 0) != 0; }
};

// Grab the bar one pixel below its top, 100 pixels in, and drag it to y.
void drag_to(HWND bar, int y) {
    Mouse m{bar};
    RECT r = child_rect(bar);
    m.press({100, r.top + 1});
    m.move({100, y + 1});
    m.release({100, y + 1});
}

bool wait_until(DWORD ms, bool (*done)(HWND), HWND w) {
    DWORD start = GetTickCount();
    while (!done(w)) {
        if (GetTickCount() - start > ms) return false;
        pump_messages();
        Sleep(5);
    }
    return true;
}

bool not_dragging(HWND bar) { return SendMessageW(bar, UISPM_ISDRAGGING, 0, 0) == 0; }

void set_client_height(HWND window, int h) {
    RECT client;
    GetClientRect(window, &client);
    RECT r{0, 0, client.right, h};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

void send_key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

}  // namespace

TEST(SplitterLayout, MainWindowStacksPanesAndBars) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    RECT client;
    GetClientRect(f.window, &client);
    EXPECT_EQ(client.bottom, 486);
    RECT lv = child_rect(s->listView), inner = child_rect(s->innerSplitter), hex = child_rect(s->viewer.hexDump),
         outer = child_rect(s->viewer.outerSplitter), pane = child_rect(s->viewer.viewerPane);
    EXPECT_EQ(lv.top, 0);
    EXPECT_EQ(lv.bottom, 160);
    EXPECT_EQ(inner.top, 160);
    EXPECT_EQ(inner.bottom, 163);
    EXPECT_EQ(hex.top, 163);
    EXPECT_EQ(hex.bottom, 323);
    EXPECT_EQ(outer.top, 323);
    EXPECT_EQ(outer.bottom, 326);
    EXPECT_EQ(pane.top, 326);
    EXPECT_EQ(pane.bottom, 486);
    for (const RECT& r : {lv, inner, hex, outer, pane}) {
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.right, client.right);
    }

    // The pane messages answer what the main window set up.
    HWND first = nullptr, second = nullptr;
    EXPECT_EQ(SendMessageW(s->viewer.outerSplitter, UISPM_GETPANES, reinterpret_cast<WPARAM>(&first),
                           reinterpret_cast<LPARAM>(&second)), 1);
    EXPECT_EQ(first, s->innerSplitter);
    EXPECT_EQ(second, s->viewer.viewerPane);
    EXPECT_EQ(SendMessageW(s->innerSplitter, UISPM_GETPANES, 0, reinterpret_cast<LPARAM>(&second)), 1);
    EXPECT_EQ(second, s->viewer.hexDump);
    RECT area{};
    SendMessageW(s->innerSplitter, UISPM_GETAREA, 0, reinterpret_cast<LPARAM>(&area));
    EXPECT_EQ(area.top, 0);
    EXPECT_EQ(area.bottom, 323);
    EXPECT_EQ(area.right, client.right);
    int horizontal = -1;
    RECT bar{};
    EXPECT_EQ(SendMessageW(s->viewer.outerSplitter, UISPM_GETBAR, reinterpret_cast<WPARAM>(&horizontal),
                           reinterpret_cast<LPARAM>(&bar)), 1);
    EXPECT_EQ(horizontal, 1);
    EXPECT_EQ(bar.top, 323);
    EXPECT_EQ(bar.bottom, 326);
    EXPECT_TRUE(is_splitter_window(s->viewer.outerSplitter));
    EXPECT_FALSE(is_splitter_window(s->listView));
    EXPECT_FALSE(is_splitter_window(nullptr));
}

TEST(SplitterDrag, InnerBarMovesBetween0And320) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    drag_to(s->innerSplitter, 100);
    EXPECT_EQ(child_rect(s->innerSplitter).top, 100);
    EXPECT_EQ(child_rect(s->listView).bottom, 100);
    EXPECT_EQ(child_rect(s->viewer.hexDump).top, 103);
    EXPECT_EQ(child_rect(s->viewer.hexDump).bottom, 323);  // the outer bar stays

    drag_to(s->innerSplitter, -400);
    EXPECT_EQ(child_rect(s->innerSplitter).top, 0);
    EXPECT_EQ(height(child_rect(s->listView)), 0);

    // Not past the outer bar's area end at 323: 3 pixels above it.
    drag_to(s->innerSplitter, 1000);
    EXPECT_EQ(child_rect(s->innerSplitter).top, 320);
    EXPECT_EQ(height(child_rect(s->viewer.hexDump)), 0);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 323);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(Mouse{s->innerSplitter}.dragging());
}

TEST(SplitterDrag, OuterBarMovesBetweenInnerBarAndClientEnd) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    drag_to(s->viewer.outerSplitter, 0);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 163);  // right under the inner bar
    EXPECT_EQ(height(child_rect(s->viewer.hexDump)), 0);
    drag_to(s->viewer.outerSplitter, 5000);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 486 - 3);
    EXPECT_EQ(height(child_rect(s->viewer.viewerPane)), 0);

    // The outer bar moves the inner splitter's area but not its bar: the list
    // view keeps its height, the hex dump takes the change.
    drag_to(s->viewer.outerSplitter, 400);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 400);
    EXPECT_EQ(child_rect(s->innerSplitter).top, 160);
    EXPECT_EQ(height(child_rect(s->listView)), 160);
    EXPECT_EQ(child_rect(s->viewer.hexDump).bottom, 400);
    RECT area{};
    SendMessageW(s->innerSplitter, UISPM_GETAREA, 0, reinterpret_cast<LPARAM>(&area));
    EXPECT_EQ(area.bottom, 400);

    // The inner bar's upper limit follows the outer bar.
    drag_to(s->innerSplitter, 1000);
    EXPECT_EQ(child_rect(s->innerSplitter).top, 397);
    // And the outer bar's lower limit follows the inner bar.
    drag_to(s->viewer.outerSplitter, 0);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 400);
}

TEST(SplitterDrag, StepsFollowThePointerAndButtonUpKeeps) {
    MainWindowFixture f;
    HWND bar = f.state()->innerSplitter;
    Mouse m{bar};
    m.press({50, 162});  // grabbed at the bar's last row
    EXPECT_TRUE(m.dragging());
    EXPECT_EQ(GetCapture(), bar);
    m.move({50, 182});
    EXPECT_EQ(child_rect(bar).top, 180);
    m.move({50, 132});
    EXPECT_EQ(child_rect(bar).top, 130);
    m.release({50, 132});
    EXPECT_FALSE(m.dragging());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(child_rect(bar).top, 130);
    // Moves after the drag do nothing.
    m.move({50, 250});
    EXPECT_EQ(child_rect(bar).top, 130);
}

TEST(SplitterCancel, RightButtonCancelModeAndCaptureLossRestoreTheBar) {
    MainWindowFixture f;
    HWND bar = f.state()->innerSplitter;
    Mouse m{bar};
    static const UINT kCancels[] = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CANCELMODE, 0};
    for (UINT cancel : kCancels) {
        m.press({10, 161});
        m.move({10, 251});
        ASSERT_EQ(child_rect(bar).top, 250);
        if (cancel)
            SendMessageW(bar, cancel, 0, point_param(10, 1));
        else
            ReleaseCapture();  // capture taken away from the bar
        EXPECT_FALSE(m.dragging()) << cancel;
        EXPECT_EQ(child_rect(bar).top, 160) << cancel;
        EXPECT_EQ(child_rect(f.state()->listView).bottom, 160) << cancel;
        EXPECT_EQ(GetCapture(), nullptr) << cancel;
        // A button-up after the cancel leaves the bar alone.
        m.release({10, 251});
        EXPECT_EQ(child_rect(bar).top, 160) << cancel;
    }
}

TEST(SplitterCancel, CancelReturnsWithinTheCurrentLimits) {
    // The outer bar starts at 323; while it is held, it can only go back as far
    // as the nested bar allows at that moment.
    MainWindowFixture f;
    MainWindowState* s = f.state();
    Mouse outer{s->viewer.outerSplitter};
    outer.press({10, 324});
    outer.move({10, 201});
    ASSERT_EQ(child_rect(s->viewer.outerSplitter).top, 200);
    SendMessageW(s->viewer.outerSplitter, WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 323);
    EXPECT_EQ(child_rect(s->viewer.hexDump).bottom, 323);
}

TEST(SplitterCancel, EscapeHeldAtHoverRestoresTheBar) {
    MainWindowFixture f;
    HWND bar = f.state()->innerSplitter;
    Mouse m{bar, true};
    m.press({100, 161});
    m.move({100, 221});
    ASSERT_EQ(child_rect(bar).top, 220);
    // Holding still without Escape: hover notices come and go, the drag stays.
    pump_for(200);
    EXPECT_TRUE(m.dragging());
    EXPECT_EQ(child_rect(bar).top, 220);

    send_key(VK_ESCAPE, false);
    bool ended = wait_until(2000, not_dragging, bar);
    send_key(VK_ESCAPE, true);
    pump_messages();
    EXPECT_TRUE(ended);
    EXPECT_EQ(child_rect(bar).top, 160);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(SplitterCancel, EscapeStillWorksAfterThePointerLeftTheBar) {
    // Past a limit the bar stops and the pointer leaves it, which ends hover
    // tracking; coming back over the bar must make Escape work again.
    MainWindowFixture f;
    HWND bar = f.state()->innerSplitter;
    Mouse m{bar, true};
    m.press({100, 161});
    m.move({100, 400});  // the bar stops at 320, the pointer is over the viewer pane
    ASSERT_EQ(child_rect(bar).top, 320);
    pump_for(150);
    m.move({100, 301});
    ASSERT_EQ(child_rect(bar).top, 300);
    pump_for(100);  // the pointer held still over the bar again
    ASSERT_EQ(child_rect(bar).top, 300);
    send_key(VK_ESCAPE, false);
    bool ended = wait_until(2000, not_dragging, bar);
    send_key(VK_ESCAPE, true);
    pump_messages();
    EXPECT_TRUE(ended);
    EXPECT_EQ(child_rect(bar).top, 160);
}

TEST(SplitterDrag, RealMouseInputDragsTheBar) {
    // The whole path through the system: hit test, capture, mouse messages.
    MainWindowFixture f;
    HWND bar = f.state()->innerSplitter;
    RECT r;
    GetWindowRect(bar, &r);
    const int x = r.left + 200, y = r.top + 1;
    auto mouse = [](int sx, int sy, DWORD flags) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = sx * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = sy * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &in, sizeof in);
        pump_for(30);
    };
    mouse(x, y, 0);
    mouse(x, y, MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(GetCapture(), bar);
    mouse(x, y + 30, 0);
    mouse(x, y + 60, 0);
    mouse(x, y + 60, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(child_rect(bar).top, 220);
    EXPECT_EQ(child_rect(f.state()->listView).bottom, 220);
}

TEST(SplitterLocked, LockedBarIgnoresTheButtonAndKeepsTheArrow) {
    MainWindowFixture f;
    HWND bar = f.state()->innerSplitter;
    HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    EXPECT_EQ(SendMessageW(bar, UISPM_GETLOCKED, 0, 0), 0);
    // Unlocked: the row cursor, built 32x32 with its hot spot at 15,15.
    SetCursor(arrow);
    SendMessageW(bar, WM_SETCURSOR, reinterpret_cast<WPARAM>(bar), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    HCURSOR row = GetCursor();
    EXPECT_NE(row, arrow);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(row, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 15u);
    EXPECT_EQ(info.yHotspot, 15u);
    BITMAP bm{};
    GetObjectW(info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);

    EXPECT_EQ(SendMessageW(bar, UISPM_SETLOCKED, 1, 0), 1);
    EXPECT_EQ(SendMessageW(bar, UISPM_GETLOCKED, 0, 0), 1);
    Mouse m{bar};
    m.press({10, 161});
    EXPECT_FALSE(m.dragging());
    EXPECT_EQ(GetCapture(), nullptr);
    m.move({10, 250});
    m.release({10, 250});
    EXPECT_EQ(child_rect(bar).top, 160);
    SendMessageW(bar, WM_SETCURSOR, reinterpret_cast<WPARAM>(bar), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), arrow);

    SendMessageW(bar, UISPM_SETLOCKED, 0, 0);
    drag_to(bar, 200);
    EXPECT_EQ(child_rect(bar).top, 200);
}

TEST(SplitterPaint, GripUnlessLockedAndOnlyInsideTheArea) {
    MainWindowFixture f;
    HWND bar = f.state()->viewer.outerSplitter;
    RECT client;
    GetClientRect(bar, &client);
    const int w = client.right, cx = w / 2;
    WindowDC screen(bar);
    MemoryCanvas canvas(screen.get(), w, 3);
    ASSERT_TRUE(canvas);
    const COLORREF face = GetNearestColor(canvas.dc(), GetSysColor(COLOR_BTNFACE));
    const COLORREF grip = GetNearestColor(canvas.dc(), RGB(64, 64, 64));  // DKGRAY_BRUSH
    const COLORREF marker = RGB(255, 0, 255);
    auto paint = [&] {
        GdiObject<HBRUSH> b(CreateSolidBrush(marker));
        RECT all{0, 0, w, 3};
        FillRect(canvas.dc(), &all, b.get());
        SendMessageW(bar, WM_PAINT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
    };
    paint();
    // Row 1 (the centre row): dashes at cx-6..cx-4, cx-1..cx+1, cx+4..cx+6.
    for (int x = cx - 8; x <= cx + 8; ++x) {
        bool dash = (x >= cx - 6 && x < cx - 3) || (x >= cx - 1 && x < cx + 2) || (x >= cx + 4 && x < cx + 7);
        EXPECT_EQ(GetPixel(canvas.dc(), x, 1), dash ? grip : face) << x;
    }
    EXPECT_EQ(GetPixel(canvas.dc(), cx, 0), face);
    EXPECT_EQ(GetPixel(canvas.dc(), cx, 2), face);
    EXPECT_EQ(GetPixel(canvas.dc(), 0, 0), face);

    SendMessageW(bar, UISPM_SETLOCKED, 1, 0);
    paint();
    EXPECT_EQ(GetPixel(canvas.dc(), cx, 1), face);
    EXPECT_EQ(GetPixel(canvas.dc(), cx - 5, 1), face);
    SendMessageW(bar, UISPM_SETLOCKED, 0, 0);

    // An area that ends inside the bar: what lies outside stays unpainted.
    RECT area{0, 0, w, 324};  // the bar is 323..326
    SendMessageW(bar, UISPM_LAYOUT, 0, reinterpret_cast<LPARAM>(&area));
    paint();
    EXPECT_EQ(GetPixel(canvas.dc(), 5, 0), face);
    EXPECT_EQ(GetPixel(canvas.dc(), 5, 1), marker);
    EXPECT_EQ(GetPixel(canvas.dc(), 5, 2), marker);
}

TEST(SplitterResize, BarsKeepTheirOffsetsFromTheTop) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    drag_to(s->innerSplitter, 120);
    drag_to(s->viewer.outerSplitter, 300);
    set_client_height(f.window, 600);
    pump_messages();
    EXPECT_EQ(child_rect(s->innerSplitter).top, 120);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 300);
    EXPECT_EQ(child_rect(s->viewer.viewerPane).top, 303);
    EXPECT_EQ(child_rect(s->viewer.viewerPane).bottom, 600);
    set_client_height(f.window, 400);
    pump_messages();
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 300);
    EXPECT_EQ(height(child_rect(s->viewer.viewerPane)), 97);
    EXPECT_EQ(height(child_rect(s->listView)), 120);
}

TEST(SplitterResize, WindowLowerThan326LeavesNoViewerArea) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    set_client_height(f.window, 250);
    pump_messages();
    RECT client;
    GetClientRect(f.window, &client);
    ASSERT_EQ(client.bottom, 250);
    // Not clamped: list view and hex dump keep their heights, the bar stays
    // at 323 below the client area, and the viewer area has no height.
    EXPECT_EQ(height(child_rect(s->listView)), 160);
    EXPECT_EQ(height(child_rect(s->viewer.hexDump)), 160);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 323);
    EXPECT_LE(height(child_rect(s->viewer.viewerPane)), 0);
    // A drag puts the bar inside the client area again, not above the inner bar.
    drag_to(s->viewer.outerSplitter, 100);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 163);
    // Lower than the inner bar's end: the client end minus 3 wins over it.
    set_client_height(f.window, 120);
    pump_messages();
    drag_to(s->viewer.outerSplitter, 100);
    EXPECT_EQ(child_rect(s->viewer.outerSplitter).top, 117);
    EXPECT_EQ(height(child_rect(s->listView)), 160);
}

TEST(SplitterPanes, SetPanesKeepsMinusOneAndLaysOutEachChange) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    // Move the viewer pane away: (-1, -1) must neither store nor lay out.
    SetWindowPos(s->viewer.viewerPane, nullptr, 5, 5, 10, 10, SWP_NOZORDER);
    EXPECT_EQ(SendMessageW(s->viewer.outerSplitter, UISPM_SETPANES, static_cast<WPARAM>(-1), -1), 1);
    RECT r = child_rect(s->viewer.viewerPane);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.right, 15);

    // Replacing the second pane lays the new one out below the bar.
    EXPECT_EQ(SendMessageW(s->viewer.outerSplitter, UISPM_SETPANES, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(s->viewer.ansiEdit)), 1);
    r = child_rect(s->viewer.ansiEdit);
    EXPECT_EQ(r.top, 326);
    EXPECT_EQ(r.bottom, 486);
    HWND first = nullptr, second = nullptr;
    SendMessageW(s->viewer.outerSplitter, UISPM_GETPANES, reinterpret_cast<WPARAM>(&first),
                 reinterpret_cast<LPARAM>(&second));
    EXPECT_EQ(first, s->innerSplitter);
    EXPECT_EQ(second, s->viewer.ansiEdit);

    // A null pane is skipped; a handle that is no window is simply not moved.
    EXPECT_EQ(SendMessageW(s->innerSplitter, UISPM_SETPANES, 0, reinterpret_cast<LPARAM>(HWND(0x7ff0))), 1);
    drag_to(s->innerSplitter, 100);
    EXPECT_EQ(child_rect(s->innerSplitter).top, 100);
}

TEST(SplitterVertical, StandaloneVerticalBarWithLimits) {
    // A vertical splitter in a plain parent, with a locked style bit at creation.
    HWND parent = CreateWindowExW(0, L"Static", nullptr, WS_POPUP | WS_VISIBLE, 50, 50, 400, 200, nullptr, nullptr,
                                  g_instance, nullptr);
    ASSERT_TRUE(parent);
    HWND left = CreateWindowExW(0, L"Static", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr, g_instance,
                                nullptr);
    HWND right = CreateWindowExW(0, L"Static", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr,
                                 g_instance, nullptr);
    HWND bar = CreateWindowExW(0, UISPLITTER_CLASS, nullptr, WS_CHILD | WS_VISIBLE | UISPS_LOCKED, 100, 7, 5, 9,
                               parent, nullptr, g_instance, nullptr);
    ASSERT_TRUE(bar);
    EXPECT_EQ(SendMessageW(bar, UISPM_GETLOCKED, 0, 0), 1);
    RECT area{};
    SendMessageW(bar, UISPM_GETAREA, 0, reinterpret_cast<LPARAM>(&area));
    EXPECT_EQ(area.right, 400);  // the parent's client rectangle from creation
    EXPECT_EQ(area.bottom, 200);
    SendMessageW(bar, UISPM_SETPANES, reinterpret_cast<WPARAM>(left), reinterpret_cast<LPARAM>(right));
    EXPECT_EQ(child_rect(bar).left, 100);
    EXPECT_EQ(child_rect(bar).right, 105);
    EXPECT_EQ(height(child_rect(bar)), 200);  // spans the full height; y and height unused
    EXPECT_EQ(child_rect(left).right, 100);
    EXPECT_EQ(child_rect(right).left, 105);
    int horizontal = -1;
    SendMessageW(bar, UISPM_GETBAR, reinterpret_cast<WPARAM>(&horizontal), 0);
    EXPECT_EQ(horizontal, 0);

    SendMessageW(bar, UISPM_SETLOCKED, 0, 0);
    Mouse m{bar};
    m.press({102, 20});
    m.move({392, 30});
    EXPECT_EQ(child_rect(bar).left, 390);  // grabbed 2 pixels into the bar
    m.move({500, 30});
    EXPECT_EQ(child_rect(bar).left, 395);  // 400 - 5
    m.move({-50, 30});
    EXPECT_EQ(child_rect(bar).left, 0);
    m.move({152, 0});
    m.release({152, 0});
    EXPECT_EQ(child_rect(bar).left, 150);
    EXPECT_EQ(child_rect(right).left, 155);

    // A horizontal splitter as the first pane does not limit a vertical bar.
    HWND nested = CreateWindowExW(0, UISPLITTER_CLASS, nullptr, WS_CHILD | WS_VISIBLE | UISPS_HORIZONTAL, 0, 50, 0, 3,
                                  parent, nullptr, g_instance, nullptr);
    SendMessageW(nested, UISPM_SETPANES, reinterpret_cast<WPARAM>(left), 0);
    SendMessageW(bar, UISPM_SETPANES, reinterpret_cast<WPARAM>(nested), -1);
    RECT nested_area{};
    SendMessageW(nested, UISPM_GETAREA, 0, reinterpret_cast<LPARAM>(&nested_area));
    EXPECT_EQ(nested_area.right, 150);
    EXPECT_EQ(child_rect(left).bottom, 50);
    drag_to(bar, 0);  // drag_to grabs at x 100 and moves in y: no change for a vertical bar
    m.press({151, 20});
    m.move({11, 20});
    m.release({11, 20});
    EXPECT_EQ(child_rect(bar).left, 10);
    DestroyWindow(parent);
}
