// The UIInspector control: a read-only list of what the bytes at one position
// of a block read as (inspector_core), one row per interpretation.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#define UIINSPECTOR_CLASS L"UIInspector"

// lParam of UIINM_SHOW: the bytes are read while the message runs, never kept.
struct InspectorBytes {
    const uint8_t* data;  // null: nothing to show, every value a dash
    size_t size;
    size_t position;
};

enum : UINT {
    UIINM_SHOW = WM_USER + 0x00,     // lParam const InspectorBytes*; answers 1
    UIINM_GETLIST = WM_USER + 0x01,  // answers the list view (two columns: name, value)
};

ATOM inspector_register(HINSTANCE instance);
