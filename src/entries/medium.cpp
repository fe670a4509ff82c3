// The bytes of every storage medium. What another program hands out is not
// trusted: a stream's claimed size only sizes the first buffer, a handle that
// is not the object it claims to be is refused, nothing is read past what a
// block holds, and the medium is released exactly once whatever happens.
#include "entries/medium.h"

#include "base/com_ptr.h"
#include "base/win_raii.h"
#include "entries/entries.h"

#include <algorithm>
#include <cstring>

namespace {

const wchar_t kNull[] = L"?NULL";
const wchar_t kDup[] = L"?Dup";
const wchar_t kRead[] = L"?Read";

MediumBytes none(DWORD medium, const wchar_t* mark) { return MediumBytes{nullptr, 0, medium, mark}; }

// A block of `size` bytes filled by `fill` (which gets the locked bytes and
// answers whether it succeeded).
template <class Fill>
MediumBytes make_block(DWORD medium, SIZE_T size, Fill fill) {
    if (size > kLargestMediumBytes) return none(medium, kDup);
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, size ? size : 1));
    if (!block) return none(medium, kDup);
    {
        GlobalLockGuard bytes(block.get());
        if (!bytes || !fill(bytes.as<BYTE>())) return none(medium, bytes ? kRead : kDup);
    }
    return MediumBytes{block.release(), static_cast<UINT>(size), medium, nullptr};
}

// Always true where a block cannot be larger than 4 GiB.
constexpr bool fits_entry_size(SIZE_T size) {
    if constexpr (sizeof(SIZE_T) > 4) return (static_cast<unsigned long long>(size) >> 32) == 0;
    return true;
}

MediumBytes from_global(HGLOBAL global) {
    if (!global) return none(TYMED_HGLOBAL, kNull);
    // Beyond what the entry's 32-bit size can describe.
    if (!fits_entry_size(GlobalSize(global))) return none(TYMED_HGLOBAL, kDup);
    HGLOBAL copy = GlobalDuplicate(global);
    if (!copy) return none(TYMED_HGLOBAL, kDup);
    return MediumBytes{copy, static_cast<UINT>(GlobalSize(copy)), TYMED_HGLOBAL, nullptr};
}

// A growing block: the stream's own size claim only chooses the first size.
MediumBytes from_stream(IStream* stream) {
    if (!stream) return none(TYMED_ISTREAM, kNull);
    STATSTG stat{};
    ULONGLONG claimed = SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) ? stat.cbSize.QuadPart : 0;
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);  // a stream that cannot seek is read from where it is
    struct Growing {
        HGLOBAL h;
        ~Growing() { if (h) GlobalFree(h); }
    } block{nullptr};
    SIZE_T capacity = static_cast<SIZE_T>(std::clamp<ULONGLONG>(claimed + 1, 4096, 64ull << 20));
    if (!(block.h = GlobalAlloc(GMEM_MOVEABLE, capacity))) return none(TYMED_ISTREAM, kDup);
    SIZE_T length = 0;
    for (;;) {
        if (length == capacity) {
            if (capacity > kLargestMediumBytes) return none(TYMED_ISTREAM, kDup);
            SIZE_T grown = static_cast<SIZE_T>(std::min<ULONGLONG>(2ull * capacity, kLargestMediumBytes + 1));
            HGLOBAL bigger = GlobalReAlloc(block.h, grown, GMEM_MOVEABLE);
            if (!bigger) return none(TYMED_ISTREAM, kDup);
            block.h = bigger;
            capacity = grown;
        }
        GlobalLockGuard bytes(block.h);
        if (!bytes) return none(TYMED_ISTREAM, kDup);
        ULONG want = static_cast<ULONG>(std::min<SIZE_T>(capacity - length, 1u << 30)), got = 0;
        HRESULT hr = stream->Read(bytes.as<BYTE>() + length, want, &got);
        if (FAILED(hr)) return none(TYMED_ISTREAM, kRead);
        length += std::min(got, want);
        if (got == 0 || hr == S_FALSE) break;
    }
    // One byte past the largest is read only to learn that there is more.
    if (length > kLargestMediumBytes) return none(TYMED_ISTREAM, kDup);
    if (length && length < capacity)
        if (HGLOBAL exact = GlobalReAlloc(block.h, length, GMEM_MOVEABLE)) block.h = exact;
    HGLOBAL result = block.h;
    block.h = nullptr;
    return MediumBytes{result, static_cast<UINT>(length), TYMED_ISTREAM, nullptr};
}

