// The placement arithmetic of centring, free of the platform.
#pragma once

struct CenterRect {
    long left, top, right, bottom;
};

// Top-left corner for a window of `window`'s size centred on `reference`
// (half differences truncated toward zero), then pulled inside `desktop`:
// first right/bottom, then left/top.
void center_position(const CenterRect& window, const CenterRect& reference, const CenterRect& desktop, long* x,
                     long* y);
