// Where the viewer pane draws a bitmap: the destination size for the fit
// mode and its place in the drawing area.
#pragma once

struct FitPlacement {
    int x, y, width, height;
};

// Fit modes of the viewer pane.
enum : int {
    kFitNone = 0,        // natural size
    kFitAlways = 1,      // scale to the area, small bitmaps enlarged
    kFitLargeOnly = 2,   // scale down only what does not fit
};

// area*: the drawing area; source*: the bitmap's width and absolute height.
// centre == 1 centres the result (offsets may go negative, keeping the centre
// in the middle); any other value keeps it at the area's top-left corner.
// Quotients round toward zero; products are taken in 64 bits. Returns false
// (and a zero placement) when the area or the source has no size.
bool fit_bitmap(int areaLeft, int areaTop, int areaWidth, int areaHeight, int sourceWidth, int sourceHeight,
                int fitMode, int centre, FitPlacement* out);
