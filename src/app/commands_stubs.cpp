// Placeholder until the command dispatch lands; replaced by the commands work.
#include "app/commands.h"
#include "app/main_state.h"
LRESULT main_on_command(MainWindowState* state, WPARAM wParam, LPARAM, bool* handled) {
    *handled = false;
    if (LOWORD(wParam) == IDM_EXIT) SendMessageW(state->window, WM_CLOSE, 0, 0);
    return 0;
}
int main_update_menu(MainWindowState*, HMENU) { return 0; }
void main_on_context_menu(MainWindowState*, HWND, LPARAM) {}
void main_on_add_file(HWND) {}
