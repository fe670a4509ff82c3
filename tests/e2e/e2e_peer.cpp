// Plays every other program the end-to-end tests need, chosen by the first argument:
//   own          puts the offers on the clipboard, says "ready" and stays to keep them there
//   hang         puts its data object on the clipboard (OleSetClipboard), then "ready"; asked
//                for the second offer it says "sleeping" and answers 20 s later ("woke")
//   drag X Y     a window at X,Y, then "ready"; a press in it drags the offers: "pressed",
//                "over" once a target takes them, then "dropped hr=<hex> effect=<n>"
//   target X Y   a window at X,Y that takes drops, then "ready"; "entered" when a drag
//                comes in, and on the drop one "format" line per format offered, then "dropped"
//   rows         the main window's title, then per row its six cells and the bytes the hex
//                dump holds once the row is selected (it is selected for that)
//   command ID   sends WM_COMMAND ID to the main window; returns once it is handled
//   read, clear  "format\t<name or #id>\t<hex of a global block>" per clipboard format; empties it
// own and drag first list the offers: "offer\t<name>\t<hex bytes>".
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../src/hexdump/uihexdump.h"

namespace {

struct Offer {
    const char* name;
    CLIPFORMAT format;
    std::string bytes;
};

void print_hex(const char* data, size_t n) {
    for (size_t i = 0; i < n; ++i) std::printf("%02x", static_cast<unsigned char>(data[i]));
}

// Text, a format of our own with bytes no text has, and a 4 by 2 pixel DIB.
const std::vector<Offer>& offers() {
    static std::vector<Offer> list;
    if (!list.empty()) return list;
    BITMAPINFOHEADER h{sizeof h, 4, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const char* own = "Clipnook E2E Bytes";
    list = {{"CF_TEXT", CF_TEXT, std::string("Hello from e2e", 15)},
            {own, static_cast<CLIPFORMAT>(RegisterClipboardFormatA(own)), std::string("\0\x01\xfe\xff bytes", 10)},
            {"CF_DIB", CF_DIB, std::string(reinterpret_cast<char*>(&h), sizeof h) + std::string(12, '\0') +
                                   std::string("\0\0\xff\0\xff\0\xff\0\0\xff\xff\xff", 12)}};
    for (const Offer& o : list)
        std::printf("offer\t%s\t", o.name), print_hex(o.bytes.data(), o.bytes.size()), std::puts("");
    return list;
}

HGLOBAL block(CLIPFORMAT format) {
    for (const Offer& o : offers()) {
        HGLOBAL g = o.format == format ? GlobalAlloc(GMEM_MOVEABLE, o.bytes.size()) : nullptr;
        if (void* p = g ? GlobalLock(g) : nullptr)
            return CopyMemory(p, o.bytes.data(), o.bytes.size()), GlobalUnlock(g), g;
    }
    return nullptr;
}

// The data object and drop source of the drag; it lives as long as the process.
struct Source final : IDataObject, IDropSource {
    bool over = false, hang = false;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        *out = id == IID_IDropSource ? static_cast<void*>(static_cast<IDropSource*>(this))
               : id == IID_IUnknown || id == IID_IDataObject ? static_cast<IDataObject*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
        if (hang && f->cfFormat == offers()[1].format)
            std::puts("sleeping"), Sleep(20000), std::puts("woke");
        *m = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
        return QueryGetData(f) != S_OK ? DV_E_FORMATETC : (m->hGlobal = block(f->cfFormat)) ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        for (const Offer& o : offers())
            if (o.format == f->cfFormat && (f->tymed & TYMED_HGLOBAL)) return S_OK;
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        std::vector<FORMATETC> list;
        for (const Offer& o : offers()) list.push_back({o.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        return direction == DATADIR_GET ? SHCreateStdEnumFmtEtc(list.size(), list.data(), out) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* o) override { return o->ptd = 0, E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        return escape ? DRAGDROP_S_CANCEL : (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        if (effect && !over) over = true, std::puts("over");
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
} g_source;

LRESULT CALLBACK drag_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m != WM_LBUTTONDOWN) return DefWindowProcW(w, m, wp, lp);
    std::puts("pressed");
    DWORD effect = 0;
    HRESULT hr = DoDragDrop(&g_source, &g_source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    std::printf("dropped hr=0x%08lx effect=%lu\n", static_cast<unsigned long>(hr), static_cast<unsigned long>(effect));
    PostQuitMessage(0);
    return 0;
}

int pump(bool ready) {
    if (!ready) return 3;
    std::puts("ready");
    for (MSG m; GetMessageW(&m, nullptr, 0, 0) > 0;) DispatchMessageW(&m);
    return 0;
}

int drag(int x, int y) {
    OleInitialize(nullptr);
    offers();
    WNDCLASSW c{0, drag_proc, 0, 0, nullptr, nullptr, nullptr, GetSysColorBrush(COLOR_3DFACE), nullptr, L"E2EDrag"};
    return pump(RegisterClassW(&c) && CreateWindowExW(WS_EX_TOPMOST, c.lpszClassName, L"E2E Drag Source",
                                                      WS_POPUP | WS_VISIBLE, x, y, 80, 80, 0, 0, 0, 0));
}

int hang() {
    OleInitialize(nullptr);
    g_source.hang = true;
    return pump(SUCCEEDED(OleSetClipboard(&g_source)));
}

// The clipboard's data may go with its owner, so the owner stays (the test ends it).
int own() {
    HWND owner = CreateWindowExW(0, L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner) || !EmptyClipboard()) return 3;
    for (const Offer& o : offers()) SetClipboardData(o.format, block(o.format));
    return pump(CloseClipboard());
}

// "format\t<name or #id>\t<hex>": the bytes of a global block, none for any other handle.
void print_format(UINT f, HGLOBAL h) {
    char name[256];
    if (!GetClipboardFormatNameA(f, name, 256)) std::snprintf(name, 256, "#%u", f);
    void* p = h ? GlobalLock(h) : nullptr;
    std::printf("format\t%s\t", name), print_hex(static_cast<char*>(p), p ? GlobalSize(h) : 0), std::puts("");
    if (p) GlobalUnlock(h);
}

int read() {
    if (!OpenClipboard(nullptr)) return 3;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
        print_format(f, f == CF_BITMAP || f == CF_PALETTE || f == CF_ENHMETAFILE || f == CF_METAFILEPICT ? 0 : GetClipboardData(f));
    return !CloseClipboard();
}

// Takes a copy of whatever comes and says every format's bytes once it is dropped.
struct Target final : IDropTarget {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        *out = id == IID_IUnknown || id == IID_IDropTarget ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        return std::puts("entered"), *effect &= DROPEFFECT_COPY, S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override { return *effect &= DROPEFFECT_COPY, S_OK; }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        IEnumFORMATETC* list = nullptr;
        FORMATETC f;
        for (data->EnumFormatEtc(DATADIR_GET, &list); list && list->Next(1, &f, nullptr) == S_OK; CoTaskMemFree(f.ptd)) {
            STGMEDIUM m{};
            bool got = (f.tymed & TYMED_HGLOBAL) && SUCCEEDED(data->GetData(&f, &m));
            print_format(f.cfFormat, got ? m.hGlobal : nullptr);
            if (got) ReleaseStgMedium(&m);
        }
        if (list) list->Release();
        std::puts("dropped");
        PostQuitMessage(0);
        return *effect &= DROPEFFECT_COPY, S_OK;
    }
} g_target;

int target(int x, int y) {
    OleInitialize(nullptr);
    WNDCLASSW c{0, DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, GetSysColorBrush(COLOR_WINDOW), nullptr, L"E2ETarget"};
    HWND w = RegisterClassW(&c) ? CreateWindowExW(WS_EX_TOPMOST, c.lpszClassName, L"E2E Drop Target",
                                                  WS_POPUP | WS_VISIBLE, x, y, 80, 80, 0, 0, 0, 0) : nullptr;
    return pump(w && SUCCEEDED(RegisterDragDrop(w, &g_target)));
}

// The list and the dump (children 1234 and 1235) read and write their own
// process's memory, so what they are handed lives in a block inside it.
int rows(HWND main) {
    wchar_t title[256] = {};
    GetWindowTextW(main, title, 256);
    std::printf("title\t%ls\n", title);
    HWND list = GetDlgItem(main, 1234), dump = GetDlgItem(main, 1235);
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    const SIZE_T text = sizeof(LVITEMW), bytes = text + 520, size = bytes + 65536;
    auto* remote = static_cast<char*>(process ? VirtualAllocEx(process, 0, size, MEM_COMMIT, PAGE_READWRITE) : 0);
    if (!list || !dump || !remote) return 2;
    std::vector<char> local(size);
    auto send = [&](HWND to, UINT m, WPARAM wp, LVITEMW item) {
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        LRESULT r = SendMessageW(to, m, wp, reinterpret_cast<LPARAM>(to == dump ? remote + bytes : remote));
        return ReadProcessMemory(process, remote, local.data(), size, nullptr), r;
    };
    for (int row = 0, count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); row < count; ++row) {
        for (int column = 0; column < 6; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(remote + text);
            item.cchTextMax = 260;
            send(list, LVM_GETITEMTEXTW, row, item);
            std::printf(column ? "\t%ls" : "row\t%ls", reinterpret_cast<wchar_t*>(local.data() + text));
        }
        LVITEMW select{};
        select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
        send(list, LVM_SETITEMSTATE, row, select);
        SendMessageW(dump, UIHDM_SETSEL, 0, -1);
        LRESULT n = send(dump, UIHDM_GETSELBYTES, 65536, {});
        std::printf("\t"), print_hex(local.data() + bytes, static_cast<size_t>(n)), std::puts("");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line goes out as it is said
    std::string role = argc > 1 ? argv[1] : "";
    HWND main = FindWindowW(L"Clipnook", nullptr);
    if (role == "own") return own();
    if (role == "hang") return hang();
    if (role == "target" && argc == 4) return target(std::stoi(argv[2]), std::stoi(argv[3]));
    if (role == "drag" && argc == 4) return drag(std::stoi(argv[2]), std::stoi(argv[3]));
    if (role == "rows" && main) return rows(main);
    if (role == "read") return read();
    if (role == "clear") return !(OpenClipboard(nullptr) && EmptyClipboard() && CloseClipboard());
    if (role == "command" && argc == 3 && main) return SendMessageW(main, WM_COMMAND, std::stoi(argv[2]), 0), 0;
    std::fprintf(stderr, "usage: e2e_peer own | hang | drag X Y | target X Y | read | clear | rows | command ID (with a main window)\n");
    return 64;
}
