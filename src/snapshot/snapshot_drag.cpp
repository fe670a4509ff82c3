// Dragging entries out: a data object holding its own copy of every entry
// (or one), offered with its whole FORMATETC, so the list may change while
// the drag runs and the target still gets what was dragged.
#include "snapshot/snapshot.h"
#include "snapshot/snapshot_handles.h"

#include "base/log.h"
#include "base/win_raii.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

DVTARGETDEVICE* copy_device(const DVTARGETDEVICE* device) {
    if (!device) return nullptr;
    auto* copy = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(device->tdSize));
    if (copy) std::memcpy(copy, device, device->tdSize);
    return copy;
}

struct Item {
    FORMATETC format;  // its target device is the item's own
    DWORD medium;      // the medium the bytes came from
    std::vector<BYTE> bytes;
};

// The formats as an enumerator hands them out: every target device a copy the receiver frees.
class FormatList final : public IEnumFORMATETC {
public:
    FormatList(IUnknown* owner, const std::vector<Item>& items, ULONG at) : owner_(owner), items_(items), at_(at) {
        owner_->AddRef();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumFORMATETC);
        *out = known ? this : nullptr;
        return known ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) owner_->Release(), delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
        ULONG n = 0;
        for (; n < count && at_ < items_.size(); ++n, ++at_) {
            out[n] = items_[at_].format;
            out[n].ptd = copy_device(items_[at_].format.ptd);
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        at_ = count > items_.size() - at_ ? static_cast<ULONG>(items_.size()) : at_ + count;
        return at_ < items_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override { return at_ = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override {
        *out = new (std::nothrow) FormatList(owner_, items_, at_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    LONG refs_ = 1;
    IUnknown* owner_;  // keeps the items alive
    const std::vector<Item>& items_;
    ULONG at_;
};

class EntriesObject final : public IDataObject, public IDropSource {
public:
    explicit EntriesObject(std::vector<Item> items) : items_(std::move(items)) {}
    ~EntriesObject() {
        for (Item& item : items_)
            if (item.format.ptd) CoTaskMemFree(item.format.ptd);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject))
            *out = static_cast<IDataObject*>(this);
        else if (IsEqualIID(iid, IID_IDropSource))
            *out = static_cast<IDropSource*>(this);
        else
            return *out = nullptr, E_NOINTERFACE;
        return AddRef(), S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* want, STGMEDIUM* medium) override {
        if (!want || !medium) return E_INVALIDARG;
        const Item* item = nullptr;
        HRESULT hr = find(want, &item);
        if (FAILED(hr)) return hr;
        HANDLE handle = snapshot_handle_for(item->format.cfFormat, item->medium, item->bytes.data(), item->bytes.size());
        if (!handle) return E_OUTOFMEMORY;
        *medium = STGMEDIUM{};
        medium->tymed = item->format.tymed;
        medium->hGlobal = static_cast<HGLOBAL>(handle);  // one union: the bitmap and metafile members alike
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* want) override {
        const Item* item = nullptr;
        return want ? find(want, &item) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out) return E_INVALIDARG;
        *out = direction == DATADIR_GET ? new (std::nothrow) FormatList(static_cast<IDataObject*>(this), items_, 0) : nullptr;
        return *out ? S_OK : direction == DATADIR_GET ? E_OUTOFMEMORY : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        return escape ? DRAGDROP_S_CANCEL : (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    HRESULT find(const FORMATETC* want, const Item** found) const {
        for (const Item& item : items_) {
            if (item.format.cfFormat != want->cfFormat) continue;
            if (item.format.dwAspect != want->dwAspect || item.format.lindex != want->lindex) continue;
            if (!(want->tymed & item.format.tymed)) return DV_E_TYMED;
            return *found = &item, S_OK;
        }
        return DV_E_FORMATETC;
    }

    LONG refs_ = 1;
    std::vector<Item> items_;
};

}  // namespace

IDataObject* snapshot_data_object(const EntryTable* table, int only) {
    std::vector<Item> items;
    for (int row = only < 0 ? 0 : only; row < table->count && (only < 0 || row == only); ++row) {
        const DataEntry& e = table->items[row];
        UINT id = snapshot_clipboard_id(table, row);
        GlobalLockGuard bytes(e.data);
        if (!id || !bytes || bytes.size() < e.size) continue;
        Item item{{static_cast<CLIPFORMAT>(id), copy_device(e.device), e.aspect, e.lindex, snapshot_tymed_of(id)},
                  e.medium, std::vector<BYTE>(bytes.as<BYTE>(), bytes.as<BYTE>() + e.size)};
        items.push_back(std::move(item));
    }
    if (items.empty()) return nullptr;
    return new (std::nothrow) EntriesObject(std::move(items));
}

DWORD snapshot_drag(const EntryTable* table, int only) {
    IDataObject* data = snapshot_data_object(table, only);
    if (!data) return DROPEFFECT_NONE;
    IDropSource* source = nullptr;
    DWORD effect = DROPEFFECT_NONE;
    if (SUCCEEDED(data->QueryInterface(IID_IDropSource, reinterpret_cast<void**>(&source)))) {
        HRESULT hr = DoDragDrop(data, source, DROPEFFECT_COPY, &effect);
        log_message(0, "Main", "Drag of %s: hr=%08lX effect=%lu", only < 0 ? "every entry" : "one entry",
                    static_cast<unsigned long>(hr), effect);
        source->Release();
    }
    data->Release();
    return effect;
}
