// The entry table, the capture of data objects and of the real clipboard,
// file and ASCII-table entries, and the global-memory helpers, under Wine.
#include "app/commands.h"
#include "win_test_util.h"
#include "test_data_object.h"
#include "entries/entries.h"
#include "entries/entry_table.h"
#include "entries/entries.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring temp_path(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

void write_file(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_TRUE(f);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<unsigned char> block_bytes(HGLOBAL block) {
    std::vector<unsigned char> out;
    if (void* p = GlobalLock(block)) {
        out.assign(static_cast<unsigned char*>(p), static_cast<unsigned char*>(p) + GlobalSize(block));
        GlobalUnlock(block);
    }
    return out;
}

HGLOBAL make_block(const std::vector<unsigned char>& bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (h && !bytes.empty()) {
        std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
    }
    return h;
}

using Row = std::vector<std::wstring>;

// Watches the task allocator: which blocks were freed while it was registered.
class FreeSpy final : public IMallocSpy {
public:
    std::vector<void*> freed;
    bool registered = false;
    FreeSpy() { registered = CoRegisterMallocSpy(this) == S_OK; }
    ~FreeSpy() { if (registered) CoRevokeMallocSpy(); }
    bool was_freed(void* p) const { return std::find(freed.begin(), freed.end(), p) != freed.end(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy)) { *out = this; return S_OK; }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cb) override { return cb; }
    void* STDMETHODCALLTYPE PostAlloc(void* p) override { return p; }
    void* STDMETHODCALLTYPE PreFree(void* p, BOOL) override { freed.push_back(p); return p; }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* p, SIZE_T cb, void** out, BOOL) override { *out = p; return cb; }
    void* STDMETHODCALLTYPE PostRealloc(void* p, BOOL) override { return p; }
    void* STDMETHODCALLTYPE PreGetSize(void* p, BOOL) override { return p; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cb, BOOL) override { return cb; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* p, BOOL) override { return p; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

}  // namespace

// ---------------------------------------------------------------- capture

