// The values start-up sets once and every part of the application reads.
#include "app/main_state.h"

HINSTANCE g_instance;
HWND g_main_window;
