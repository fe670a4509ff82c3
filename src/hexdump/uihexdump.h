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
};

ATOM uihexdump_register(HINSTANCE instance);
void uihexdump_unregister(HINSTANCE instance);