TEST(Capture, EveryOfferedFormatBecomesARowWithItsOwnCopy) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    const UINT privateFormat = RegisterClipboardFormatW(L"Clipnook Test Private");
    TestDataObject obj;
    auto unicode = pattern(1024, 3);
    auto text = pattern(5000, 9);
    obj.add(formatetc(CF_UNICODETEXT, TYMED_HGLOBAL | TYMED_ISTREAM), Answer::Block, unicode);
    obj.add(formatetc(static_cast<CLIPFORMAT>(privateFormat), TYMED_HGLOBAL), Answer::Fail);
    obj.add(formatetc(CF_TEXT, TYMED_HGLOBAL), Answer::Block, text);
    obj.add(formatetc(CF_DIB, TYMED_ISTREAM));  // offered only as a stream
    obj.add(formatetc(CF_HDROP, TYMED_HGLOBAL), Answer::NullHandle);
    obj.add(formatetc(CF_RIFF, TYMED_HGLOBAL), Answer::WrongMedium);
    obj.add(formatetc(CF_WAVE, TYMED_HGLOBAL, DVASPECT_ICON, 2), Answer::Block, pattern(10), true);
    obj.add(formatetc(CF_TIFF, TYMED_HGLOBAL, 3, 0), Answer::Block, {});  // zero-size block: cannot be copied

    {
        FreeSpy spy;
        ASSERT_TRUE(spy.registered);
        entry_capture_data_object(&f.state()->entries, &obj);
        ASSERT_EQ(obj.devices.size(), 1u);
        EXPECT_TRUE(spy.was_freed(obj.devices[0])) << "the target-device block is the receiver's to free";
    }

    HWND lv = s->listView;
    ASSERT_EQ(s->entries.count, 8);
    ASSERT_EQ(list_count(lv), 8);
    EXPECT_EQ(list_row(lv, 0), (Row{L"CF_UNICODETEXT", L"All", L"CONTENT", L"-1", L"HGLOBAL+ISTREAM", L"1'024"}));
    EXPECT_EQ(list_row(lv, 1), (Row{L"Clipnook Test Private", L"All", L"CONTENT", L"-1", L"HGLOBAL", L"?GetData"}));
    EXPECT_EQ(list_row(lv, 2), (Row{L"CF_TEXT", L"All", L"CONTENT", L"-1", L"HGLOBAL", L"5'000"}));
    EXPECT_EQ(list_row(lv, 3), (Row{L"CF_DIB", L"All", L"CONTENT", L"-1", L"ISTREAM", L""}));
    EXPECT_EQ(list_row(lv, 4), (Row{L"CF_HDROP", L"All", L"CONTENT", L"-1", L"HGLOBAL", L"?NULL"}));
    EXPECT_EQ(list_row(lv, 5), (Row{L"CF_RIFF", L"All", L"CONTENT", L"-1", L"HGLOBAL", L"?GetData"}));
    ASSERT_EQ(obj.devices.size(), 1u);
    wchar_t td[32];
    swprintf(td, 32, L"$%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(obj.devices[0])));
    EXPECT_EQ(list_row(lv, 6), (Row{L"CF_WAVE", td, L"ICON", L"2", L"HGLOBAL", L"10"}));
    EXPECT_EQ(list_row(lv, 7), (Row{L"CF_TIFF", L"All", L"3", L"0", L"HGLOBAL", L"?Dup"}));

    // Own copies: equal bytes, other handles, the allocated size kept.
    const DataEntry* e = s->entries.items;
    EXPECT_EQ(e[0].format, CF_UNICODETEXT);
    EXPECT_EQ(e[0].size, 1024u);
    EXPECT_EQ(block_bytes(e[0].data), unicode);
    EXPECT_NE(e[0].data, obj.handedBlocks[0]);
    EXPECT_EQ(e[1].format, static_cast<INT>(privateFormat));
    EXPECT_EQ(e[1].data, nullptr);
    EXPECT_EQ(e[2].size, 5000u);
    EXPECT_EQ(block_bytes(e[2].data), text);
    for (int i : {1, 3, 4, 5, 7}) {
        EXPECT_EQ(e[i].data, nullptr) << i;
        EXPECT_EQ(e[i].size, 0u) << i;
    }
    for (int i = 0; i < 8; ++i) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        SendMessageW(lv, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.lParam, i);
    }

    // Only the global-memory medium is asked for, once per format offering it.
    EXPECT_EQ(obj.getDataCalls, 7);
    // Every successful GetData's medium was released, the wrong one included;
    // the enumerator is gone and the object holds only the test's reference.
    EXPECT_EQ(obj.media.refs, 0);
    EXPECT_EQ(obj.streamRefsHeldElsewhere(), 0);
    EXPECT_EQ(obj.enumeratorsAlive, 0);
    EXPECT_EQ(obj.refs, 1);

    // Row 0 is selected, focused and active; no other row is selected.
    EXPECT_EQ(list_state(lv, 0), static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
    for (int i = 1; i < 8; ++i) EXPECT_EQ(list_state(lv, i) & LVIS_SELECTED, 0u) << i;
    EXPECT_EQ(s->entries.active, 0);
    EXPECT_EQ(window_text(f.window), L"Clipnook [Dropped Object]");
}

TEST(Capture, ABlockThatCannotBeCopiedIsLogged) {
    MainWindowFixture f;
    TestDataObject obj;
    obj.add(formatetc(CF_TIFF, TYMED_HGLOBAL), Answer::Block, {});
    StdoutCapture log;
    entry_capture_data_object(&f.state()->entries, &obj);
    std::string text = log.stop();
    EXPECT_NE(text.find("Main            GlobalLock( In) failed on $"), std::string::npos) << text;
    EXPECT_EQ(list_cell(f.state()->listView, 0, 5), L"?Dup");
}

