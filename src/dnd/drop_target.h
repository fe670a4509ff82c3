// The OLE drop target registered on the main window.
#pragma once
#include <windows.h>
#include <ole2.h>

struct DropTarget;

bool uidad_drop_register(HWND window, DropTarget** target, const FORMATETC* formats);
void uidad_drop_unregister(HWND window, DropTarget** target);

// The registered object as the interface OLE sees (null stays null).
IDropTarget* uidad_interface(DropTarget* target);
