// The drop target's methods as free functions, so tests and the object's
// method table reach the same code.
#pragma once
#include "dnd/drop_target.h"

#include <shlobj.h>

HRESULT uidad_IDropTarget_Construct(DropTarget** target, HWND window, const FORMATETC* formats,
                                    DropHandler handler);
HRESULT uidad_IDropTarget_QueryInterface(DropTarget* self, REFIID iid, void** out);
ULONG uidad_IDropTarget_AddRef(DropTarget* self);
ULONG uidad_IDropTarget_Release(DropTarget* self);
HRESULT uidad_IDropTarget_DragEnter(DropTarget* self, IDataObject* data, DWORD keys, POINTL pt, DWORD* effect);
HRESULT uidad_IDropTarget_DragOver(DropTarget* self, DWORD keys, POINTL pt, DWORD* effect);
HRESULT uidad_IDropTarget_DragLeave(DropTarget* self);
HRESULT uidad_IDropTarget_Drop(DropTarget* self, IDataObject* data, DWORD keys, POINTL pt, DWORD* effect);
HRESULT IDropTargetHelper_Create(IDropTargetHelper** helper);