TEST(Capture, ANewCaptureReplacesTheListButAnEmptyObjectLeavesIt) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    TestDataObject first;
    first.add(formatetc(CF_TEXT, TYMED_HGLOBAL), Answer::Block, pattern(3));
    first.add(formatetc(CF_OEMTEXT, TYMED_HGLOBAL), Answer::Block, pattern(4));
    entry_capture_data_object(&f.state()->entries, &first);
    ASSERT_EQ(s->entries.count, 2);

    TestDataObject empty;
    entry_capture_data_object(&f.state()->entries, &empty);
    EXPECT_EQ(s->entries.count, 2);
    EXPECT_EQ(list_count(s->listView), 2);
    EXPECT_EQ(s->entries.items[1].size, 4u);
    EXPECT_EQ(empty.enumeratorsAlive, 0);

    TestDataObject noEnumerator;
    noEnumerator.enumFails = true;
    entry_capture_data_object(&f.state()->entries, &noEnumerator);
    EXPECT_EQ(s->entries.count, 2);

    main_set_title(f.window, L"Something");
    TestDataObject second;
    second.add(formatetc(CF_LOCALE, TYMED_HGLOBAL), Answer::Block, pattern(4));
    entry_capture_data_object(&f.state()->entries, &second);
    EXPECT_EQ(s->entries.count, 1);
    EXPECT_EQ(list_count(s->listView), 1);
    EXPECT_EQ(list_cell(s->listView, 0, 0), L"CF_LOCALE");
    EXPECT_EQ(window_text(f.window), L"Clipnook [Dropped Object]");
    EXPECT_EQ(s->entries.active, 0);
}

TEST(Capture, AnEnumeratorThatNeverEndsIsCut) {
    MainWindowFixture f;
    TestDataObject obj;
    obj.endless = true;
    entry_capture_formats(&f.state()->entries, &obj, 6);
    EXPECT_EQ(f.state()->entries.count, 6);
    EXPECT_EQ(list_count(f.state()->listView), 6);
    EXPECT_EQ(obj.getDataCalls, 0);  // stream-only offers are never fetched
    EXPECT_EQ(obj.enumeratorsAlive, 0);
    EXPECT_EQ(obj.refs, 1);
}

// ---------------------------------------------------------------- clipboard

namespace {
// Puts the given blocks on the clipboard, owned by a window of this thread.
bool put_on_clipboard(HWND owner, const std::vector<std::pair<UINT, std::vector<unsigned char>>>& items) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    for (const auto& [format, bytes] : items) SetClipboardData(format, make_block(bytes));
    CloseClipboard();
    return true;
}
}  // namespace

TEST(Clipboard, TheClipboardFormatsAreListedWithSizesAndRegisteredNames) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    const UINT sample = RegisterClipboardFormatW(L"Clipnook Sample Format");
    std::vector<unsigned char> text = {'h', 'e', 'l', 'l', 'o', 0};
    auto bytes = pattern(3000, 5);
    ASSERT_TRUE(put_on_clipboard(f.window, {{CF_TEXT, text}, {sample, bytes}}));

    main_on_clipboard(f.window);

    EXPECT_EQ(window_text(f.window), L"Clipnook [Clipboard]");
    ASSERT_GE(s->entries.count, 2);
    int textRow = -1, sampleRow = -1;
    for (int i = 0; i < s->entries.count; ++i) {
        if (s->entries.items[i].format == CF_TEXT) textRow = i;
        if (s->entries.items[i].format == static_cast<INT>(sample)) sampleRow = i;
        if (s->entries.items[i].format == CF_LOCALE && list_cell(s->listView, i, 4).empty()) {
            EXPECT_EQ(list_cell(s->listView, i, 5), L"");  // offered without a medium: nothing fetched
        }
    }
    ASSERT_GE(textRow, 0);
    ASSERT_GE(sampleRow, 0);
    EXPECT_EQ(list_cell(s->listView, sampleRow, 0), L"Clipnook Sample Format");
    // The platform may offer a stream besides the block.
    EXPECT_EQ(list_cell(s->listView, sampleRow, 4).rfind(L"HGLOBAL", 0), 0u);
    EXPECT_EQ(list_cell(s->listView, sampleRow, 5), L"3'000");
    EXPECT_EQ(s->entries.items[sampleRow].size, 3000u);
    EXPECT_EQ(block_bytes(s->entries.items[sampleRow].data), bytes);
    EXPECT_EQ(list_cell(s->listView, textRow, 0), L"CF_TEXT");
    auto copied = block_bytes(s->entries.items[textRow].data);
    ASSERT_GE(copied.size(), text.size());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(copied.data())), "hello");
    EXPECT_EQ(s->entries.active, 0);
    EXPECT_EQ(list_state(s->listView, 0), static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));

    // The copies outlive the clipboard's content.
    ASSERT_TRUE(put_on_clipboard(f.window, {}));
    EXPECT_EQ(block_bytes(s->entries.items[sampleRow].data), bytes);
}

