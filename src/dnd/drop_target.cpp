// The OLE drop target of the main window: shows the drag image through the
// shell's helper when there is one, always offers a copy, and captures the
// dropped object without ever telling the source that it took the data.
#include "dnd/drop_target.h"
#include "dnd/drop_target_internal.h"
#include "base/log.h"

#include <new>

namespace {

const char kTag[] = "UIDrop";

}  // namespace

// The object OLE holds; the method table is the IDropTarget interface's.
struct DropTarget final : public IDropTarget {
    LONG refCount;
    IDropTargetHelper* dropHelper;
    HWND window;
    FORMATETC* formatList;
    DropHandler handler;
    bool ownDrag;  // the window's own drag is running
    bool helperAsked;  // the shell's helper is made when the first drag comes in

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return uidad_IDropTarget_QueryInterface(this, iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return uidad_IDropTarget_AddRef(this); }
    ULONG STDMETHODCALLTYPE Release() override { return uidad_IDropTarget_Release(this); }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
        return uidad_IDropTarget_DragEnter(this, data, keys, pt, effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL pt, DWORD* effect) override {
        return uidad_IDropTarget_DragOver(this, keys, pt, effect);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return uidad_IDropTarget_DragLeave(this); }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
        return uidad_IDropTarget_Drop(this, data, keys, pt, effect);
    }
};

