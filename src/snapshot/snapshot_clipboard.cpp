// Snapshots and the clipboard: every entry put back as its own handle, and
// the clipboard read on the calling thread for /save. Bytes put back may
// come from a file anyone wrote, so a bitmap's header is checked against
// the bytes before a bitmap is made of them.
#include "snapshot/snapshot.h"
#include "snapshot/snapshot_handles.h"

#include "base/log.h"
#include "base/win_raii.h"
#include "entries/entries.h"
#include "entries/entries_core.h"
#include "entries/medium.h"

#include <commctrl.h>
#include <cstdint>
#include <cstring>

namespace {

// A packed DIB as a bitmap: only uncompressed ones whose colour table and
// pixels lie inside the bytes.
HBITMAP bitmap_from_dib(const BYTE* p, std::size_t size) {
    BITMAPINFOHEADER h;
    if (size < sizeof h) return nullptr;
    std::memcpy(&h, p, sizeof h);
    const WORD bits = h.biBitCount;
    if (h.biSize < sizeof h || h.biSize > size || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1 ||
        h.biCompression != BI_RGB || !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
        return nullptr;
    std::uint64_t colours = h.biClrUsed ? h.biClrUsed : bits <= 8 ? std::uint64_t{1} << bits : 0;
    std::uint64_t rows = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
    std::uint64_t pixels = (std::uint64_t{static_cast<std::uint32_t>(h.biWidth)} * bits + 31) / 32 * 4 * rows;
    if (colours > 256 || h.biSize + colours * 4 + pixels > size) return nullptr;
    WindowDC screen(nullptr);
    return screen ? CreateDIBitmap(screen.get(), &h, CBM_INIT, p + h.biSize + colours * 4,
                                   reinterpret_cast<const BITMAPINFO*>(p), DIB_RGB_COLORS)
                  : nullptr;
}

HPALETTE palette_from_entries(const BYTE* p, std::size_t size) {
    std::size_t count = size / sizeof(PALETTEENTRY);
    if (count == 0 || count > 256 || size % sizeof(PALETTEENTRY)) return nullptr;
    struct { WORD version, count; PALETTEENTRY entries[256]; } palette{0x300, static_cast<WORD>(count), {}};
    std::memcpy(palette.entries, p, size);
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&palette));
}

// The three METAFILEPICT numbers, then the metafile's bits (as the capture makes them).
HGLOBAL picture_from_bytes(const BYTE* p, std::size_t size) {
    INT32 head[3];
    if (size <= sizeof head) return nullptr;
    std::memcpy(head, p, sizeof head);
    HMETAFILE metafile = SetMetaFileBitsEx(static_cast<UINT>(size - sizeof head), p + sizeof head);
    GlobalBlock block(metafile ? GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT)) : nullptr);
    GlobalLockGuard lock(block.get());
    if (!lock) {
        if (metafile) DeleteMetaFile(metafile);
        return nullptr;
    }
    *lock.as<METAFILEPICT>() = METAFILEPICT{head[0], head[1], head[2], metafile};
    return block.release();
}

HGLOBAL copy_of(const BYTE* p, std::size_t size) {
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, size));
    GlobalLockGuard lock(block.get());
    if (!lock) return nullptr;
    std::memcpy(lock.get(), p, size);
    return block.release();
}

}  // namespace

void snapshot_free_handle(UINT format, HANDLE handle) {
    switch (format) {
    case CF_BITMAP: case CF_DSPBITMAP: case CF_PALETTE: DeleteObject(handle); break;
    case CF_ENHMETAFILE: case CF_DSPENHMETAFILE: DeleteEnhMetaFile(static_cast<HENHMETAFILE>(handle)); break;
    case CF_METAFILEPICT: case CF_DSPMETAFILEPICT:
        if (GlobalLockGuard lock(handle); lock) DeleteMetaFile(lock.as<METAFILEPICT>()->hMF);
        GlobalFree(handle);
        break;
    default: GlobalFree(handle); break;
    }
}