TEST(Clipboard, AnEmptyClipboardGivesAnEmptyListTitledClipboard) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    entry_add_ascii_table(&f.state()->entries);
    ASSERT_EQ(s->entries.count, 1);
    ASSERT_TRUE(put_on_clipboard(f.window, {}));
    main_on_clipboard(f.window);
    EXPECT_EQ(s->entries.count, 0);
    EXPECT_EQ(list_count(s->listView), 0);
    EXPECT_EQ(s->entries.active, -1);
    EXPECT_EQ(window_text(f.window), L"Clipnook [Clipboard]");
}

// ---------------------------------------------------------------- table

TEST(EntryTable, GrowsFourAtATimeAndClearingKeepsTheArray) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    EXPECT_EQ(s->entries.items, nullptr);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(entry_append(&s->entries));
        s->entries.items[i].format = 100 + i;
        s->entries.items[i].size = 10u * i;
        s->entries.items[i].scrollOffset = i;
    }
    EXPECT_EQ(s->entries.capacity, 4);
    ASSERT_TRUE(entry_append(&s->entries));
    EXPECT_EQ(s->entries.capacity, 8);
    EXPECT_EQ(s->entries.count, 5);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s->entries.items[i].format, 100 + i);
        EXPECT_EQ(s->entries.items[i].size, 10u * i);
        EXPECT_EQ(s->entries.items[i].scrollOffset, i);
    }
    const DataEntry& fresh = s->entries.items[4];
    EXPECT_TRUE(!fresh.data && !fresh.size && !fresh.format && !fresh.selectionAnchor && !fresh.selectionCaret &&
                !fresh.scrollOffset);
    EXPECT_EQ(list_count(s->listView), 5);

    DataEntry* array = s->entries.items;
    entry_table_clear(&s->entries);
    EXPECT_EQ(s->entries.count, 0);
    EXPECT_EQ(s->entries.capacity, 8);
    EXPECT_EQ(s->entries.items, array);
    EXPECT_EQ(s->entries.active, -1);
    EXPECT_EQ(list_count(s->listView), 0);

    entry_add_ascii_table(&f.state()->entries);  // the next entry goes to row 0
    EXPECT_EQ(s->entries.count, 1);
    EXPECT_EQ(list_cell(s->listView, 0, 0), L"ASCII Table");

    entry_table_free(&s->entries);
    EXPECT_EQ(s->entries.items, nullptr);
    EXPECT_EQ(s->entries.count, 0);
}

TEST(EntryTable, TitleAndCellText) {
    MainWindowFixture f;
    main_set_title(f.window, L"Files & Tables");
    EXPECT_EQ(window_text(f.window), L"Clipnook [Files & Tables]");
    main_set_title(f.window, nullptr);
    EXPECT_EQ(window_text(f.window), L"Clipnook");
    ASSERT_TRUE(entry_append(&f.state()->entries));
    listview_set_cell_text(f.state()->listView, 0, 3, L"cell");
    EXPECT_EQ(list_cell(f.state()->listView, 0, 3), L"cell");
}

// ---------------------------------------------------------------- global memory

TEST(GlobalMemory, DuplicateCopiesTheWholeBlock) {
    auto bytes = pattern(777);
    HGLOBAL src = make_block(bytes);
    HGLOBAL copy = GlobalDuplicate(src);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, src);
    EXPECT_EQ(GlobalSize(copy), 777u);
    EXPECT_EQ(block_bytes(copy), bytes);
    EXPECT_EQ(GlobalFlags(copy) & GMEM_LOCKCOUNT, 0u);
    EXPECT_EQ(GlobalFlags(src) & GMEM_LOCKCOUNT, 0u);
    GlobalFree(copy);
    GlobalFree(src);
    EXPECT_EQ(GlobalDuplicate(nullptr), nullptr);
}