// The storage copied into a compound file in memory, whose bytes are kept.
MediumBytes from_storage(IStorage* storage) {
    if (!storage) return none(TYMED_ISTORAGE, kNull);
    ComPtr<ILockBytes> bytes;
    ComPtr<IStorage> copy;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put())) ||
        FAILED(StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                            copy.put())))
        return none(TYMED_ISTORAGE, kDup);
    if (FAILED(storage->CopyTo(0, nullptr, nullptr, copy.get())) || FAILED(copy->Commit(STGC_DEFAULT)))
        return none(TYMED_ISTORAGE, kRead);
    copy.reset();
    STATSTG stat{};
    HGLOBAL held = nullptr;
    if (FAILED(bytes->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromILockBytes(bytes.get(), &held)))
        return none(TYMED_ISTORAGE, kRead);
    GlobalLockGuard file(held);
    ULONGLONG size = stat.cbSize.QuadPart;
    if (!file || size > file.size()) return none(TYMED_ISTORAGE, kRead);
    if (size > kLargestMediumBytes) return none(TYMED_ISTORAGE, kDup);
    return make_block(TYMED_ISTORAGE, static_cast<SIZE_T>(size), [&](BYTE* out) {
        std::memcpy(out, file.get(), static_cast<SIZE_T>(size));
        return true;
    });
}

MediumBytes from_enhanced_metafile(HENHMETAFILE metafile) {
    if (!metafile) return none(TYMED_ENHMF, kNull);
    UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    if (size == 0) return none(TYMED_ENHMF, kRead);
    return make_block(TYMED_ENHMF, size, [&](BYTE* out) { return GetEnhMetaFileBits(metafile, size, out) == size; });
}

// The three METAFILEPICT numbers (mapping mode, extents) as 32-bit values,
// then the metafile's bits.
MediumBytes from_metafile_picture(HGLOBAL picture) {
    if (!picture) return none(TYMED_MFPICT, kNull);
    GlobalLockGuard lock(picture);
    if (!lock || lock.size() < sizeof(METAFILEPICT)) return none(TYMED_MFPICT, kRead);
    METAFILEPICT mfp;
    std::memcpy(&mfp, lock.get(), sizeof mfp);
    UINT bits = mfp.hMF ? GetMetaFileBitsEx(mfp.hMF, 0, nullptr) : 0;
    if (bits == 0) return none(TYMED_MFPICT, kRead);
    const INT32 head[3] = {static_cast<INT32>(mfp.mm), static_cast<INT32>(mfp.xExt), static_cast<INT32>(mfp.yExt)};
    return make_block(TYMED_MFPICT, sizeof head + bits, [&](BYTE* out) {
        std::memcpy(out, head, sizeof head);
        return GetMetaFileBitsEx(mfp.hMF, bits, out + sizeof head) == bits;
    });
}

