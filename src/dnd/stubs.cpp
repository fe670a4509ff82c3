// Placeholder until the drop target lands; replaced by the drag-and-drop subsystem.
#include "dnd/drop_target.h"
bool uidad_drop_register(HWND, DropTarget** target, const FORMATETC*) { *target = nullptr; return false; }
void uidad_drop_unregister(HWND, DropTarget**) {}
