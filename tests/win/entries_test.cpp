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
    obj.add(formatetc(CF_DIB, TYMED_ISTREAM), Answer::Block, pattern(8));  // not on global memory: never asked
    obj.add(formatetc(CF_HDROP, TYMED_HGLOBAL), Answer::NullHandle);
    obj.add(formatetc(CF_RIFF, TYMED_HGLOBAL), Answer::WrongMedium);
    obj.add(formatetc(CF_WAVE, TYMED_HGLOBAL, DVASPECT_ICON, 2), Answer::Block, pattern(10));
    obj.add(formatetc(CF_TIFF, TYMED_HGLOBAL, 3, 0), Answer::Block);  // zero bytes: no block to copy
    obj.add(formatetc(RegisterClipboardFormatW(n255.c_str()), TYMED_HGLOBAL), Answer::OtherSuccess, pattern(5000));
    obj.add(formatetc(CF_PENDATA, TYMED_HGLOBAL));  // past the bound of the enumeration
    entry_capture_formats(table, &obj, 8);
    EXPECT_EQ(rows_of(table), (Rows{L"CF_UNICODETEXT|All|CONTENT|-1|HGLOBAL+ISTREAM|1'024",
        L"Clipnook Private|All|CONTENT|-1|HGLOBAL|?GetData", L"CF_DIB|All|CONTENT|-1|ISTREAM|",
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