HANDLE snapshot_handle_for(UINT format, DWORD medium, const BYTE* p, std::size_t size) {
    switch (format) {
    case CF_BITMAP: case CF_DSPBITMAP: return bitmap_from_dib(p, size);
    case CF_PALETTE: return palette_from_entries(p, size);
    case CF_ENHMETAFILE: case CF_DSPENHMETAFILE: return SetEnhMetaFileBits(static_cast<UINT>(size), p);
    case CF_METAFILEPICT: case CF_DSPMETAFILEPICT: return medium == TYMED_MFPICT ? picture_from_bytes(p, size) : nullptr;
    default: return copy_of(p, size);
    }
}

UINT snapshot_clipboard_id(const EntryTable* table, int row) {
    INT format = table->items[row].format;
    if (format <= 0 || format > 0xFFFF) return 0;
    if (format < 0xC000) return static_cast<UINT>(format);
    wchar_t name[300] = L"";
    LVITEMW item{};
    item.pszText = name;
    item.cchTextMax = 300;
    SendMessageW(table->listView, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return name[0] ? RegisterClipboardFormatW(name) : 0;
}

DWORD snapshot_tymed_of(UINT format) {
    switch (format) {
    case CF_BITMAP: case CF_DSPBITMAP: case CF_PALETTE: return TYMED_GDI;
    case CF_ENHMETAFILE: case CF_DSPENHMETAFILE: return TYMED_ENHMF;
    case CF_METAFILEPICT: case CF_DSPMETAFILEPICT: return TYMED_MFPICT;
    default: return TYMED_HGLOBAL;
    }
}

namespace {

bool put_entry(const EntryTable* table, int row) {
    const DataEntry& e = table->items[row];
    UINT format = snapshot_clipboard_id(table, row);
    // The clipboard has no target devices: such an entry cannot be put back as it was.
    if (!format || !e.data || e.device) return false;
    GlobalLockGuard bytes(e.data);
    if (!bytes || bytes.size() < e.size) return false;
    HANDLE handle = snapshot_handle_for(format, e.medium, bytes.as<BYTE>(), e.size);
    if (handle && !SetClipboardData(format, handle)) {
        snapshot_free_handle(format, handle);
        handle = nullptr;
    }
    return handle != nullptr;
}

// The clipboard's handles stay the clipboard's: the capture reads them
// through a medium whose release goes here and frees nothing.
struct KeepHandle final : IUnknown {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
} g_keep;

}  // namespace

SnapshotPut snapshot_put_on_clipboard(const EntryTable* table, HWND owner) {
    SnapshotPut result{false, 0, 0};
    ClipboardGuard clipboard(owner);
    if (!clipboard || !EmptyClipboard()) {
        log_message(0, "Main", "Put on the clipboard: the clipboard could not be opened (%lu).", GetLastError());
        return result;
    }
    result.opened = true;
    for (int row = 0; row < table->count; ++row) ++(put_entry(table, row) ? result.put : result.skipped);
    log_message(1, "Main", "Put on the clipboard: %d entries, %d skipped.", result.put, result.skipped);
    return result;
}

void snapshot_read_clipboard(EntryTable* table) {
    ClipboardGuard clipboard(nullptr);
    if (!clipboard) {
        log_message(0, "Main", "The clipboard could not be opened (%lu).", GetLastError());
        return;
    }
    for (UINT format = EnumClipboardFormats(0); format && table->count < kMaxEnumeratedFormats;
         format = EnumClipboardFormats(format)) {
        if (!entry_append(table)) break;
        FORMATETC formatetc{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, snapshot_tymed_of(format)};
        STGMEDIUM medium{};
        medium.tymed = formatetc.tymed;
        medium.hGlobal = GetClipboardData(format);
        medium.pUnkForRelease = &g_keep;
        MediumBytes bytes = entry_take_medium(&medium);
        entry_fill_row(table, table->count - 1, formatetc, &bytes);
    }
}
