// Plays "another program" for the end-to-end tests: fills the clipboard, offers
// a data object by drag and drop, or reads the clipboard back.
//
//   e2e_source clip <scenario> <stopfile>   own the clipboard until stopfile exists
//   e2e_source drag <scenario> <x> <y>      window at x,y; a press there starts DoDragDrop
//   e2e_source readclip <outfile>           CF_TEXT of the clipboard into outfile
//   e2e_source layout                       screen places of the main window's list and hex dump:
//                                           "list <x> <y> <w> <h>", "dump <x> <y> <w> <h>" (client
//                                           areas) and "header <height>" of the hex dump's header
//
// Scenarios: mixed, many, huge, allfail, text-unterminated, unicode-odd, locale-short,
//            dib-file:<path> (CF_DIB from the bytes of a file)
#include <windows.h>
#include <ole2.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Format {
    CLIPFORMAT cf;
    DWORD tymed;        // what the object offers
    std::string bytes;  // content
    bool fail;          // GetData fails
};

std::string read_file(const char* path) {
    std::string out;
    if (FILE* f = std::fopen(path, "rb")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

std::string small_dib() {
    // 4x2 24-bit bottom-up DIB: red, green, blue, white / black row.
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = 4;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    std::string s(reinterpret_cast<const char*>(&h), sizeof h);
    const unsigned char row0[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const unsigned char row1[12] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
    s.append(reinterpret_cast<const char*>(row0), 12);
    s.append(reinterpret_cast<const char*>(row1), 12);
    return s;
}

std::vector<Format> scenario(const std::string& name) {
    std::vector<Format> f;
    if (name == "mixed") {
        f.push_back({CF_TEXT, TYMED_HGLOBAL, std::string("Hello from e2e", 15), false});
        std::wstring w = L"Unicode \u00e9\u00e8 text";
        f.push_back({CF_UNICODETEXT, TYMED_HGLOBAL,
                     std::string(reinterpret_cast<const char*>(w.c_str()), (w.size() + 1) * 2), false});
        f.push_back({CF_DIB, TYMED_HGLOBAL, small_dib(), false});
        f.push_back({static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Clipnook Test Format")), TYMED_HGLOBAL,
                     "registered-bytes", false});
        f.push_back({static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Stream Only Format")), TYMED_ISTREAM,
                     "stream", false});
        f.push_back({static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Failing Format")), TYMED_HGLOBAL, "x", true});
    } else if (name == "many") {
        for (int i = 0; i < 300; ++i) {
            char n[64];
            std::snprintf(n, sizeof n, "Many Format %03d", i);
            f.push_back({static_cast<CLIPFORMAT>(RegisterClipboardFormatA(n)), TYMED_HGLOBAL, std::string(n), false});
        }
    } else if (name == "huge") {
        f.push_back({static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Huge Format")), TYMED_HGLOBAL,
                     std::string(256u << 20, 'H'), false});
    } else if (name == "allfail") {
        f.push_back({CF_TEXT, TYMED_HGLOBAL, "x", true});
        f.push_back({CF_UNICODETEXT, TYMED_HGLOBAL, "x", true});
        f.push_back({CF_DIB, TYMED_HGLOBAL, "x", true});
    } else if (name == "text-unterminated") {
        f.push_back({CF_TEXT, TYMED_HGLOBAL, std::string(4096, 'A'), false});
    } else if (name == "unicode-odd") {
        f.push_back({CF_UNICODETEXT, TYMED_HGLOBAL, std::string("A\0B\0C", 5), false});
    } else if (name == "locale-short") {
        f.push_back({CF_LOCALE, TYMED_HGLOBAL, std::string("\x09\x04", 2), false});
    } else if (name == "none") {
        // an object that offers no format at all
    } else if (name.rfind("dib-file:", 0) == 0) {
        f.push_back({CF_DIB, TYMED_HGLOBAL, read_file(name.c_str() + 9), false});
    }
    return f;
}

HGLOBAL make_block(const std::string& bytes) {
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1);
    if (!g) return nullptr;
    if (void* p = GlobalLock(g)) {
        if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(g);
    }
    return g;
}

class EnumFormats final : public IEnumFORMATETC {
public:
    explicit EnumFormats(const std::vector<Format>& f) : formats_(f) {}
    virtual ~EnumFormats() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IEnumFORMATETC) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++ref_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG r = --ref_;
        if (!r) delete this;
        return r;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG n, FORMATETC* out, ULONG* fetched) override {
        ULONG k = 0;
        while (k < n && pos_ < formats_.size()) {
            const Format& f = formats_[pos_++];
            out[k++] = FORMATETC{f.cf, nullptr, DVASPECT_CONTENT, -1, f.tymed};
        }
        if (fetched) *fetched = k;
        return k == n ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override {
        pos_ += n;
        return pos_ <= formats_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        pos_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override {
        auto* e = new EnumFormats(formats_);
        e->pos_ = pos_;
        *out = e;
        return S_OK;
    }

private:
    std::vector<Format> formats_;
    size_t pos_ = 0;
    ULONG ref_ = 1;
};

class DataObject final : public IDataObject {
public:
    explicit DataObject(std::vector<Format> f) : formats_(std::move(f)) {}
    virtual ~DataObject() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDataObject) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++ref_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG r = --ref_;
        if (!r) delete this;
        return r;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* fe, STGMEDIUM* medium) override {
        for (const Format& f : formats_) {
            if (f.cf != fe->cfFormat) continue;
            if (f.fail) return E_FAIL;
            if (!(fe->tymed & f.tymed)) return DV_E_TYMED;
            ZeroMemory(medium, sizeof *medium);
            if (f.tymed == TYMED_ISTREAM) {
                medium->tymed = TYMED_ISTREAM;
                medium->pstm = SHCreateMemStream(reinterpret_cast<const BYTE*>(f.bytes.data()),
                                                 static_cast<UINT>(f.bytes.size()));
                return medium->pstm ? S_OK : E_OUTOFMEMORY;
            }
            medium->tymed = TYMED_HGLOBAL;
            medium->hGlobal = make_block(f.bytes);
            return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
        }
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* fe) override {
        for (const Format& f : formats_)
            if (f.cf == fe->cfFormat) return S_OK;
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dir, IEnumFORMATETC** out) override {
        if (dir != DATADIR_GET) return E_NOTIMPL;
        *out = new EnumFormats(formats_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<Format> formats_;
    ULONG ref_ = 1;
};

class DropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDropSource) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

std::string g_scenario;
bool g_dragged = false;

LRESULT CALLBACK drag_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_LBUTTONDOWN && !g_dragged) {
        g_dragged = true;
        auto* obj = new DataObject(scenario(g_scenario));
        DropSource src;
        DWORD effect = 0;
        HRESULT hr = DoDragDrop(obj, &src, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
        obj->Release();
        std::printf("dropped hr=0x%08lx effect=%lu\n", static_cast<unsigned long>(hr),
                    static_cast<unsigned long>(effect));
        std::fflush(stdout);
        PostQuitMessage(hr == DRAGDROP_S_DROP ? 0 : 2);
        return 0;
    }
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}

int run_drag(const char* name, int x, int y) {
    g_scenario = name;
    OleInitialize(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = drag_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"E2EDragSource";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"E2E Drag Source", WS_POPUP | WS_VISIBLE, x, y, 80, 80,
                             nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 3;
    std::printf("ready\n");
    std::fflush(stdout);
    MSG msg;
    SetTimer(w, 1, 60000, nullptr);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !g_dragged) break;  // nobody pressed: give up
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    OleUninitialize();
    return g_dragged ? static_cast<int>(msg.wParam) : 4;
}

int run_clip(const char* name, const char* stopfile) {
    HWND owner = CreateWindowExW(0, L"Static", L"E2E Clipboard Owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                 nullptr);
    if (!OpenClipboard(owner)) return 3;
    EmptyClipboard();
    for (const Format& f : scenario(name))
        if (f.tymed == TYMED_HGLOBAL && !f.fail) SetClipboardData(f.cf, make_block(f.bytes));
    CloseClipboard();
    std::printf("ready\n");
    std::fflush(stdout);
    // The data may vanish with its owner, so stay and answer until told to go.
    for (int i = 0; i < 6000 && GetFileAttributesA(stopfile) == INVALID_FILE_ATTRIBUTES; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(20);
    }
    return 0;
}

int run_readclip(const char* outfile) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr)) break;
        Sleep(50);
        if (attempt == 49) return 3;
    }
    int rc = 1;
    if (HGLOBAL g = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(g))) {
            size_t cap = GlobalSize(g);
            size_t n = strnlen(p, cap);
            if (FILE* f = std::fopen(outfile, "wb")) {
                std::fwrite(p, 1, n, f);
                std::fclose(f);
                rc = 0;
            }
            GlobalUnlock(g);
        }
    }
    CloseClipboard();
    return rc;
}

