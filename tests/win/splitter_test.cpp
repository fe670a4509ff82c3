// The splitter in the main window, driven by mouse messages: nesting, limits, cancels, locking.
#include "win_test.h"

#include "base/win_raii.h"
#include "splitter/splitter.h"

namespace {

RECT placed(HWND w) {  // in the parent's client coordinates
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A button press at y, a move to `to` and (unless 0) the release there, at x 50 of the
// parent's client area, each turned into the bar's coordinates of that moment.
void drag(HWND bar, int y, int to, UINT release = WM_LBUTTONUP) {
    for (auto [message, at] : {std::pair{WM_LBUTTONDOWN, y}, {WM_MOUSEMOVE, to}, {release, to}}) {
        POINT p{50, at};
        MapWindowPoints(GetParent(bar), bar, &p, 1);
        if (message) SendMessageW(bar, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(p.x, p.y));
    }
}

bool dragging(HWND bar) { return SendMessageW(bar, UISPM_ISDRAGGING, 0, 0) != 0; }

}  // namespace

TEST(Splitter, NestedBarsStackThePanesAndADragStopsAtTheOtherBar) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    HWND inner = s->innerSplitter, outer = s->viewer.outerSplitter;
    const struct { HWND bar; int from, to; int edges[6]; } drags[] = {
        {nullptr, 0, 0, {0, 160, 163, 323, 326, 486}},  // as made: list, inner bar, dump, outer bar, viewer
        {inner, 161, 101, {0, 100, 103, 323, 326, 486}}, {outer, 324, 0, {0, 100, 103, 103, 106, 486}},
        {outer, 104, 401, {0, 100, 103, 400, 403, 486}}, {inner, 101, 1000, {0, 397, 400, 400, 403, 486}}};
    for (const auto& d : drags) {
        if (d.bar) drag(d.bar, d.from, d.to);
        EXPECT_TRUE(GetCapture() == nullptr && !dragging(inner) && !dragging(outer));
        const HWND panes[] = {s->listView, inner, s->viewer.hexDump, outer, s->viewer.viewerPane};
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(placed(panes[i]).top == d.edges[i] && placed(panes[i]).bottom == d.edges[i + 1]) << d.to << i;
    }
}

TEST(Splitter, ACancelledDragReturnsAndLeavesACaptureTakenElsewhereAlone) {
    MainWindowFixture f;
    HWND bar = f.state()->innerSplitter, list = f.state()->listView;
    for (UINT cancel : {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CANCELMODE, WM_CAPTURECHANGED}) {
        drag(bar, 161, 221, 0);
        ASSERT_TRUE(dragging(bar) && GetCapture() == bar && placed(bar).top == 220);
        if (cancel == WM_CAPTURECHANGED) SetCapture(list);  // another window takes the capture
        else SendMessageW(bar, cancel, 0, 0);
        EXPECT_TRUE(!dragging(bar) && placed(bar).top == 160) << cancel;
        EXPECT_EQ(GetCapture(), cancel == WM_CAPTURECHANGED ? list : nullptr) << cancel;
        ReleaseCapture();
    }
}

TEST(Splitter, ALockedBarNeitherDragsNorSetsItsCursorNorShowsTheGrip) {
    MainWindowFixture f;
    HWND bar = f.state()->viewer.outerSplitter;
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), wait = LoadCursorW(nullptr, IDC_WAIT);
    RECT client;
    GetClientRect(bar, &client);
    WindowDC screen(bar);
    MemoryCanvas canvas(screen.get(), client.right, 3);
    for (BOOL locked : {TRUE, FALSE}) {
        SendMessageW(bar, UISPM_SETLOCKED, locked, 0);
        SetCursor(wait);
        SendMessageW(bar, WM_SETCURSOR, reinterpret_cast<WPARAM>(bar), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_TRUE(locked ? GetCursor() == arrow : GetCursor() != arrow && GetCursor() != wait);
        drag(bar, 324, 401);
        EXPECT_EQ(placed(bar).top, locked ? 323 : 400);
        SendMessageW(bar, WM_PAINT, reinterpret_cast<WPARAM>(canvas.dc()), 0);  // the grip's middle dash
        EXPECT_EQ(GetPixel(canvas.dc(), client.right / 2, 1) == RGB(64, 64, 64), !locked);
    }
}
