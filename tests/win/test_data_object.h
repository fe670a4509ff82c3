// A data object written for the tests: a real COM object whose formats, media
// and failures each case chooses, and which counts what the capture left open.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <cstring>
#include <string>
#include <vector>

// How one offered format answers GetData with the global-memory medium.
enum class Answer {
    Block,        // a fresh block with the offer's bytes
    Fail,         // DV_E_FORMATETC
    NullHandle,   // S_OK with a null HGLOBAL
    WrongMedium,  // S_OK but a stream instead of the block asked for
    SharedBlock,  // S_OK with the object's own block, kept alive by pUnkForRelease
};

struct Offer {
    FORMATETC format;
    Answer answer = Answer::Block;
    std::vector<unsigned char> bytes;
    bool targetDevice = false;  // hand out a target-device block with the FORMATETC
};

inline FORMATETC formatetc(CLIPFORMAT cf, DWORD tymed, DWORD aspect = DVASPECT_CONTENT, LONG index = -1) {
    FORMATETC f{};
    f.cfFormat = cf;
    f.dwAspect = aspect;
    f.lindex = index;
    f.tymed = tymed;
    return f;
}

inline std::vector<unsigned char> pattern(size_t n, unsigned seed = 1) {
    std::vector<unsigned char> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<unsigned char>(i * 7 + seed);
    return v;
}

// Counts references; every medium the object hands out holds one until the
// receiver releases it.
struct Counter final : public IUnknown {
    LONG refs = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown)) { *out = this; AddRef(); return S_OK; }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&refs); }
};

class TestEnum final : public IEnumFORMATETC {
public:
    TestEnum(const std::vector<Offer>* offers, bool endless, LONG* alive, std::vector<void*>* devices)
        : offers_(offers), endless_(endless), alive_(alive), devices_(devices) { InterlockedIncrement(alive_); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumFORMATETC)) { *out = this; AddRef(); return S_OK; }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) { InterlockedDecrement(alive_); delete this; }
        return n;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
        ++nextCalls;
        ULONG n = 0;
        while (n < count && (endless_ || pos_ < offers_->size())) {
            if (endless_) {
                out[n] = formatetc(static_cast<CLIPFORMAT>(0xC000 + (pos_ & 0xFFF)), TYMED_ISTREAM);
            } else {
                const Offer& o = (*offers_)[pos_];
                out[n] = o.format;
                out[n].ptd = nullptr;
                if (o.targetDevice) {
                    auto* td = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(sizeof(DVTARGETDEVICE)));
                    std::memset(td, 0, sizeof *td);
                    td->tdSize = sizeof *td;
                    out[n].ptd = td;
                    devices_->push_back(td);
                }
            }
            ++pos_;
            ++n;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { pos_ += count; return S_OK; }
    HRESULT STDMETHODCALLTYPE Reset() override { pos_ = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override { *out = nullptr; return E_NOTIMPL; }
    size_t nextCalls = 0;

private:
    const std::vector<Offer>* offers_;
    bool endless_;
    LONG* alive_;
    std::vector<void*>* devices_;
    LONG refs_ = 1;
    size_t pos_ = 0;
};

// Lives on the test's stack: its count starts at 1 for the test's own reference.
class TestDataObject final : public IDataObject {
public:
    std::vector<Offer> offers;
    bool endless = false;
    bool enumFails = false;
    LONG refs = 1;
    LONG enumeratorsAlive = 0;     // enumerators handed out and not yet released
    Counter media;                  // references held by handed-out media
    std::vector<void*> devices;     // target-device blocks handed out
    std::vector<IStream*> streams;  // streams handed out instead of a block
    HGLOBAL shared = nullptr;       // the block of Answer::SharedBlock
    int getDataCalls = 0;
    TestEnum* lastEnum = nullptr;

