#include "base/center_core.h"

void center_position(const CenterRect& window, const CenterRect& reference, const CenterRect& desktop, long* x,
                     long* y) {
    long w = window.right - window.left;
    long h = window.bottom - window.top;
    long px = reference.left + ((reference.right - reference.left) - w) / 2;
    long py = reference.top + ((reference.bottom - reference.top) - h) / 2;
    if (px + w > desktop.right) px = desktop.right - w;
    if (py + h > desktop.bottom) py = desktop.bottom - h;
    if (px < desktop.left) px = desktop.left;
    if (py < desktop.top) py = desktop.top;
    *x = px;
    *y = py;
}
