#include "base/center.h"
#include "base/center_core.h"

namespace {
CenterRect to_center_rect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
}  // namespace

void center_window(HWND window, HWND reference) {
    HWND desktop = GetDesktopWindow();
    if (!reference || !IsWindowVisible(reference) || IsIconic(reference)) reference = desktop;
    RECT self, ref, desk;
    GetWindowRect(window, &self);
    GetWindowRect(reference, &ref);
    GetWindowRect(desktop, &desk);
    long x, y;
    center_position(to_center_rect(self), to_center_rect(ref), to_center_rect(desk), &x, &y);
    SetWindowPos(window, HWND_TOP, static_cast<int>(x), static_cast<int>(y), 0, 0, SWP_NOSIZE);
}

void center_on_parent(HWND window) { center_window(window, GetParent(window)); }