namespace {

// While a modal dialog runs the window is disabled: nothing may be dropped into
// a list the dialog may be working on.
DWORD offered_effect(const DropTarget* self) {
    return IsWindowEnabled(self->window) && !self->ownDrag ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

}  // namespace

void uidad_drop_set_own_drag(DropTarget* target, bool running) {
    if (target) target->ownDrag = running;
}

HRESULT IDropTargetHelper_Create(IDropTargetHelper** helper) {
    if (!helper) return E_INVALIDARG;
    *helper = nullptr;
    return CoCreateInstance(CLSID_DragDropHelper, nullptr,
                            CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER, IID_IDropTargetHelper,
                            reinterpret_cast<void**>(helper));
}

HRESULT uidad_IDropTarget_Construct(DropTarget** target, HWND window, const FORMATETC* formats,
                                    DropHandler handler) {
    if (!target || !window || !formats) return E_INVALIDARG;
    log_message(0, kTag, "uidad_IDropTarget_Construct");
    *target = nullptr;
    void* memory = GlobalAlloc(GPTR, sizeof(DropTarget));
    if (!memory) return E_OUTOFMEMORY;
    DropTarget* self = new (memory) DropTarget;
    self->refCount = 1;
    self->dropHelper = nullptr;
    self->window = window;
    self->formatList = nullptr;
    self->handler = handler;
    self->ownDrag = false;
    self->helperAsked = false;

    SIZE_T count = 1;
    while (formats[count - 1].cfFormat != 0) ++count;
    self->formatList = static_cast<FORMATETC*>(GlobalAlloc(GPTR, count * sizeof(FORMATETC)));
    if (!self->formatList) {
        self->Release();
        return E_OUTOFMEMORY;
    }
    CopyMemory(self->formatList, formats, count * sizeof(FORMATETC));

    // Making the helper loads the shell's DLLs, which the window's first paint
    // does not need: the step is named here, done when a drag first enters.
    log_message(0, kTag, "IDropTargetHelper_Create");
    *target = self;
    return S_OK;
}

namespace {

void ask_for_helper(DropTarget* self) {
    if (self->helperAsked) return;
    self->helperAsked = true;
    if (FAILED(IDropTargetHelper_Create(&self->dropHelper)) || !self->dropHelper) {
        self->dropHelper = nullptr;
        log_message(0, kTag, "ERROR: Could not get IDropTargetHelper reference!");
    }
}

}  // namespace

HRESULT uidad_IDropTarget_QueryInterface(DropTarget* self, REFIID iid, void** out) {
    log_message(0, kTag, "uidad_IDropTarget_QueryInterface");
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IDropTarget) || IsEqualIID(iid, IID_IUnknown)) {
        uidad_IDropTarget_AddRef(self);
        *out = static_cast<IDropTarget*>(self);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG uidad_IDropTarget_AddRef(DropTarget* self) {
    log_message(0, kTag, "uidad_IDropTarget_AddRef");
    return static_cast<ULONG>(InterlockedIncrement(&self->refCount));
}

ULONG uidad_IDropTarget_Release(DropTarget* self) {
    log_message(0, kTag, "uidad_IDropTarget_Release");
    LONG left = InterlockedDecrement(&self->refCount);
    if (left != 0) return static_cast<ULONG>(left);
    log_message(0, kTag, "uidad_IDropTarget_Destruct");
    if (self->dropHelper) self->dropHelper->Release();
    if (self->formatList) GlobalFree(self->formatList);
    self->~DropTarget();
    GlobalFree(self);
    return 0;
}

HRESULT uidad_IDropTarget_DragEnter(DropTarget* self, IDataObject* data, DWORD, POINTL pt, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    log_message(0, kTag, "uidad_IDropTarget_DragEnter: start dropeffect=%lX", *effect);
    ask_for_helper(self);
    if (self->dropHelper) {
        POINT p{pt.x, pt.y};
        self->dropHelper->DragEnter(self->window, data, &p, *effect);
    }
    *effect = offered_effect(self);
    log_message(0, kTag, "uidad_IDropTarget_DragEnter: end dropeffect=%lX", *effect);
    return S_OK;
}

HRESULT uidad_IDropTarget_DragOver(DropTarget* self, DWORD, POINTL pt, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    log_message(0, kTag, "uidad_IDropTarget_DragOver: start dropeffect=%lX", *effect);
    if (self->dropHelper) {
        POINT p{pt.x, pt.y};
        self->dropHelper->DragOver(&p, *effect);
    }
    *effect = offered_effect(self);
    log_message(0, kTag, "uidad_IDropTarget_DragOver: end dropeffect=%lX", *effect);
    return S_OK;
}

HRESULT uidad_IDropTarget_DragLeave(DropTarget* self) {
    log_message(0, kTag, "uidad_IDropTarget_DragLeave");
    if (self->dropHelper) self->dropHelper->DragLeave();
    return S_OK;
}

HRESULT uidad_IDropTarget_Drop(DropTarget* self, IDataObject* data, DWORD, POINTL pt, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    log_message(0, kTag, "uidad_IDropTarget_Drop: start dropeffect=%lX", *effect);
    if (self->dropHelper) {
        POINT p{pt.x, pt.y};
        self->dropHelper->Drop(data, &p, *effect);
    }
    if (self->handler.drop && offered_effect(self) != DROPEFFECT_NONE)
        self->handler.drop(self->handler.context, data);
    // Never claim the data: a source that offered a move keeps what it has.
    *effect = DROPEFFECT_NONE;
    log_message(0, kTag, "uidad_IDropTarget_Drop: end dropeffect=%lX", *effect);
    return S_OK;
}

namespace {

// Undoes what registration took besides the window's registration: the lock,
// the construction reference and OLE's initialisation.
void let_go(DropTarget** target) {
    log_message(0, kTag, "CoLockObjectExternal( FALSE)");
    CoLockObjectExternal(*target, FALSE, TRUE);
    (*target)->Release();
    OleUninitialize();
    *target = nullptr;
}

}  // namespace

bool uidad_drop_register(HWND window, DropTarget** target, const FORMATETC* formats, DropHandler handler) {
    log_message(0, kTag, "uidad_drop_register");
    if (!target) return false;
    *target = nullptr;
    if (!formats) return false;
    HRESULT hr = OleInitialize(nullptr);
    if (hr != S_OK && hr != S_FALSE) return false;
    if (FAILED(uidad_IDropTarget_Construct(target, window, formats, handler)) || !*target) {
        OleUninitialize();  // nothing will be unregistered to balance it
        *target = nullptr;
        return false;
    }
    log_message(0, kTag, "CoLockObjectExternal( TRUE)");
    CoLockObjectExternal(*target, TRUE, FALSE);
    log_message(0, kTag, "RegisterDragDrop");
    HRESULT registered = RegisterDragDrop(window, *target);
    if (FAILED(registered)) {
        log_message(0, kTag, "ERROR: RegisterDragDrop failed, hr=%08lX", static_cast<unsigned long>(registered));
        let_go(target);
        return false;
    }
    return true;
}

void uidad_drop_unregister(HWND window, DropTarget** target) {
    log_message(0, kTag, "uidad_drop_unregister");
    if (!target || !*target) return;
    log_message(0, kTag, "RevokeDragDrop");
    RevokeDragDrop(window);
    let_go(target);
}

IDropTarget* uidad_interface(DropTarget* target) { return target; }
