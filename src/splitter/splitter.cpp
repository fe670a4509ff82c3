// The UISplitter window: the window itself is the bar. It places itself and
// its two panes inside its area and lets the user drag the bar; a pane that is
// a splitter gets its rectangle as its own area, so nested splitters lay out
// from the top with one message.
#include "splitter/splitter.h"
#include "splitter/splitter_core.h"
#include "base/dpi_core.h"

#include <cstdlib>

namespace {

struct SplitterState {
    HWND window;
    HWND firstPane;
    HWND secondPane;
    RECT area;  // in the parent's client coordinates
    int barX, barY;
    int barWidth, barHeight;
    BOOL horizontal;
    BOOL locked;
    HCURSOR rowCursor;
    HCURSOR columnCursor;
    BOOL dragging;
    int grabX, grabY;    // pointer in the bar's client coordinates at the press
    int startX, startY;  // bar offsets at the press
};

const UINT kHoverMs = 50;

SplitterState* splitter_state(HWND window) {
    return reinterpret_cast<SplitterState*>(GetWindowLongPtrW(window, 0));
}

SplitRect to_split(const RECT& r) {
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom)};
}

RECT to_rect(const SplitRect& r) { return {r.left, r.top, r.right, r.bottom}; }

SplitBar bar_of(const SplitterState* s) {
    return {s->horizontal != FALSE, s->barX, s->barY, s->barWidth, s->barHeight};
}

HCURSOR make_cursor(HINSTANCE instance, SplitterCursorKind kind) {
    unsigned char and_mask[kSplitterMaskBytes];
    unsigned char xor_mask[kSplitterMaskBytes];
    splitter_cursor_masks(kind, and_mask, xor_mask);
    return CreateCursor(instance, kSplitterCursorHot, kSplitterCursorHot, kSplitterCursorSize, kSplitterCursorSize,
                        and_mask, xor_mask);
}

