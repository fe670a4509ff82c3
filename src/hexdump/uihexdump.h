// The UIHexDump control: offsets, a dump column and an ASCII column under a header.
#pragma once
#include <windows.h>

#define UIHEXDUMP_CLASS L"UIHexDump"

enum : DWORD {
    UIHDS_HEADER = 0x0001,
    UIHDS_NOHEADERBUTTONS = 0x0002,
};

enum : UINT {
    UIHDM_SETDATA = WM_USER + 0x00,
    UIHDM_GETDATA = WM_USER + 0x01,
    UIHDM_SETSEL = WM_USER + 0x02,
    UIHDM_GETSEL = WM_USER + 0x03,
    UIHDM_SETTOPOFFSET = WM_USER + 0x04,
    UIHDM_GETTOPOFFSET = WM_USER + 0x05,
    UIHDM_GETHEADER = WM_USER + 0x06,
    UIHDM_ENSURECARETVISIBLE = WM_USER + 0x07,
    UIHDM_GETIDEALWIDTH = WM_USER + 0x08,
    UIHDM_FIND = WM_USER + 0x09,
    UIHDM_GETSELBYTES = WM_USER + 0x0A,
    UIHDM_GETDUMPTEXT = WM_USER + 0x0B,
    // After the window moved to a screen of another density: makes the fonts
    // again for wParam DPI (0: the window's) and lays out from their cells.
    // Answers 1.
    UIHDM_REBUILDFONTS = WM_USER + 0x40,
};

// lParam of UIHDM_FIND. Without UIHDF_FIND_FROM: forward from the
// selection's end, bytes compared exactly, past the end on from the start;
// 1 for a hit. With it: from `start` by find_search's rules (find_core.h),
// the other flags deciding direction and case; 1 for a hit, 2 for a hit found
// only after wrapping around. A miss answers 0 and keeps the selection; a hit
// becomes the selection and is scrolled into view.
struct HexDumpFindRequest {
    const BYTE* pattern;
    int length;
    UINT flags;
    int start;
};
enum : UINT {
    UIHDF_FIND_FROM = 0x1,
    UIHDF_FIND_BACKWARDS = 0x2,
    UIHDF_FIND_IGNORECASE = 0x4,  // ASCII letters
    UIHDF_FIND_UTF16 = 0x8,       // with IGNORECASE: letters compared as UTF-16 units
};

// WM_NOTIFY code sent to the parent (an NMHDR, idFrom the control's id) after
// the selection's anchor or caret changed, by the user or by a message; new
// data (UIHDM_SETDATA) counts as a change. Answer 0.
constexpr UINT UIHDN_SELCHANGED = 0U - 1900U;

// Ids of the header menus' commands (offset menu 1000..1003, dump menu
// 1000..1016, ASCII menu 1000..1003; see uihexdump.cpp).
enum : UINT { UIHDM_MENU_FIRST = 1000 };

ATOM uihexdump_register(HINSTANCE instance);
// What UIHDM_GETIDEALWIDTH answers for a control of this style just made at
// `dpi`, known before it exists: its parent can be made that wide at once
// instead of being sized a second time.
int uihexdump_first_ideal_width(int dpi, DWORD style, DWORD exStyle);
// True for a window of this class (the commands act on a focused dump).
bool is_hexdump_window(HWND window);
void uihexdump_unregister(HINSTANCE instance);

// What a right click on header item 0, 1 or 2 does, in two halves: the item's
// menu built fresh with its marks (the caller destroys it; null for another
// item), and applying one of its command ids. The control's own WM_CONTEXTMENU
// tracks the menu between the two.
HMENU uihexdump_build_header_menu(HWND control, int item);
void uihexdump_header_command(HWND control, int item, UINT command);
