// The main window's state record and the module-level values start-up sets.
#pragma once
#include <windows.h>

struct DataEntry;
struct DropTarget;

struct MainWindowState {
    HWND window;
    HWND outerSplitter;   // id 1236: upper panes / viewer area
    HWND innerSplitter;   // id 1239: list view / hex dump
    HWND listView;        // id 1234
    HWND hexDump;         // id 1235
    HWND viewerPane;      // id 1357, owner-drawn static
    HWND ansiEdit;        // id 4567, hidden until a text viewer is chosen
    HWND wideEdit;        // id 4568
    HGLOBAL localeText;   // 256-byte text buffer of the CF_LOCALE viewer
    DropTarget* dropTarget;
    DataEntry* entries;
    int entryCount;
    int entryCapacity;
    int activeEntry;      // -1 for none
    HWND focusWindow;     // child that had the focus on deactivation/minimise
    HFONT viewerFont;
    int fitMode;          // 0 don't fit, 1 fit, 2 fit only large bitmaps
    int centerBitmap;
};

enum : int {
    IDC_LISTVIEW = 1234,
    IDC_HEXDUMP = 1235,
    IDC_OUTER_SPLITTER = 1236,
    IDC_INNER_SPLITTER = 1239,
    IDC_VIEWER_PANE = 1357,
    IDC_ANSI_EDIT = 4567,
    IDC_WIDE_EDIT = 4568,
};

constexpr INT cf_bitmapfile = -11;

extern HINSTANCE g_instance;   // module handle of the executable
extern UINT cf_filename;       // registered "FileName"
extern UINT cf_filenamew;      // registered "FileNameW"
extern HWND g_main_window;     // set once the main window is shown

inline MainWindowState* main_state(HWND window) {
    return reinterpret_cast<MainWindowState*>(GetWindowLongPtrW(window, 0));
}

// Main window (src/app/main_window.cpp).
extern const wchar_t main_class_name[];  // "Clipnook"
ATOM main_register_class(HINSTANCE instance);
HWND main_create_window(HINSTANCE instance);
void main_size_to_hexdump(HWND window);
LRESULT CALLBACK main_wndproc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK edit_subclass_proc(HWND, UINT, WPARAM, LPARAM);
bool is_hexdump_window(HWND window);
void main_register_formats();