TEST(GlobalMemory, SaveWritesTheRequestedBytesOrLeavesNoFile) {
    auto bytes = pattern(100);
    HGLOBAL block = make_block(bytes);
    std::wstring path = temp_path(L"clipnook_save_test.bin");

    EXPECT_EQ(GlobalSave(block, 40, path.c_str()), 0);
    HGLOBAL loaded = nullptr;
    UINT length = 0;
    ASSERT_EQ(GlobalLoad(path.c_str(), &loaded, &length), 0);
    EXPECT_EQ(length, 40u);
    EXPECT_EQ(block_bytes(loaded), std::vector<unsigned char>(bytes.begin(), bytes.begin() + 40));
    GlobalFree(loaded);

    EXPECT_EQ(GlobalSave(block, static_cast<UINT>(-1), path.c_str()), 0);  // negative: the whole block
    ASSERT_EQ(GlobalLoad(path.c_str(), &loaded, &length), 0);
    EXPECT_EQ(block_bytes(loaded), bytes);
    GlobalFree(loaded);

    EXPECT_EQ(GlobalSave(nullptr, 10, path.c_str()), -1);
    EXPECT_FALSE(file_exists(path));
    EXPECT_EQ(GlobalSave(block, 0, path.c_str()), -4);  // nothing written is no success
    EXPECT_FALSE(file_exists(path));
    EXPECT_EQ(GlobalSave(block, 101, path.c_str()), -4);  // never read past the block
    EXPECT_FALSE(file_exists(path));
    std::wstring unwritable = temp_path(L"clipnook_no_such_dir\\out.bin");
    EXPECT_EQ(GlobalSave(block, 10, unwritable.c_str()), -2);
    EXPECT_FALSE(file_exists(unwritable));
    GlobalFree(block);
}

TEST(GlobalMemory, LoadRefusesMissingEmptyAndHugeFiles) {
    HGLOBAL block = reinterpret_cast<HGLOBAL>(1);
    UINT length = 5;
    std::wstring missing = temp_path(L"clipnook_missing.bin");
    DeleteFileW(missing.c_str());
    EXPECT_EQ(GlobalLoad(missing.c_str(), &block, &length), -1);
    EXPECT_EQ(block, nullptr);

    std::wstring empty = temp_path(L"clipnook_empty.bin");
    write_file(empty, {});
    int code = GlobalLoad(empty.c_str(), &block, &length);
    EXPECT_TRUE(code == -4 || code == -5) << code;
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(length, 0u);
    DeleteFileW(empty.c_str());

    // A sparse file of exactly 2 GiB: its length does not fit the entry's size.
    std::wstring huge = temp_path(L"clipnook_huge.bin");
    HANDLE h = CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 0x80000000LL;
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    EXPECT_EQ(GlobalLoad(huge.c_str(), &block, &length), -3);
    EXPECT_EQ(block, nullptr);
    DeleteFileW(huge.c_str());
}

// ---------------------------------------------------------------- files and table

