// The entry table on a real main window: hostile objects, captures entered again, saved blocks, files.
#include "win_test.h"
#include "test_data_object.h"
#include "app/resource_ids.h"
#include "base/win_raii.h"
#include "entries/entries.h"

#include <commctrl.h>

namespace {
using Rows = std::vector<std::wstring>;
using Bytes = std::vector<unsigned char>;
Rows rows_of(const EntryTable* table) {  // each row's six cells joined by '|'
    Rows rows(ListView_GetItemCount(table->listView));
    for (size_t cell = 0; cell < rows.size() * 6; ++cell) {
        wchar_t text[300] = {};
        ListView_GetItemText(table->listView, cell / 6, cell % 6, text, 300);
        rows[cell / 6] += (cell % 6 ? L"|" : L"") + std::wstring(text);
    }
    return rows;
}
std::vector<Bytes> data_of(const EntryTable* table) {  // each entry's block, empty without data
    std::vector<Bytes> all(table->count);
    for (int i = 0; i < table->count; ++i)
        if (GlobalLockGuard b(table->items[i].data); b) all[i].assign(b.as<BYTE>(), b.as<BYTE>() + b.size());
    return all;
}
const UINT kShown = LVIS_SELECTED | LVIS_FOCUSED;
const wchar_t kAscii[] = L"ASCII Table|-|(Table)|-|HGLOBAL|256";
const Bytes kEveryByte = [] { Bytes b(256); for (int i = 0; i < 256; ++i) b[i] = i; return b; }();
}  // namespace

TEST(Capture, EveryOfferIsARowWithItsMarkAndItsOwnCopy) {
    MainWindowFixture f;
    EntryTable* table = &f.state()->entries;
    entry_add_ascii_table(table);
    TestDataObject none, noEnumerator, obj;
    noEnumerator.enumFails = true;
    for (TestDataObject* o : {&none, &noEnumerator}) entry_capture_data_object(table, o);  // they leave the list
    EXPECT_EQ(rows_of(table), Rows{kAscii});
    const std::wstring n255(255, L'N');  // the longest name a format can be registered with
    obj.add(formatetc(CF_UNICODETEXT, TYMED_HGLOBAL | TYMED_ISTREAM), Answer::Block, pattern(1024));
    obj.add(formatetc(RegisterClipboardFormatW(L"Clipnook Private"), TYMED_HGLOBAL), Answer::Fail);
    obj.add(formatetc(CF_DIB, TYMED_ISTREAM), Answer::Block, pattern(8));  // asked on the stream, which it refuses
    obj.add(formatetc(CF_HDROP, TYMED_HGLOBAL), Answer::NullHandle);
    obj.add(formatetc(CF_RIFF, TYMED_HGLOBAL), Answer::WrongMedium);
    obj.add(formatetc(CF_WAVE, TYMED_HGLOBAL, DVASPECT_ICON, 2), Answer::Block, pattern(10));
    obj.add(formatetc(CF_TIFF, TYMED_HGLOBAL, 3, 0), Answer::Block);  // zero bytes: no block to copy
    obj.add(formatetc(RegisterClipboardFormatW(n255.c_str()), TYMED_HGLOBAL), Answer::OtherSuccess, pattern(5000));
    obj.add(formatetc(CF_PENDATA, TYMED_HGLOBAL));  // past the bound of the enumeration
    entry_capture_formats(table, &obj, 8);
    EXPECT_EQ(rows_of(table), (Rows{L"CF_UNICODETEXT|All|CONTENT|-1|HGLOBAL+ISTREAM (HGLOBAL)|1'024",
        L"Clipnook Private|All|CONTENT|-1|HGLOBAL|?GetData", L"CF_DIB|All|CONTENT|-1|ISTREAM|?GetData",
        L"CF_HDROP|All|CONTENT|-1|HGLOBAL|?NULL", L"CF_RIFF|All|CONTENT|-1|HGLOBAL|?GetData",
        L"CF_WAVE|All|ICON|2|HGLOBAL|10", L"CF_TIFF|All|3|0|HGLOBAL|?Dup", n255 + L"|All|CONTENT|-1|HGLOBAL|5'000"}));
    EXPECT_EQ(data_of(table), (std::vector<Bytes>{pattern(1024), {}, {}, {}, {}, pattern(10), {}, pattern(5000)}));
    for (int i = 0; i < table->count; ++i) {
        EXPECT_EQ(table->items[i].format, obj.offers[i].format.cfFormat) << i;
        EXPECT_TRUE(!table->items[i].data || table->items[i].data != obj.offers[i].block) << i;  // its own copy
        EXPECT_EQ(ListView_GetItemState(table->listView, i, kShown), i ? 0 : kShown) << i;
    }
    EXPECT_EQ(obj.refs + none.refs + noEnumerator.refs, 3);  // every enumerator and medium released once
    EXPECT_EQ(table->active, 0);
}

