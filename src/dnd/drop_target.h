// The OLE drop target registered on the main window.
#pragma once
#include <windows.h>
#include <ole2.h>

struct DropTarget;

// What a drop hands on: the dropped object, valid only during the call.
struct DropHandler {
    void (*drop)(void* context, IDataObject* data);
    void* context;
};

bool uidad_drop_register(HWND window, DropTarget** target, const FORMATETC* formats, DropHandler handler);
void uidad_drop_unregister(HWND window, DropTarget** target);

// While the window's own drag runs, the target answers no effect and takes no
// drop: what the window offers is already its list.
void uidad_drop_set_own_drag(DropTarget* target, bool running);

// The registered object as the interface OLE sees (null stays null).
IDropTarget* uidad_interface(DropTarget* target);