TEST(FileEntries, FilesAreAppendedNamedSizedAndRecognised) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    std::wstring bmp = temp_path(L"clipnook pic.bmp");
    std::vector<unsigned char> bmpBytes = pattern(1500);
    bmpBytes[0] = 0x42;
    bmpBytes[1] = 0x4D;
    write_file(bmp, bmpBytes);
    std::wstring txt = temp_path(L"notes.txt");
    write_file(txt, {'B', 'x', 'y'});
    std::wstring sneaky = temp_path(L"sneaky.dat");  // bitmap bytes under another name
    write_file(sneaky, {0x42, 0x4D});
    std::wstring empty = temp_path(L"clipnook_empty2.bin");
    write_file(empty, {});

    entry_add_ascii_table(&f.state()->entries);
    entry_add_file(&f.state()->entries, bmp.c_str());
    entry_add_file(&f.state()->entries, txt.c_str());
    entry_add_file(&f.state()->entries, empty.c_str());                              // cannot be loaded: skipped
    entry_add_file(&f.state()->entries, temp_path(L"clipnook_nothing.bin").c_str());  // missing: skipped
    std::wstring dir = temp_path(L"");
    entry_add_file(&f.state()->entries, dir.c_str());  // a folder cannot be read: skipped
    entry_add_file(&f.state()->entries, sneaky.c_str());

    HWND lv = s->listView;
    ASSERT_EQ(s->entries.count, 4);
    EXPECT_EQ(list_row(lv, 1), (Row{L"clipnook pic.bmp", L"-", L"(File)", L"-", L"HGLOBAL", L"1'500"}));
    EXPECT_EQ(list_row(lv, 2), (Row{L"notes.txt", L"-", L"(File)", L"-", L"HGLOBAL", L"3"}));
    EXPECT_EQ(list_row(lv, 3), (Row{L"sneaky.dat", L"-", L"(File)", L"-", L"HGLOBAL", L"2"}));
    EXPECT_EQ(s->entries.items[1].format, cf_bitmapfile);
    EXPECT_EQ(s->entries.items[1].size, 1500u);
    EXPECT_EQ(block_bytes(s->entries.items[1].data), bmpBytes);
    EXPECT_EQ(s->entries.items[2].format, 0);
    EXPECT_EQ(s->entries.items[3].format, cf_bitmapfile);
    // The last added row is selected and shown; the earlier rows stay.
    EXPECT_EQ(list_state(lv, 3), static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(list_state(lv, 0) & LVIS_SELECTED, 0u);
    EXPECT_EQ(s->entries.active, 3);
    EXPECT_EQ(window_text(f.window), L"Clipnook [Files & Tables]");

    // A path without a backslash is its own name.
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    SetCurrentDirectoryW(temp_path(L"").c_str());
    entry_add_file(&f.state()->entries, L"notes.txt");
    SetCurrentDirectoryW(cwd);
    EXPECT_EQ(list_cell(lv, 4, 0), L"notes.txt");

    for (auto& p : {bmp, txt, sneaky, empty}) DeleteFileW(p.c_str());
}

TEST(FileEntries, TheAsciiTableHoldsEveryByteInOrder) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    entry_add_ascii_table(&f.state()->entries);
    entry_add_ascii_table(&f.state()->entries);
    ASSERT_EQ(s->entries.count, 2);
    EXPECT_EQ(list_row(s->listView, 1), (Row{L"ASCII Table", L"-", L"(Table)", L"-", L"HGLOBAL", L"256"}));
    std::vector<unsigned char> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(block_bytes(s->entries.items[1].data), all);
    EXPECT_EQ(s->entries.items[1].size, 256u);
    EXPECT_EQ(s->entries.items[1].format, 0);
    EXPECT_EQ(s->entries.active, 1);
    EXPECT_EQ(window_text(f.window), L"Clipnook [Files & Tables]");
}

namespace {
// Answers the open-file dialog once it shows: cancels it, or types a path and
// presses OK.
const wchar_t* g_dialog_answer = nullptr;
void CALLBACK answer_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(L"#32770", L"New List from File");
    if (!dialog) return;
    KillTimer(nullptr, timer);
    if (g_dialog_answer) {
        SetDlgItemTextW(dialog, 0x47C, g_dialog_answer);  // the file name box
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    } else {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}
}  // namespace

TEST(FileEntries, NewListFromFileClearsOnlyWhenAFileIsChosen) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    entry_add_ascii_table(&f.state()->entries);
    entry_add_ascii_table(&f.state()->entries);

    g_dialog_answer = nullptr;
    SetTimer(nullptr, 0, 100, answer_dialog);
    SendMessageW(f.window, WM_COMMAND, IDM_OPEN_FILE, 0);
    EXPECT_EQ(s->entries.count, 2) << "cancelling leaves the list";

    std::wstring path = temp_path(L"clipnook_chosen.bin");
    write_file(path, pattern(1000));
    g_dialog_answer = path.c_str();
    SetTimer(nullptr, 0, 100, answer_dialog);
    SendMessageW(f.window, WM_COMMAND, IDM_OPEN_FILE, 0);
    ASSERT_EQ(s->entries.count, 1);
    EXPECT_EQ(list_row(s->listView, 0), (Row{L"clipnook_chosen.bin", L"-", L"(File)", L"-", L"HGLOBAL", L"1'000"}));
    EXPECT_EQ(std::wstring(main_file_path), path) << "the chosen path is kept for the next dialog";
    DeleteFileW(path.c_str());
}
