// Fit and placement arithmetic of the viewer pane.
#include "viewer/fit_core.h"

#include <cstdint>

namespace {
int clamp_int(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int>(v);
}
}  // namespace

bool fit_bitmap(int areaLeft, int areaTop, int areaWidth, int areaHeight, int sourceWidth, int sourceHeight,
                int fitMode, int centre, FitPlacement* out) {
    *out = FitPlacement{0, 0, 0, 0};
    if (areaWidth <= 0 || areaHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return false;
    const int64_t aw = areaWidth, ah = areaHeight, sw = sourceWidth, sh = sourceHeight;
    int64_t dw = sw, dh = sh;
    bool scale = fitMode == kFitAlways || (fitMode == kFitLargeOnly && (sw > aw || sh > ah));
    if (scale) {
        if (sw * ah < sh * aw) {  // the height fills the area
            dh = ah;
            dw = sw * ah / sh;
        } else {                  // the width fills it
            dw = aw;
            dh = sh * aw / sw;
        }
    }
    int64_t x = areaLeft, y = areaTop;
    if (centre == 1) {
        x += (aw - dw) / 2;
        y += (ah - dh) / 2;
    }
    *out = FitPlacement{clamp_int(x), clamp_int(y), clamp_int(dw), clamp_int(dh)};
    return true;
}
