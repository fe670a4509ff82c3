// Mouse and keyboard of the UIHexDump control: clicks and drags select,
// bands above and below the body scroll while dragging, keys move the caret.
#include "hexdump/uihexdump_internal.h"

#include "base/log.h"

#include <windowsx.h>

namespace {

void start_drag_if_dragged(HexDumpState* s, int x, int y) {
    POINT pt{x, y};
    ClientToScreen(s->hwnd, &pt);
    if (!DragDetect(s->hwnd, pt)) return;
    log_message(0, kHexDumpTag, "Start Tracking");
    SetCapture(s->hwnd);
    s->captured = 1;
    s->trackMode = kTrackDrag;
    SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
}

}  // namespace

// The context menu that follows (default processing turns the button-up into
// WM_CONTEXTMENU for the owner) offers what the focused window allows, so the
// dump takes the focus first, as a left click does.
void uihexdump_on_rbuttondown(HexDumpState* s) { SetFocus(s->hwnd); }

void uihexdump_on_lbuttondown(HexDumpState* s, WPARAM keys, int x, int y) {
    SetFocus(s->hwnd);
    HexHitResult hit = uihexdump_hittest(s, x, y);
    log_message(0, kHexDumpTag, "Hittest on button down => hit=$%lX new_var=%d", static_cast<unsigned long>(hit.code),
                hit.offset);
    if (!(hit.code & (HEXHIT_DUMP | HEXHIT_ASCII))) return;
    long long offset = hit.offset + ((hit.code & HEXHIT_RIGHTHALF) ? 1 : 0);
    long long anchor = (keys & MK_SHIFT) ? s->anchor : offset;
    uihexdump_set_selection(s, anchor, offset, 0);
    start_drag_if_dragged(s, x, y);
}

void uihexdump_on_lbuttondblclk(HexDumpState* s, int x, int y) {
    HexHitResult hit = uihexdump_hittest(s, x, y);
    log_message(0, kHexDumpTag, "Hittest on WM_LBUTTONDBLCLK => hit=$%lX new_var=%d",
                static_cast<unsigned long>(hit.code), hit.offset);
    if (!(hit.code & (HEXHIT_DUMP | HEXHIT_ASCII))) return;
    uihexdump_set_selection(s, hit.offset, static_cast<long long>(hit.offset) + 1, 0);
    start_drag_if_dragged(s, x, y);
}

void uihexdump_on_mousemove(HexDumpState* s, int x, int y) {
    if (s->trackMode == kTrackIdle) return;
    HexHitResult hit = uihexdump_hittest(s, x, y);
    if (hit.code & (HEXHIT_DUMP | HEXHIT_ASCII)) {
        uihexdump_autoscroll(s, kTrackDrag);
        uihexdump_set_selection(s, s->anchor, hit.offset, 0);
    } else if (hit.code & HEXHIT_TOPBAND) {
        if (s->trackMode != kTrackUp) uihexdump_autoscroll(s, kTrackUp);
    } else if (hit.code & HEXHIT_BOTTOMBAND) {
        if (s->trackMode != kTrackDown) uihexdump_autoscroll(s, kTrackDown);
    } else {
        uihexdump_autoscroll(s, kTrackDrag);
    }
}

void uihexdump_on_lbuttonup(HexDumpState* s) {
    if (!s->captured) return;
    if (s->trackMode != kTrackIdle) log_message(0, kHexDumpTag, "Finish Tracking");
    s->trackMode = kTrackIdle;
    s->captured = 0;
    ReleaseCapture();
}

// Another window took the mouse (a menu, a dialog, a task switch): the
// button-up will never arrive, so the drag ends here instead of following a
// released mouse.
void uihexdump_on_capturechanged(HexDumpState* s, HWND newCapture) {
    if (!s->captured || newCapture == s->hwnd) return;
    s->trackMode = kTrackIdle;
    s->captured = 0;
}

void uihexdump_on_timer(HexDumpState* s, UINT_PTR id) {
    if (id != kScrollTimer) return;
    if (s->trackMode == kTrackIdle) KillTimer(s->hwnd, kScrollTimer);
    else uihexdump_autoscroll(s, s->trackMode);
}

void uihexdump_on_keydown(HexDumpState* s, WPARAM vk) {
    unsigned key = static_cast<unsigned>(vk & 0xFF);
    if (GetKeyState(VK_SHIFT) < 0) key |= 0x100;
    if (GetKeyState(VK_CONTROL) < 0) key |= 0x200;
    if (GetKeyState(VK_MENU) < 0) key |= 0x400;
    long long to;
    switch (hexdump_key_move(key, s->caret, s->size, s->bytesPerRow, s->visibleRows, &to)) {
    case HEXKEY_MOVE: uihexdump_set_selection(s, (key & 0x100) ? s->anchor : to, to, 1); return;
    case HEXKEY_BLOCKED: return;
    case HEXKEY_NOT_MOVEMENT: break;
    }
    HWND w = s->hwnd;
    switch (key) {
    case 0x226: uihexdump_vscroll(s, SB_LINEUP); break;
    case 0x228: uihexdump_vscroll(s, SB_LINEDOWN); break;
    case 0x221: uihexdump_vscroll(s, SB_PAGEUP); break;
    case 0x222: uihexdump_vscroll(s, SB_PAGEDOWN); break;
    case 0x224: uihexdump_vscroll(s, SB_TOP); break;
    case 0x223: uihexdump_vscroll(s, SB_BOTTOM); break;
    case 0x225: uihexdump_hscroll(s, SB_LINELEFT, 0); break;
    case 0x227: uihexdump_hscroll(s, SB_LINERIGHT, 0); break;
    case 0x241: PostMessageW(w, UIHDM_SETSEL, 0, -1); break;
    case 0x243: PostMessageW(w, WM_COPY, 0, 0); break;
    case 0x258: PostMessageW(w, WM_CUT, 0, 0); break;
    case 0x256: PostMessageW(w, WM_PASTE, 0, 0); break;
    case 0x25A: PostMessageW(w, WM_UNDO, 0, 0); break;
    case 0x2E: PostMessageW(w, WM_CLEAR, 0, 0); break;
    case 0x08: PostMessageW(w, WM_CLEAR, 1, 0); break;
    default: log_message(0, kHexDumpTag, "WM_KEYDOWN %d ignored", static_cast<int>(vk));
    }
}
