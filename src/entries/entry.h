// One captured format, file or sample: the table owns `data`.
#pragma once
#include <windows.h>

struct DataEntry {
    HGLOBAL data;          // own movable copy of the bytes, null when nothing could be fetched
    UINT size;             // byte count
    INT format;            // clipboard format id, 0 for files/ASCII table, cf_bitmapfile for bitmap files
    INT selectionAnchor;   // hex dump view saved when the entry stops being active
    INT selectionCaret;
    INT scrollOffset;
};
