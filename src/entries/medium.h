// Every storage medium a data object can hand out, turned into bytes the
// entry owns: global memory as it is, a stream's content, a storage as a
// compound file, metafiles as their bits, a bitmap as a packed DIB, a palette
// as its entries, a file's content.
#pragma once
#include <windows.h>
#include <objidl.h>

// The most bytes a stream, storage or file is read to: what one entry and the
// dump can describe.
constexpr ULONGLONG kLargestMediumBytes = 0x7FFFFFFF;

struct MediumBytes {
    HGLOBAL block;        // a movable block of exactly `size` bytes, or null
    UINT size;
    DWORD medium;         // the TYMED_ bit the bytes came from, 0 when none
    const wchar_t* mark;  // the size column's mark when there are no bytes
};

// Takes the bytes of `medium` and releases it, exactly once, on every path.
MediumBytes entry_take_medium(STGMEDIUM* medium);

// Asks the object for one offered format: as global memory first when it is
// offered (as the capture always did), else on the other media it offers.
// An empty mark and no block: the format offers no medium that can be read.
MediumBytes entry_fetch_format(IDataObject* data, const FORMATETC& offered);

// The media a capture asks for, best first: global memory as before, then
// the others as bytes.
constexpr DWORD kCapturedMedia =
    TYMED_HGLOBAL | TYMED_ISTREAM | TYMED_ENHMF | TYMED_MFPICT | TYMED_GDI | TYMED_FILE | TYMED_ISTORAGE;
