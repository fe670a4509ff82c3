// The UISplitter control: one bar between two panes, nestable.
#pragma once
#include <windows.h>

#define UISPLITTER_CLASS L"UISplitter"

enum : DWORD {
    UISPS_HORIZONTAL = 0x0001,
    UISPS_LOCKED = 0x0002,
};

// All are sent; each answers 1 unless noted.
//   SETPANES  wParam first pane, lParam second pane; (HWND)-1 keeps that pane.
//   GETPANES  wParam HWND* or null, lParam HWND* or null.
//   LAYOUT    lParam const RECT* area in the parent's client coordinates, or
//             null for the parent's whole client rectangle.
//   GETAREA   lParam RECT* or null.
//   ISDRAGGING / GETLOCKED answer the flag; SETLOCKED wParam the new flag.
//   GETBAR    wParam int* (1 horizontal, 0 vertical) or null, lParam RECT*
//             (the bar in the parent's client coordinates) or null.
//   RESCALE   wParam the new density, lParam the old one: the bar's offset
//             and thickness carried over, then laid out again.
enum : UINT {
    UISPM_SETPANES = WM_USER + 0x00,
    UISPM_GETPANES = WM_USER + 0x01,
    UISPM_LAYOUT = WM_USER + 0x02,
    UISPM_GETAREA = WM_USER + 0x03,
    UISPM_ISDRAGGING = WM_USER + 0x04,
    UISPM_SETLOCKED = WM_USER + 0x05,
    UISPM_GETLOCKED = WM_USER + 0x06,
    UISPM_GETBAR = WM_USER + 0x07,
    UISPM_RESCALE = WM_USER + 0x08,
};

ATOM splitter_register_class(HINSTANCE instance);
void splitter_unregister_class(HINSTANCE instance);
bool is_splitter_window(HWND window);
LRESULT CALLBACK splitter_wndproc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
