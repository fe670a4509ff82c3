#include "uiform/background.h"
#include "base/win_raii.h"

#include <commctrl.h>
#include <cstdio>
#include <cwchar>

namespace {

using IsAppThemedFn = BOOL(WINAPI*)();
using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

struct Background {
    int mode = DIALOG_BACKGROUND_GRADIENT;
    COLORREF colour = RGB(255, 255, 255);
    bool started = false;
    HBRUSH solidBrush = nullptr;
    HBRUSH patternBrush = nullptr;
    RECT patternRect{};
    bool themeTried = false;
    IsAppThemedFn isAppThemed = nullptr;
    bool gradientTried = false;
    GradientFillFn gradientFill = nullptr;
    bool syslinkSeen = false;
    // While the dialog paints its background for a new pattern brush, its own
    // WM_CTLCOLORDLG must not ask for that brush again.
    bool buildingBrush = false;
};

Background g_background;

// Libraries come from the system directory only: a DLL of the same name next
// to the program or in the current directory is never picked up.
HMODULE load_system_library(const wchar_t* name) {
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    // Systems without the search flags: the full path does the same.
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + wcslen(name) + 2 > MAX_PATH) return nullptr;
    path[length] = L'\\';
    wcscpy(path + length + 1, name);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

GradientFillFn gradient_function() {
    Background& b = g_background;
    if (!b.gradientTried) {
        b.gradientTried = true;
        if (HMODULE m = load_system_library(L"msimg32.dll"))
            b.gradientFill = reinterpret_cast<GradientFillFn>(reinterpret_cast<void*>(GetProcAddress(m, "GradientFill")));
    }
    return b.gradientFill;
}

COLOR16 level16(int level) { return static_cast<COLOR16>((level & 0xFF) << 8); }

TRIVERTEX vertex(LONG x, LONG y, int level) {
    TRIVERTEX v{};
    v.x = x;
    v.y = y;
    v.Red = v.Green = v.Blue = level16(level);
    return v;
}

void make_solid_brush() {
    Background& b = g_background;
    if (b.solidBrush) DeleteObject(b.solidBrush);
    b.solidBrush = CreateSolidBrush(b.colour & 0xFFFFFF);
}

void start_once() {
    Background& b = g_background;
    if (b.started || b.mode == DIALOG_BACKGROUND_OFF) return;
    b.started = true;
    if (b.mode > 3) b.mode = DIALOG_BACKGROUND_OFF;
    make_solid_brush();
}

void drop_pattern_brush() {
    Background& b = g_background;
    if (b.patternBrush) DeleteObject(b.patternBrush);
    b.patternBrush = nullptr;
}

bool same_size(const RECT& a, const RECT& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

BOOL on_erase(HWND dialog, HDC dc, INT_PTR* result) {
    Background& b = g_background;
    RECT client;
    GetClientRect(dialog, &client);
    if (b.mode == DIALOG_BACKGROUND_GRADIENT) {
        if (!gradient_fill_rect(dc, &client, 252, 246, 242, 232)) return FALSE;
    } else {
        SetBkMode(dc, OPAQUE);
        FillRect(dc, &client, b.solidBrush);
    }
    *result = 1;
    return TRUE;
}

BOOL on_control_colour(HWND dialog, HDC dc, HWND control, INT_PTR* result) {
    Background& b = g_background;
    if (b.mode == DIALOG_BACKGROUND_SOLID) {
        SetBkMode(dc, TRANSPARENT);
        *result = reinterpret_cast<INT_PTR>(b.solidBrush);
        return TRUE;
    }
    RECT client;
    GetClientRect(dialog, &client);
    if (b.buildingBrush) return FALSE;
    if (!b.patternBrush || !same_size(client, b.patternRect)) {
        puts("Recreate dialog brush");
        drop_pattern_brush();
        b.patternBrush = dialog_background_brush(dialog, dialog);
        if (!b.patternBrush) return FALSE;
        b.patternRect = client;
    }
    // The pattern starts at the dialog's corner, so the control's piece lines
    // up with the dialog background around it.
    POINT origin{0, 0};
    MapWindowPoints(control, dialog, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    SetBkMode(dc, TRANSPARENT);
    *result = reinterpret_cast<INT_PTR>(b.patternBrush);
    return TRUE;
}

void on_init_dialog(HWND dialog) {
    Background& b = g_background;
    drop_pattern_brush();
    b.patternBrush = dialog_background_brush(dialog, dialog);
    if (b.patternBrush) GetClientRect(dialog, &b.patternRect);
}

}  // namespace

bool dialog_background_themed() {
    Background& b = g_background;
    if (!b.themeTried) {
        b.themeTried = true;
        if (HMODULE m = load_system_library(L"uxtheme.dll"))
            b.isAppThemed = reinterpret_cast<IsAppThemedFn>(reinterpret_cast<void*>(GetProcAddress(m, "IsAppThemed")));
    }
    if (!b.isAppThemed || !b.isAppThemed()) return false;
    // Visual styles need version 6 of the common controls, which alone has the
    // link class. Once it was seen, the class does not go away.
    if (!b.syslinkSeen) {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LINK_CLASS};
        InitCommonControlsEx(&icc);
        HWND probe = CreateWindowExW(0, L"SysLink", nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        if (!probe) return false;
        DestroyWindow(probe);
        b.syslinkSeen = true;
    }
    return true;
}

BOOL dialog_background_handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
    Background& b = g_background;
    start_once();
    if (b.mode == DIALOG_BACKGROUND_OFF) return FALSE;
    switch (message) {
    case WM_ERASEBKGND:
        if (!dialog_background_themed()) return FALSE;
        return on_erase(dialog, reinterpret_cast<HDC>(wParam), result);
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        if (!dialog_background_themed()) return FALSE;
        return on_control_colour(dialog, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), result);
    case WM_INITDIALOG:
        if (dialog_background_themed()) on_init_dialog(dialog);
        return FALSE;
    case WM_SIZE:
        if (b.mode == DIALOG_BACKGROUND_GRADIENT && dialog_background_themed()) InvalidateRect(dialog, nullptr, TRUE);
        return FALSE;
    case WM_DESTROY:
        drop_pattern_brush();
        return FALSE;
    default:
        return FALSE;
    }
}

