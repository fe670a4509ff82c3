// Placeholder until the Goto and About dialogs land; replaced by the form dialogs work.
#include "app/dialogs.h"
void main_on_goto(HWND) {}
void main_on_about(HWND) {}
