// Placeholder until viewer switching lands; replaced by the viewer subsystem.
#include "viewer/viewer.h"
#include "app/main_state.h"
void main_activate_item_viewer(MainWindowState* state, int index) { state->activeEntry = index; }
void viewer_pane_paint(MainWindowState*, HDC dc, const RECT* rect) {
    FillRect(dc, rect, GetSysColorBrush(COLOR_WINDOW));
}
void viewer_set_fit_mode(MainWindowState* state, int mode) {
    state->fitMode = mode;
    state->centerBitmap = mode > 0 ? 1 : 0;
    InvalidateRect(state->viewerPane, nullptr, TRUE);
}
