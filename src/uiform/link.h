// A dialog push button turned into a web link: blue underlined caption, hand
// cursor, the address as tooltip, Ctrl+C and "Copy link". A click reaches the
// dialog as an ordinary BN_CLICKED; the owner opens the address with link_open.
#pragma once
#include <windows.h>

// First parameter of WM_SETTEXT that sets the link address instead of the caption.
constexpr WPARAM LINK_SETADDRESS = 0x400;
// Option bit: caption centred, focus rectangle inset by 2 pixels.
constexpr DWORD LINK_CENTERED = 1;
// Longest address kept, without the terminator.
constexpr int LINK_ADDRESS_MAX = 259;

// Attaches the link behaviour to button `id` of `dialog`. A null tooltip makes
// the control create its own. Returns 0 when the state cannot be allocated
// (the control stays a plain button), 1 otherwise.
int link_attach(HWND dialog, int id, HINSTANCE instance, const wchar_t* address, HWND tooltip, DWORD options);

// Opens the address of link `id` with the shell, but only a web address
// (link_address_opens). *result (optional) receives ShellExecuteW's result,
// 0 when the control has no link or its address is refused.
// True when the shell reported success.
BOOL link_open(HWND dialog, int id, INT_PTR* result);

LRESULT CALLBACK link_wndproc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
