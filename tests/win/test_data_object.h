// A data object as hostile as another program's: chosen formats, answers and sizes.
#pragma once
#include <windows.h>

#include <cstring>
#include <functional>
#include <utility>
#include <vector>

// How a format answers GetData for global memory. Blocks stay the object's and
// go out with pUnkForRelease; SharedBlock is the benchmark's name for that.
enum class Answer { Block, SharedBlock = Block, Fail, NullHandle, WrongMedium, OtherSuccess };

struct Offer {
    FORMATETC format;  // a target-device block in it is the receiver's once enumerated
    Answer answer;
    std::vector<unsigned char> bytes;
    std::function<void()> during;  // run once inside GetData, before it answers
    HGLOBAL block;
};

inline FORMATETC formatetc(CLIPFORMAT cf, DWORD tymed, DWORD aspect = DVASPECT_CONTENT, LONG index = -1) {
    return FORMATETC{cf, nullptr, aspect, index, tymed};
}
inline std::vector<unsigned char> pattern(size_t n) {  // n bytes that differ from their neighbours
    std::vector<unsigned char> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<unsigned char>(i * 7 + 1);
    return v;
}

// Lives on the test's stack. refs counts every reference handed out, to the
// object, its enumerator and each medium (pUnkForRelease); 1 is the test's own.
struct TestDataObject final : IDataObject, IEnumFORMATETC {
    std::vector<Offer> offers;
    bool enumFails = false;
    LONG refs = 1;
    size_t pos = 0;

    ~TestDataObject() { for (Offer& o : offers) GlobalFree(o.block); }
    void add(FORMATETC f, Answer a = Answer::Block, std::vector<unsigned char> bytes = {},
             std::function<void()> during = {}) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (!bytes.empty()) std::memcpy(GlobalLock(block), bytes.data(), bytes.size()), GlobalUnlock(block);
        offers.push_back(Offer{f, a, std::move(bytes), std::move(during), block});
    }
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
        bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject);
        *out = known ? static_cast<IDataObject*>(this) : nullptr;
        return known ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return InterlockedIncrement(&refs); }
    STDMETHOD_(ULONG, Release)() override { return InterlockedDecrement(&refs); }
    STDMETHOD(GetData)(FORMATETC* w, STGMEDIUM* medium) override {
        for (Offer& o : offers) {
            const FORMATETC& f = o.format;
            if (f.cfFormat != w->cfFormat || f.dwAspect != w->dwAspect || f.lindex != w->lindex) continue;
            if (w->tymed != TYMED_HGLOBAL) return DV_E_TYMED;
            if (o.during) std::exchange(o.during, nullptr)();
            if (o.answer == Answer::Fail) return DV_E_FORMATETC;
            medium->tymed = TYMED_HGLOBAL;
            medium->hGlobal = o.answer == Answer::NullHandle ? nullptr : o.block;
            if (o.answer == Answer::WrongMedium)
                medium->tymed = TYMED_ISTREAM, CreateStreamOnHGlobal(nullptr, TRUE, &medium->pstm);
            medium->pUnkForRelease = static_cast<IDataObject*>(this), AddRef();
            return o.answer == Answer::OtherSuccess ? DATA_S_SAMEFORMATETC : S_OK;
        }
        return DV_E_FORMATETC;
    }
    STDMETHOD(EnumFormatEtc)(DWORD direction, IEnumFORMATETC** out) override {
        *out = direction == DATADIR_GET && !enumFails ? static_cast<IEnumFORMATETC*>(this) : nullptr;
        return *out ? (AddRef(), pos = 0, S_OK) : E_NOTIMPL;
    }
    STDMETHOD(Next)(ULONG count, FORMATETC* out, ULONG* fetched) override {
        ULONG n = 0;
        for (; n < count && pos < offers.size(); ++n) out[n] = offers[pos++].format;
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHOD(Reset)() override { return pos = 0, S_OK; }
    // What the receiver never calls.
    STDMETHOD(Skip)(ULONG) { return E_NOTIMPL; } STDMETHOD(Clone)(IEnumFORMATETC**) { return E_NOTIMPL; }
    STDMETHOD(QueryGetData)(FORMATETC*) { return E_NOTIMPL; } STDMETHOD(DUnadvise)(DWORD) { return E_NOTIMPL; }
    STDMETHOD(EnumDAdvise)(IEnumSTATDATA**) { return E_NOTIMPL; }
    STDMETHOD(GetDataHere)(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
    STDMETHOD(SetData)(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }
    STDMETHOD(GetCanonicalFormatEtc)(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }
    STDMETHOD(DAdvise)(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return E_NOTIMPL; }
};