// COM dispatches messages while GetData waits on another process: commands and drops arrive mid-capture.
TEST(Capture, EnteredAgainFromInsideGetDataItNeitherNestsNorMixes) {
    const char* refused = "Capture refused: another capture is running.";
    const char* stopped = "Capture stopped: the entry table was changed meanwhile.";
    const struct { int command, times, captured, tables; const char* log; const wchar_t* title; } cases[] = {
        {IDM_OPEN_CLIPBOARD, 1, 3, 0, refused, L"Clipnook [Dropped Object]"},
        {0, 1, 3, 0, refused, L"Clipnook [Dropped Object]"},  // a second drop
        {IDM_NEW, 1, 0, 0, stopped, L"Clipnook"},
        {IDM_ADD_ASCII_TABLE, 5, 2, 5, stopped, L"Clipnook [Files & Tables]"},  // the table's array moves
    };
    for (const auto& c : cases) {
        MainWindowFixture f;
        EntryTable* table = &f.state()->entries;
        TestDataObject obj;
        auto during = [&] {
            for (int i = 0; i < c.times; ++i) c.command ? f.command(c.command) : entry_capture_data_object(table, &obj);
        };
        obj.add(formatetc(CF_TEXT, TYMED_HGLOBAL), Answer::Block, pattern(10));
        obj.add(formatetc(CF_OEMTEXT, TYMED_HGLOBAL), Answer::Block, pattern(20), during);
        obj.add(formatetc(CF_DIF, TYMED_HGLOBAL), Answer::Block, pattern(30));
        StdoutCapture log;
        entry_capture_data_object(table, &obj);
        EXPECT_EQ(log.count(' ', c.log), 1) << c.log;
        std::vector<Bytes> data{pattern(10), pattern(20), pattern(30)};
        data.resize(c.captured), data.resize(c.captured + c.tables, kEveryByte);
        EXPECT_EQ(data_of(table), data) << c.log;
        EXPECT_EQ(obj.refs, 1) << c.log;  // every medium released once, none twice
        EXPECT_EQ(window_text(f.window), c.title);
    }
}

TEST(FileEntries, SavedBlocksComeBackAsFilesAndWhatCannotBeReadIsSkipped) {
    wchar_t folder[MAX_PATH];
    SetCurrentDirectoryW((GetTempPathW(MAX_PATH, folder), folder));  // the files go to the temporary folder
    MainWindowFixture f;
    EntryTable* table = &f.state()->entries;
    Bytes picture = pattern(1500);
    picture[0] = 'B', picture[1] = 'M';
    const struct { const wchar_t* path; Bytes bytes; UINT length; int saved; } files[] = {
        {L"clipnook pic.bmp", picture, UINT(-1), 0},  // a negative length saves the whole block
        {L".\\part.txt", pattern(100), 40, 0}, {L"b.bin", {'B', 'M'}, 1, 0}, {L"bm.dat", {'B', 'M'}, 2, 0},
        {L"nothing.bin", {1}, 0, -4}, {L"past.bin", {1}, 2, -4}, {L"no such folder\\x.bin", {1}, 1, -2}};
    for (const auto& file : files) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, file.bytes.size());
        std::memcpy(GlobalLock(block), file.bytes.data(), file.bytes.size()), GlobalUnlock(block);
        EXPECT_EQ(GlobalSave(block, file.length, file.path), file.saved) << file.length;
        GlobalFree(block);
    }
    CloseHandle(CreateFileW(L"empty.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    HANDLE huge = CreateFileW(L"huge.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    SetFilePointerEx(huge, LARGE_INTEGER{.QuadPart = 0x80000000LL}, nullptr, FILE_BEGIN);  // 2 GiB, sparse
    EXPECT_TRUE(SetEndOfFile(huge) && CloseHandle(huge));
    entry_add_ascii_table(table);
    // A failed save leaves no file; empty, 2 GiB and missing files and a folder are skipped.
    for (const auto& file : files) entry_add_file(table, file.path);
    for (const wchar_t* path : {L"empty.bin", L"huge.bin", L"missing.bin", L"."}) entry_add_file(table, path);
    DeleteFileW(L"huge.bin");
    EXPECT_EQ(rows_of(table), (Rows{kAscii, L"clipnook pic.bmp|-|(File)|-|HGLOBAL|1'500",
                                    L"part.txt|-|(File)|-|HGLOBAL|40", L"b.bin|-|(File)|-|HGLOBAL|1",
                                    L"bm.dat|-|(File)|-|HGLOBAL|2"}));
    EXPECT_EQ(data_of(table), (std::vector<Bytes>{kEveryByte, picture, pattern(40), {'B'}, {'B', 'M'}}));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(table->items[i].format, i == 1 || i == 4 ? cf_bitmapfile : 0) << i;
    EXPECT_EQ(table->active, 4);  // the last one added is shown
}

namespace {
// A stream that claims 4 GB, has 10 bytes and counts its references.
struct ShortStream final : IStream {
    LONG refs = 1;
    ULONG left = 10;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE Read(void* to, ULONG n, ULONG* got) override {
        *got = std::min(n, left), left -= *got;
        return std::memset(to, 'S', *got), S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* s, DWORD) override { return *s = {}, s->cbSize.QuadPart = 1ull << 32, S_OK; }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }
};
HGLOBAL global_of(const Bytes& bytes) {
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    return std::memcpy(GlobalLockGuard(g).get(), bytes.data(), bytes.size()), g;
}
}  // namespace

