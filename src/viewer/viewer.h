// Viewer switching and the owner-drawn viewer pane.
#pragma once
#include "entries/entry_table.h"
#include "viewer/formats_core.h"

#include <windows.h>

struct DecodedImage;

// The windows and settings the viewers work with; the main window creates them.
struct ViewerState {
    HWND hexDump;
    HWND outerSplitter;   // its second pane shows the chosen viewer
    HWND viewerPane;      // owner-drawn static
    HWND ansiEdit;        // hidden until a text viewer is chosen
    HWND wideEdit;
    HGLOBAL localeText;   // text buffer of the CF_LOCALE viewer
    HFONT font;
    int fitMode;          // 0 don't fit, 1 fit, 2 fit only large bitmaps
    int centerBitmap;
    DecodedImage* image;  // the active image entry decoded once, on activation; freed on the next one
};

// Makes entry `index` (-1 none) the one the hex dump and the viewers show.
void viewer_activate(ViewerState* viewer, EntryTable* table, int index);
void viewer_pane_paint(const ViewerState* viewer, const EntryTable* table, HDC dc, const RECT* rect);

// The viewer pane menu's choice: fit mode 0..2; centring follows (off for 0).
void viewer_set_fit_mode(ViewerState* viewer, int mode);
// Which viewer the entry gets, by its id and registered name (nothing logged).
FormatViewerChoice viewer_choice(const DataEntry& entry);
// Whether the active entry is drawn as a bitmap, image or metafile (the pane's fit menu applies).
bool viewer_shows_bitmap(const EntryTable* table);
