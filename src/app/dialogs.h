// The Goto and About dialogs.
#pragma once
#include <windows.h>
#include <cstdint>

void main_on_goto(HWND window);
void main_on_about(HWND window);

// The last confirmed Goto values; the dialog opens with them.
extern uint32_t goto_offset;
extern uint32_t goto_count;
// The About form's hook: opens the link when it is clicked; never handles a message.
int32_t about_callback(void* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t* result);