// Each medium a source may hand out comes back as the bytes the entry keeps, and is released once.
TEST(Media, EveryMediumBecomesBytesAndIsReleasedOnce) {
    ShortStream hostile;
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(global_of(pattern(100)), TRUE, &stream);
    stream->Seek(LARGE_INTEGER{{99, 0}}, STREAM_SEEK_SET, nullptr);  // read from its start all the same
    HDC meta = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(meta, 0, 0, 10, 10);
    HENHMETAFILE emf = CloseEnhMetaFile(meta);
    const UINT emfBytes = GetEnhMetaFileBits(emf, 0, nullptr);
    HDC old = CreateMetaFileW(nullptr);
    Rectangle(old, 0, 0, 10, 10);
    HGLOBAL picture = global_of(Bytes(sizeof(METAFILEPICT)));
    *GlobalLockGuard(picture).as<METAFILEPICT>() = {MM_ANISOTROPIC, 100, 50, CloseMetaFile(old)};
    const DWORD bitmapPixels[8] = {};
    LOGPALETTE palette{0x300, 1, {{1, 2, 3, 0}}};
    ILockBytes* lockBytes = nullptr;
    IStorage* storage = nullptr;
    CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes);
    StgCreateDocfileOnILockBytes(lockBytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage);
    lockBytes->Release();
    wchar_t file[MAX_PATH], folder[MAX_PATH];
    GetTempFileNameW((GetTempPathW(MAX_PATH, folder), folder), L"cn", 0, file);
    GlobalSave(global_of(pattern(5)), UINT(-1), file);
    const struct { STGMEDIUM medium; UINT size; const wchar_t* mark; BYTE first; } cases[] = {
        {{TYMED_HGLOBAL, {.hGlobal = global_of(pattern(7))}, nullptr}, 7, nullptr, pattern(1)[0]},
        {{TYMED_ISTREAM, {.pstm = stream}, nullptr}, 100, nullptr, pattern(1)[0]},
        {{TYMED_ISTREAM, {.pstm = &hostile}, nullptr}, 10, nullptr, 'S'},  // claims 4 GB, ends early
        {{TYMED_ENHMF, {.hEnhMetaFile = emf}, nullptr}, emfBytes, nullptr, EMR_HEADER},
        {{TYMED_MFPICT, {.hMetaFilePict = picture}, nullptr}, 0, nullptr, MM_ANISOTROPIC},
        {{TYMED_GDI, {.hBitmap = CreateBitmap(4, 2, 1, 32, bitmapPixels)}, nullptr}, 40 + 32, nullptr, 40},
        {{TYMED_GDI, {.hBitmap = reinterpret_cast<HBITMAP>(CreatePalette(&palette))}, nullptr}, 4, nullptr, 1},
        {{TYMED_GDI, {.hBitmap = reinterpret_cast<HBITMAP>(CreatePen(PS_SOLID, 1, 0))}, nullptr}, 0, L"?Read", 0},
        {{TYMED_ISTORAGE, {.pstg = storage}, nullptr}, 0, nullptr, 0xD0},  // a compound file's magic
        {{TYMED_FILE, {.lpszFileName = static_cast<LPOLESTR>(CoTaskMemAlloc(sizeof file))}, nullptr}, 5,
         nullptr, pattern(1)[0]},
        {{TYMED_HGLOBAL, {.hGlobal = nullptr}, nullptr}, 0, L"?NULL", 0},
    };
    lstrcpyW(cases[9].medium.lpszFileName, file);
    for (const auto& c : cases) {
        STGMEDIUM medium = c.medium;
        MediumBytes bytes = entry_take_medium(&medium);
        EXPECT_EQ(medium.tymed, DWORD(TYMED_NULL));  // released and cleared
        EXPECT_EQ(bytes.mark ? std::wstring(bytes.mark) : L"", c.mark ? c.mark : L"") << c.medium.tymed;
        if (c.mark) continue;
        GlobalLockGuard got(bytes.block);
        ASSERT_TRUE(got) << c.medium.tymed;
        EXPECT_TRUE((c.size ? bytes.size == c.size : bytes.size > 12) && got.size() >= bytes.size) << c.medium.tymed;
        EXPECT_EQ(got.as<BYTE>()[0], c.first) << c.medium.tymed;
        EXPECT_EQ(bytes.medium, c.medium.tymed);
        GlobalFree(bytes.block);
    }
    EXPECT_EQ(hostile.refs, 0);
    DeleteFileW(file);
}