// The list and hex dump are found by class among the main window's descendants
// (they sit inside splitters), so the tests can aim the mouse at them.
struct LayoutSearch {
    HWND list = nullptr;
    HWND dump = nullptr;
};

BOOL CALLBACK find_children(HWND w, LPARAM lp) {
    auto* found = reinterpret_cast<LayoutSearch*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (!found->list && !lstrcmpiW(cls, L"SysListView32")) found->list = w;
    if (!found->dump && !lstrcmpiW(cls, L"UIHexDump")) found->dump = w;
    return TRUE;
}

void print_client(const char* name, HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    std::printf("%s %ld %ld %ld %ld\n", name, origin.x, origin.y, r.right - r.left, r.bottom - r.top);
}

int run_layout() {
    HWND main_window = FindWindowW(L"Clipnook", nullptr);
    if (!main_window) return 1;
    LayoutSearch found;
    EnumChildWindows(main_window, find_children, reinterpret_cast<LPARAM>(&found));
    if (!found.list || !found.dump) return 2;
    print_client("list", found.list);
    print_client("dump", found.dump);
    // UIHDM_GETHEADER (WM_USER + 6) answers the header control's handle.
    DWORD_PTR header = 0;
    SendMessageTimeoutW(found.dump, WM_USER + 0x06, 0, 0, SMTO_ABORTIFHUNG, 2000, &header);
    RECT hr{};
    if (header) GetWindowRect(reinterpret_cast<HWND>(header), &hr);
    std::printf("header %ld\n", hr.bottom - hr.top);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && !std::strcmp(argv[1], "clip")) return run_clip(argv[2], argv[3]);
    if (argc >= 5 && !std::strcmp(argv[1], "drag")) return run_drag(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc >= 3 && !std::strcmp(argv[1], "readclip")) return run_readclip(argv[2]);
    if (argc >= 2 && !std::strcmp(argv[1], "layout")) return run_layout();
    std::fprintf(stderr, "usage: e2e_source clip|drag|readclip ...\n");
    return 64;
}