void dialog_background_set(int mode, COLORREF colour) {
    Background& b = g_background;
    b.mode = mode > 3 || mode < 0 ? DIALOG_BACKGROUND_OFF : mode;
    b.colour = colour;
    b.started = true;
    make_solid_brush();
}

HBRUSH dialog_background_brush(HWND window, HWND reference) {
    if (!reference) reference = GetParent(window);
    if (!reference) return nullptr;
    RECT client;
    if (!GetClientRect(reference, &client) || client.right <= 0 || client.bottom <= 0) return nullptr;
    WindowDC screen(reference);
    if (!screen) return nullptr;
    HDC memory = CreateCompatibleDC(screen.get());
    if (!memory) return nullptr;
    HBRUSH brush = nullptr;
    {
        GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
        if (bitmap) {
            HGDIOBJ old = SelectObject(memory, bitmap.get());
            bool outer = !g_background.buildingBrush;
            g_background.buildingBrush = true;
            SendMessageW(reference, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
            if (outer) g_background.buildingBrush = false;
            SelectObject(memory, old);
            brush = CreatePatternBrush(bitmap.get());
        }
    }
    DeleteDC(memory);
    return brush;
}

BOOL gradient_fill_rect(HDC dc, const RECT* rect, int topLeft, int topRight, int bottomLeft, int bottomRight) {
    GradientFillFn fill = gradient_function();
    if (!fill || !dc || !rect) return FALSE;
    if (topLeft == topRight && bottomLeft == bottomRight) {
        TRIVERTEX v[2] = {vertex(rect->left, rect->top, topLeft), vertex(rect->right, rect->bottom, bottomLeft)};
        GRADIENT_RECT r{0, 1};
        return fill(dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V);
    }
    if (topLeft == bottomLeft && topRight == bottomRight) {
        TRIVERTEX v[2] = {vertex(rect->left, rect->top, topLeft), vertex(rect->right, rect->bottom, topRight)};
        GRADIENT_RECT r{0, 1};
        return fill(dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H);
    }
    TRIVERTEX v[4] = {vertex(rect->left, rect->top, topLeft), vertex(rect->right, rect->top, topRight),
                      vertex(rect->left, rect->bottom, bottomLeft), vertex(rect->right, rect->bottom, bottomRight)};
    GRADIENT_TRIANGLE t[2] = {{0, 1, 2}, {1, 2, 3}};
    return fill(dc, v, 4, t, 2, GRADIENT_FILL_TRIANGLE);
}
