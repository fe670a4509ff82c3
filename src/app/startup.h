#pragma once
#include <windows.h>
// The whole life of the program: start-up, message loop, tear-down. Returns the exit code.
int main_run(HINSTANCE instance, int show);