    ~TestDataObject() {
        for (IStream* s : streams) s->Release();
        if (shared) GlobalFree(shared);
        for (HGLOBAL h : handedBlocks) GlobalFree(h);
    }
    void add(FORMATETC f, Answer a = Answer::Block, std::vector<unsigned char> bytes = {}, bool td = false) {
        offers.push_back(Offer{f, a, std::move(bytes), td});
    }
    // References of the handed-out streams still held by somebody but the test.
    LONG streamRefsHeldElsewhere() {
        LONG held = 0;
        for (IStream* s : streams) {
            s->AddRef();
            held += static_cast<LONG>(s->Release()) - 1;
        }
        return held;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) { *out = this; AddRef(); return S_OK; }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&refs); }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
        ++getDataCalls;
        if (!(wanted->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        for (Offer& o : offers) {
            if (o.format.cfFormat != wanted->cfFormat || o.format.dwAspect != wanted->dwAspect ||
                o.format.lindex != wanted->lindex)
                continue;
            if (!(o.format.tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
            switch (o.answer) {
            case Answer::Fail:
                return DV_E_FORMATETC;
            case Answer::NullHandle:
                medium->tymed = TYMED_HGLOBAL;
                medium->hGlobal = nullptr;
                medium->pUnkForRelease = &media;
                media.AddRef();
                return S_OK;
            case Answer::WrongMedium: {
                IStream* s = nullptr;
                if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &s))) return E_OUTOFMEMORY;
                streams.push_back(s);
                s->AddRef();  // the receiver's reference
                medium->tymed = TYMED_ISTREAM;
                medium->pstm = s;
                medium->pUnkForRelease = nullptr;
                return S_OK;
            }
            case Answer::SharedBlock:
                if (!shared) {
                    shared = GlobalAlloc(GMEM_MOVEABLE, o.bytes.size());
                    if (void* p = GlobalLock(shared)) { std::memcpy(p, o.bytes.data(), o.bytes.size()); GlobalUnlock(shared); }
                }
                medium->tymed = TYMED_HGLOBAL;
                medium->hGlobal = shared;
                medium->pUnkForRelease = &media;
                media.AddRef();
                return S_OK;
            case Answer::Block: {
                // The object keeps the block; pUnkForRelease shows whether the
                // receiver released the medium.
                HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, o.bytes.size());
                if (!h) return E_OUTOFMEMORY;
                if (!o.bytes.empty()) {
                    void* p = GlobalLock(h);
                    std::memcpy(p, o.bytes.data(), o.bytes.size());
                    GlobalUnlock(h);
                }
                handedBlocks.push_back(h);
                medium->tymed = TYMED_HGLOBAL;
                medium->hGlobal = h;
                medium->pUnkForRelease = &media;
                media.AddRef();
                return S_OK;
            }
            }
        }
        return DV_E_FORMATETC;
    }
    std::vector<HGLOBAL> handedBlocks;  // still the object's, freed with it

    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        *out = nullptr;
        if (direction != DATADIR_GET || enumFails) return E_NOTIMPL;
        lastEnum = new TestEnum(&offers, endless, &enumeratorsAlive, &devices);
        *out = lastEnum;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

#include <commctrl.h>

// Text of one list view cell.
inline std::wstring list_cell(HWND listView, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(listView, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

inline std::vector<std::wstring> list_row(HWND listView, int row) {
    std::vector<std::wstring> cells;
    for (int c = 0; c < 6; ++c) cells.push_back(list_cell(listView, row, c));
    return cells;
}

inline int list_count(HWND listView) { return static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0)); }

inline UINT list_state(HWND listView, int row) {
    return static_cast<UINT>(SendMessageW(listView, LVM_GETITEMSTATE, row, LVIS_SELECTED | LVIS_FOCUSED));
}

// Collects what the program writes to standard output (its log) meanwhile.
#include <fcntl.h>
#include <io.h>
#include <cstdio>
class StdoutCapture {
public:
    StdoutCapture() {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"log", 0, path_);
        std::fflush(stdout);
        saved_ = _dup(1);
        int fd = _wopen(path_, _O_WRONLY | _O_TRUNC | _O_BINARY);
        _dup2(fd, 1);
        _close(fd);
    }
    ~StdoutCapture() { stop(); DeleteFileW(path_); }
    std::string stop() {
        if (saved_ >= 0) {
            std::fflush(stdout);
            _dup2(saved_, 1);
            _close(saved_);
            saved_ = -1;
            FILE* f = _wfopen(path_, L"rb");
            if (f) {
                char buf[4096];
                size_t n;
                while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text_.append(buf, n);
                std::fclose(f);
            }
        }
        return text_;
    }
private:
    wchar_t path_[MAX_PATH];
    int saved_ = -1;
    std::string text_;
};