void place_pane(HWND pane, const SplitRect& r) {
    if (!pane) return;
    RECT rect = to_rect(r);
    if (is_splitter_window(pane)) {
        SendMessageW(pane, UISPM_LAYOUT, 0, reinterpret_cast<LPARAM>(&rect));
        return;
    }
    if (!IsWindow(pane)) return;
    SetWindowPos(pane, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(pane, nullptr, FALSE);
}

void splitter_layout(SplitterState* s) {
    const SplitLayout layout = splitter_compute_layout(to_split(s->area), bar_of(s));
    const SplitRect& bar = layout.bar;
    SetWindowPos(s->window, nullptr, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    place_pane(s->firstPane, layout.first);
    place_pane(s->secondPane, layout.second);
}

// The bar of a pane that is a splitter of our orientation, in the parent's
// client coordinates; false for any other pane.
bool nested_bar(const SplitterState* s, HWND pane, SplitRect* out) {
    if (!pane || !is_splitter_window(pane)) return false;
    int horizontal = 0;
    RECT bar{};
    if (!SendMessageW(pane, UISPM_GETBAR, reinterpret_cast<WPARAM>(&horizontal), reinterpret_cast<LPARAM>(&bar)))
        return false;
    if ((horizontal != 0) != (s->horizontal != FALSE)) return false;
    *out = to_split(bar);
    return true;
}

// One drag step with the pointer at (x, y) in the bar's client coordinates.
void splitter_track_step(SplitterState* s, int x, int y) {
    SplitRect first{}, second{};
    const bool has_first = nested_bar(s, s->firstPane, &first);
    const bool has_second = nested_bar(s, s->secondPane, &second);
    const SplitLimits limits = splitter_drag_limits(to_split(s->area), s->horizontal != FALSE,
                                                    has_first ? &first : nullptr, has_second ? &second : nullptr);
    int& offset = s->horizontal ? s->barY : s->barX;
    const int next = s->horizontal ? splitter_drag_offset(s->barY, y, s->grabY, s->barHeight, limits)
                                   : splitter_drag_offset(s->barX, x, s->grabX, s->barWidth, limits);
    if (next == offset) return;
    offset = next;
    splitter_layout(s);
}

void request_hover(HWND window) {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_HOVER;
    tme.hwndTrack = window;
    tme.dwHoverTime = kHoverMs;
    TrackMouseEvent(&tme);
}

void splitter_track_begin(SplitterState* s, int x, int y) {
    SetCapture(s->window);
    s->dragging = TRUE;
    s->grabX = x;
    s->grabY = y;
    s->startX = s->barX;
    s->startY = s->barY;
    request_hover(s->window);
}

void splitter_track_end(SplitterState* s) {
    // Cleared first: releasing the capture sends WM_CAPTURECHANGED, which must
    // not find a drag to cancel. When the capture was taken away, it belongs
    // to the window that took it and is not ours to release.
    s->dragging = FALSE;
    if (GetCapture() == s->window) ReleaseCapture();
}

void splitter_cancel_drag(SplitterState* s) {
    splitter_track_step(s, splitter_cancel_pointer(s->grabX, s->startX, s->barX),
                        splitter_cancel_pointer(s->grabY, s->startY, s->barY));
    if (s->dragging) splitter_track_end(s);
}

bool escape_held() { return GetKeyState(VK_ESCAPE) < 0 || (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; }

LRESULT on_create(HWND window, const CREATESTRUCTW* cs) {
    auto* s = static_cast<SplitterState*>(std::calloc(1, sizeof(SplitterState)));
    if (!s) return -1;
    s->window = window;
    s->barX = cs->x;
    s->barY = cs->y;
    s->barWidth = cs->cx;
    s->barHeight = cs->cy;
    s->horizontal = (cs->style & UISPS_HORIZONTAL) ? TRUE : FALSE;
    s->locked = (cs->style & UISPS_LOCKED) ? TRUE : FALSE;
    if (cs->hwndParent) GetClientRect(cs->hwndParent, &s->area);
    s->rowCursor = make_cursor(cs->hInstance, SplitterCursorKind::Row);
    s->columnCursor = make_cursor(cs->hInstance, SplitterCursorKind::Column);
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(s));
    return 0;
}

void on_destroy(HWND window, SplitterState* s) {
    SetWindowLongPtrW(window, 0, 0);
    if (s->rowCursor) DestroyCursor(s->rowCursor);
    if (s->columnCursor) DestroyCursor(s->columnCursor);
    std::free(s);
}

void paint(const SplitterState* s, HDC dc) {
    RECT client;
    GetClientRect(s->window, &client);
    // Only the part of the bar inside the area is ours to draw.
    RECT area = s->area;
    MapWindowPoints(GetParent(s->window), s->window, reinterpret_cast<POINT*>(&area), 2);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (!s->locked) {
        SplitRect dashes[3];
        splitter_grip_rects(to_split(client), s->horizontal != FALSE, dashes);
        HBRUSH grip = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
        for (const SplitRect& d : dashes) {
            RECT r = to_rect(d);
            FillRect(dc, &r, grip);
        }
    }
    RestoreDC(dc, saved);
}

void on_paint(HWND window, const SplitterState* s, HDC given) {
    if (given) {
        paint(s, given);
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc) paint(s, dc);
    EndPaint(window, &ps);
}

bool on_set_cursor(const SplitterState* s) {
    if (s->locked) return false;
    HCURSOR cursor = s->horizontal ? s->rowCursor : s->columnCursor;
    if (!cursor) return false;
    SetCursor(cursor);
    return true;
}

LRESULT on_set_panes(SplitterState* s, WPARAM first, LPARAM second) {
    const WPARAM keep = static_cast<WPARAM>(-1);
    if (first != keep) {
        s->firstPane = reinterpret_cast<HWND>(first);
        splitter_layout(s);
    }
    if (static_cast<WPARAM>(second) != keep) {
        s->secondPane = reinterpret_cast<HWND>(second);
        splitter_layout(s);
    }
    return 1;
}

LRESULT on_get_panes(const SplitterState* s, WPARAM first, LPARAM second) {
    if (auto* p = reinterpret_cast<HWND*>(first)) *p = s->firstPane;
    if (auto* p = reinterpret_cast<HWND*>(second)) *p = s->secondPane;
    return 1;
}

LRESULT on_layout(SplitterState* s, const RECT* area) {
    if (area)
        s->area = *area;
    else if (HWND parent = GetParent(s->window))
        GetClientRect(parent, &s->area);
    splitter_layout(s);
    return 1;
}

LRESULT on_get_bar(const SplitterState* s, WPARAM horizontal, LPARAM bar) {
    if (auto* h = reinterpret_cast<int*>(horizontal)) *h = s->horizontal ? 1 : 0;
    if (auto* r = reinterpret_cast<RECT*>(bar)) *r = to_rect(splitter_compute_layout(to_split(s->area), bar_of(s)).bar);
    return 1;
}

LRESULT on_rescale(SplitterState* s, int to, int from) {
    s->barX = dpi_rescale(s->barX, to, from);
    s->barY = dpi_rescale(s->barY, to, from);
    s->barWidth = dpi_rescale(s->barWidth, to, from);
    s->barHeight = dpi_rescale(s->barHeight, to, from);
    splitter_layout(s);
    return 1;
}

}  // namespace

LRESULT CALLBACK splitter_wndproc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return on_create(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    SplitterState* s = splitter_state(window);
    if (!s) return message >= WM_USER ? 0 : DefWindowProcW(window, message, wParam, lParam);

    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_DESTROY:
        on_destroy(window, s);
        break;
    case WM_PAINT:
        on_paint(window, s, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SETCURSOR:
        if (on_set_cursor(s)) return 0;
        break;
    case WM_LBUTTONDOWN:
        if (!s->locked) splitter_track_begin(s, x, y);
        break;
    case WM_MOUSEMOVE:
        if (s->dragging) {
            splitter_track_step(s, x, y);
            // Hover tracking stops for good once the pointer leaves the bar (past a
            // limit); asking again here keeps Escape working when it comes back.
            request_hover(window);
        }
        break;
    case WM_LBUTTONUP:
        if (s->dragging) splitter_track_end(s);
        break;
    case WM_MOUSEHOVER:
        if (s->dragging) {
            if (escape_held())
                splitter_cancel_drag(s);
            else
                request_hover(window);
        }
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        if (s->dragging) splitter_cancel_drag(s);
        break;
    case UISPM_SETPANES:
        return on_set_panes(s, wParam, lParam);
    case UISPM_GETPANES:
        return on_get_panes(s, wParam, lParam);
    case UISPM_LAYOUT:
        return on_layout(s, reinterpret_cast<const RECT*>(lParam));
    case UISPM_GETAREA:
        if (auto* r = reinterpret_cast<RECT*>(lParam)) *r = s->area;
        return 1;
    case UISPM_ISDRAGGING:
        return s->dragging;
    case UISPM_SETLOCKED:
        s->locked = static_cast<BOOL>(wParam);
        return 1;
    case UISPM_GETLOCKED:
        return s->locked;
    case UISPM_GETBAR:
        return on_get_bar(s, wParam, lParam);
    case UISPM_RESCALE:
        return on_rescale(s, static_cast<int>(wParam), static_cast<int>(lParam));
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

ATOM splitter_register_class(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = splitter_wndproc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = UISPLITTER_CLASS;
    return RegisterClassExW(&wc);
}

void splitter_unregister_class(HINSTANCE instance) { UnregisterClassW(UISPLITTER_CLASS, instance); }

bool is_splitter_window(HWND window) {
    wchar_t name[80];
    if (!window || !GetClassNameW(window, name, 80)) return false;
    return lstrcmpW(name, UISPLITTER_CLASS) == 0;
}