// A bitmap as the packed DIB it would be on the clipboard: header, colour
// table for up to 8 bits per pixel, pixels.
MediumBytes from_bitmap(HBITMAP bitmap) {
    BITMAP bm{};
    if (!GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return none(TYMED_GDI, kRead);
    WORD bits = bm.bmBitsPixel <= 1 ? 1 : bm.bmBitsPixel <= 4 ? 4 : bm.bmBitsPixel <= 8 ? 8 : bm.bmBitsPixel <= 16 ? 16
                                                                                     : bm.bmBitsPixel <= 24 ? 24 : 32;
    SIZE_T colours = bits <= 8 ? SIZE_T{1} << bits : 0;
    ULONGLONG stride = ((ULONGLONG{static_cast<ULONG>(bm.bmWidth)} * bits + 31) / 32) * 4;
    ULONGLONG pixels = stride * static_cast<ULONG>(bm.bmHeight);
    SIZE_T head = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
    if (pixels > kLargestMediumBytes - head) return none(TYMED_GDI, kDup);
    WindowDC screen(nullptr);
    return make_block(TYMED_GDI, head + static_cast<SIZE_T>(pixels), [&](BYTE* out) {
        auto* info = reinterpret_cast<BITMAPINFOHEADER*>(out);
        *info = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), bm.bmWidth, bm.bmHeight, 1, bits, BI_RGB,
                                 static_cast<DWORD>(pixels), 0, 0, 0, 0};
        return screen && GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), out + head,
                                   reinterpret_cast<BITMAPINFO*>(out), DIB_RGB_COLORS) == bm.bmHeight;
    });
}

MediumBytes from_palette(HPALETTE palette) {
    UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
    if (count == 0) return none(TYMED_GDI, kRead);
    return make_block(TYMED_GDI, count * sizeof(PALETTEENTRY), [&](BYTE* out) {
        return GetPaletteEntries(palette, 0, count, reinterpret_cast<PALETTEENTRY*>(out)) == count;
    });
}

MediumBytes from_gdi(HGDIOBJ object) {
    if (!object) return none(TYMED_GDI, kNull);
    switch (GetObjectType(object)) {
    case OBJ_BITMAP: return from_bitmap(static_cast<HBITMAP>(object));
    case OBJ_PAL: return from_palette(static_cast<HPALETTE>(object));
    default: return none(TYMED_GDI, kRead);  // not the object it claims to be
    }
}

MediumBytes from_file(const wchar_t* path) {
    if (!path) return none(TYMED_FILE, kNull);
    HGLOBAL block = nullptr;
    UINT length = 0;
    if (GlobalLoad(path, &block, &length) != 0) return none(TYMED_FILE, kRead);
    return MediumBytes{block, length, TYMED_FILE, nullptr};
}

MediumBytes read_medium(const STGMEDIUM& m) {
    switch (m.tymed) {
    case TYMED_HGLOBAL: return from_global(m.hGlobal);
    case TYMED_ISTREAM: return from_stream(m.pstm);
    case TYMED_ISTORAGE: return from_storage(m.pstg);
    case TYMED_ENHMF: return from_enhanced_metafile(m.hEnhMetaFile);
    case TYMED_MFPICT: return from_metafile_picture(m.hMetaFilePict);
    case TYMED_GDI: return from_gdi(m.hBitmap);
    case TYMED_FILE: return from_file(m.lpszFileName);
    default: return none(0, L"?GetData");
    }
}

}  // namespace

MediumBytes entry_take_medium(STGMEDIUM* medium) {
    MediumBytes bytes = read_medium(*medium);
    ReleaseStgMedium(medium);
    *medium = STGMEDIUM{};
    return bytes;
}

MediumBytes entry_fetch_format(IDataObject* data, const FORMATETC& offered) {
    const DWORD media[2] = {offered.tymed & TYMED_HGLOBAL, offered.tymed & kCapturedMedia & ~TYMED_HGLOBAL};
    MediumBytes result = none(0, L"");
    for (DWORD asked : media) {
        if (!asked) continue;
        FORMATETC wanted = offered;
        wanted.tymed = asked;
        STGMEDIUM medium{};
        // Any success counts: a source that answers S_FALSE or the like with a
        // filled medium has still handed over something that must be released.
        if (FAILED(data->GetData(&wanted, &medium))) {
            result = none(0, L"?GetData");
            continue;
        }
        // Only the medium asked for is read; another one handed back is still
        // the caller's to release.
        if (medium.tymed != asked) {
            ReleaseStgMedium(&medium);
            result = none(0, L"?GetData");
            continue;
        }
        return entry_take_medium(&medium);
    }
    return result;
}
