// The Goto and About dialogs.
#pragma once
#include <windows.h>

void main_on_goto(HWND window);
void main_on_about(HWND window);
