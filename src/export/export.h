// Copy As and Export As of the hex dump's selection.
#pragma once
#include <windows.h>

void main_on_copy_as(HWND window, int command);
void main_on_export_as(HWND window, int command);
