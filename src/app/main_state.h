// The main window's state record and the module-level values start-up sets.
#pragma once
#include "entries/clipboard_capture.h"
#include "entries/entry_table.h"
#include "viewer/viewer.h"

#include <windows.h>

struct DropTarget;

struct MainWindowState {
    HWND window;
    HWND innerSplitter;   // id 1239: list view / hex dump (the outer one is viewer.outerSplitter)
    HWND listView;        // id 1234
    EntryTable entries;
    ViewerState viewer;   // hex dump, outer splitter, viewer pane, the two edits
    DropTarget* dropTarget;
    HWND focusWindow;     // child that had the focus on deactivation/minimise
    ClipboardCapture capture;    // the clipboard read that runs, if one does
    bool watching;               // Watch the clipboard is on
    bool readAgain;              // the clipboard changed during the capture
    wchar_t captureSource[160];  // where the last capture came from
    DWORD captureTook;           // and how many milliseconds it took
    HWND statusBar;              // made when first shown
    int dpi;                     // the density the children are laid out for
    wchar_t statusNote[80];      // shown in place of the source until the next capture or search
    HWND dumpSplitter;           // hex dump / data inspector, made when the inspector is first shown
    HWND inspector;
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

extern HINSTANCE g_instance;   // module handle of the executable
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
void main_register_formats();
// Makes entry `index` (-1 none) the one the dump and the viewers show.
void main_activate_item_viewer(MainWindowState* state, int index);
