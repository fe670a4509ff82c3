// Snapshots on a real main window: saved through the dialog and opened again, a save that cannot finish,
// hostile files, and the entries put back on the clipboard.
#include "win_test.h"
#include "test_data_object.h"
#include "app/capture.h"
#include "app/commands.h"
#include "base/win_raii.h"
#include "dnd/drop_target.h"
#include "entries/entries.h"
#include "snapshot/snapshot.h"
#include "snapshot/snapshot_core.h"

#include <commctrl.h>
#include <dlgs.h>
#include <fstream>
#include <iterator>
#include <map>

namespace {
using Rows = std::vector<std::wstring>;
using Bytes = std::vector<unsigned char>;
Rows rows_of(const EntryTable* table) {  // each row's six cells joined by '|'
    Rows rows(table->count);
    for (size_t cell = 0; cell < rows.size() * 6; ++cell) {
        wchar_t text[300] = {};
        ListView_GetItemText(table->listView, cell / 6, cell % 6, text, 300);
        rows[cell / 6] += (cell % 6 ? L"|" : L"") + std::wstring(text);
    }
    return rows;
}
// Every entry's FORMATETC, medium and bytes, as numbers and bytes one can compare.
std::vector<Bytes> entries_of(const EntryTable* table) {
    std::vector<Bytes> all;
    for (int i = 0; i < table->count; ++i) {
        const DataEntry& e = table->items[i];
        const DWORD fields[] = {DWORD(e.format), e.aspect, DWORD(e.lindex), e.offered, e.medium, e.size};
        Bytes b(reinterpret_cast<const BYTE*>(fields), reinterpret_cast<const BYTE*>(fields + 6));
        const BYTE* device = reinterpret_cast<const BYTE*>(e.device);
        if (device) b.insert(b.end(), device, device + e.device->tdSize);
        if (GlobalLockGuard d(e.data); d) b.insert(b.end(), d.as<BYTE>(), d.as<BYTE>() + e.size);
        all.push_back(b);
    }
    return all;
}
Bytes file_bytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
void write_file(const std::wstring& path, const Bytes& bytes) {
    std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
std::wstring folder() {  // a fresh folder of this test's own
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"clipnook-snap-" + std::to_wstring(GetTickCount());
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}
int files_in(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &found);
    int n = 0;
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) n += found.cFileName[0] != L'.';
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return n;
}

// Runs `run`, answering its file dialogs with `path` (empty: Cancel) and a question with Yes; the texts of
// the message boxes it showed come back.
std::vector<std::wstring> with_dialogs(const std::function<void()>& run, const std::wstring& path) {
    std::vector<std::wstring> boxes;
    static std::function<void()> script;  // once the dialog has initialised, from a timer its loop dispatches
    ModalWatcher watcher([&](const SeenDialog& d) {
        HWND w = d.window;
        if (!GetDlgItem(w, cmb13) && !GetDlgItem(w, edt1)) {
            boxes.push_back(L"");
            for (const std::wstring& t : d.texts) boxes.back() += t + L"|";
            return void(PostMessageW(w, WM_COMMAND, GetDlgItem(w, IDYES) ? IDYES : IDCANCEL, 0));
        }
        script = [w, path] {
            if (path.empty()) return void(PostMessageW(w, WM_COMMAND, IDCANCEL, 0));
            for (int field : {edt1, cmb13}) SendMessageW(w, CDM_SETCONTROLTEXT, field, LPARAM(path.c_str()));
            PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(w, IDOK)));
        };
        SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR timer, DWORD) { KillTimer(nullptr, timer), script(); });
    });
    run();
    return boxes;
}

struct Record {
    INT32 format;
    std::wstring name;
    Bytes data;
    DWORD medium = TYMED_HGLOBAL;
    Bytes device = {};
    bool hasData = true;
};
// A snapshot file as the program writes one.
Bytes snapshot_of(const std::vector<Record>& records) {
    Bytes out(kSnapshotHeaderSize);
    snapshot_write_header(records.size(), out.data());
    for (const Record& rec : records) {
        const std::wstring texts[6] = {rec.name, L"All", L"CONTENT", L"-1", L"HGLOBAL", std::to_wstring(rec.data.size())};
        SnapshotRecord r;
        r.format = rec.format, r.aspect = DVASPECT_CONTENT, r.lindex = -1, r.tymed = r.medium = rec.medium;
        r.hasData = rec.hasData, r.dataSize = rec.data.size();
        r.targetDevice = rec.device.data(), r.targetDeviceSize = rec.device.size();
        for (int i = 0; i < 6; ++i)
            r.texts[i] = reinterpret_cast<const uint8_t*>(texts[i].c_str()), r.textUnits[i] = texts[i].size() + 1;
        size_t at = out.size();
        out.resize(at + snapshot_record_head_size(r));
        snapshot_write_record_head(r, out.data() + at);
        out.insert(out.end(), rec.data.begin(), rec.data.end());
    }
    return out;
}
// A device naming driver "ab" at 12: the four offsets, its size, and the name.
const Bytes kDevice = {16, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 0, 0};
// A 2 by 2 pixel packed DIB (whose header may claim more rows).
Bytes dib(LONG height = 2, WORD bits = 24) {
    BITMAPINFOHEADER h{sizeof h, 2, height, 1, bits, BI_RGB, 0, 0, 0, 0, 0};
    Bytes b(reinterpret_cast<BYTE*>(&h), reinterpret_cast<BYTE*>(&h + 1));
    Bytes pixels = pattern((bits <= 8 ? 4 << bits : 0) + (2 * bits + 31) / 32 * 4 * 2);
    return b.insert(b.end(), pixels.begin(), pixels.end()), b;
}
}  // namespace

TEST(Snapshot, SavedAndOpenedAgainItHoldsTheSameRowsFormatetcsAndBytes) {
    MainWindowFixture f;
    EntryTable* table = &f.state()->entries;
    const std::wstring dir = folder(), path = dir + L"\\shot.clipnook";
    TestDataObject obj;
    obj.add(formatetc(CF_UNICODETEXT, TYMED_HGLOBAL | TYMED_ISTREAM), Answer::Block, pattern(300));
    const UINT mine = RegisterClipboardFormatW(L"Clipnook Snapshot Test");
    obj.add(formatetc(mine, TYMED_HGLOBAL, DVASPECT_ICON, 2), Answer::Block, pattern(5));
    Bytes broken = kDevice;
    broken[4] = 40;  // its driver name past its end
    for (const Bytes* device : {&kDevice, const_cast<const Bytes*>(&broken)}) {
        FORMATETC withDevice = formatetc(device == &kDevice ? CF_DIB : CF_RIFF, TYMED_HGLOBAL);
        withDevice.ptd = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(device->size()));  // the capture frees it
        std::memcpy(withDevice.ptd, device->data(), device->size());
        obj.add(withDevice, Answer::Block, pattern(40));
    }
    obj.add(formatetc(CF_HDROP, TYMED_HGLOBAL), Answer::Fail);  // a row without bytes
    entry_capture_data_object(table, &obj);
    const Rows rows = rows_of(table);
    std::vector<Bytes> entries = entries_of(table);
    ASSERT_EQ(entries.size(), 5u);
    entries[3].erase(entries[3].begin() + 24, entries[3].begin() + 40);  // saved without the broken device
    EXPECT_EQ(Bytes(entries[2].end() - 56, entries[2].end() - 40), kDevice);  // the capture keeps the device

    EXPECT_EQ(with_dialogs([&] { f.command(IDM_SAVE_SNAPSHOT); }, L""), Rows{});  // cancelled: nothing written
    EXPECT_EQ(files_in(dir), 0);
    EXPECT_EQ(with_dialogs([&] { f.command(IDM_SAVE_SNAPSHOT); }, dir + L"\\shot"), Rows{});  // the extension added
    f.command(IDM_NEW);
    EXPECT_EQ(with_dialogs([&] { f.command(IDM_OPEN_FILE); }, path), Rows{});
    EXPECT_EQ(window_text(f.window), L"Clipnook [Snapshot shot.clipnook]");
    EXPECT_EQ(rows_of(table), rows);
    EXPECT_EQ(entries_of(table), entries);
    EXPECT_EQ(table->active, 0);
    // Add file takes the snapshot as the file it is.
    const Bytes raw = file_bytes(path);
    with_dialogs([&] { f.command(IDM_ADD_FILE); }, path);
    ASSERT_EQ(table->count, 6);
    EXPECT_EQ(rows_of(table)[5].rfind(L"shot.clipnook|-|(File)|-|HGLOBAL|", 0), 0u);
    const Bytes added = entries_of(table)[5];
    EXPECT_EQ(Bytes(added.begin() + 24, added.end()), raw);
}

TEST(Snapshot, ASaveThatCannotFinishLeavesTheOldFileAndNoOther) {
    MainWindowFixture f;
    EntryTable* table = &f.state()->entries;
    const std::wstring dir = folder(), path = dir + L"\\old.clipnook";
    entry_add_ascii_table(table);
    entry_add_ascii_table(table);
    write_file(path, {'o', 'l', 'd'});
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    std::vector<std::wstring> boxes = with_dialogs([&] { f.command(IDM_SAVE_SNAPSHOT); }, path);
    ASSERT_EQ(boxes.size(), 2u);  // the question whether to replace it, then why it was not
    EXPECT_NE(boxes[1].find(L"|The snapshot could not be saved as " + path + L": Access denied.|"), std::wstring::npos);
    EXPECT_EQ(file_bytes(path), (Bytes{'o', 'l', 'd'}));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    // A write that fails half way (the second entry claims more bytes than its block has).
    table->items[1].size = 100000;
    wchar_t why[kSnapshotWhyCapacity] = L"";
    EXPECT_FALSE(snapshot_save(table, path.c_str(), why));
    EXPECT_EQ(file_bytes(path), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(files_in(dir), 1);
    table->items[1].size = 256;
    EXPECT_TRUE(snapshot_save(table, path.c_str(), why));
    EXPECT_EQ(files_in(dir), 1);
    EXPECT_TRUE(snapshot_has_magic(file_bytes(path).data(), file_bytes(path).size()));
}

TEST(Snapshot, AHostileFileOpensNothingAndSaysWhereItIsWrong) {
    MainWindowFixture f;
    EntryTable* table = &f.state()->entries;
    const std::wstring dir = folder(), path = dir + L"\\bad.clipnook";
    const Bytes good = snapshot_of({{CF_TEXT, L"CF_TEXT", pattern(9)}, {CF_DIB, L"CF_DIB", dib()}});
    const struct { size_t at, cut; unsigned char value; } cases[] = {
        {8, 0, 2},                        // version 2
        {12, 0, 0x7F},                    // a count the file cannot hold
        {0, 1, 0},                        // the last byte missing
        {kSnapshotHeaderSize + 1, 0, 0xF0},  // the first record longer than the file
        {kSnapshotHeaderSize + 50, 0, 1}, // the first name's terminator no longer a zero
    };
    for (const auto& c : cases) {
        Bytes bytes(good.begin(), good.end() - c.cut);
        if (c.at) bytes[c.at] = c.value;
        write_file(path, bytes);
        std::vector<SnapshotRecord> records;
        const SnapshotProblem problem = snapshot_parse(bytes.data(), bytes.size(), &records);
        entry_table_clear(table), entry_add_ascii_table(table);
        const Rows before = rows_of(table);
        const std::wstring title = window_text(f.window);
        std::vector<std::wstring> boxes = with_dialogs([&] { main_open_file(f.state(), path.c_str(), true); }, L"");
        ASSERT_EQ(boxes.size(), 1u) << c.at;
        EXPECT_NE(boxes[0].find(L"bad.clipnook"), std::wstring::npos) << boxes[0];
        EXPECT_NE(boxes[0].find(L" at offset " + std::to_wstring(problem.offset) + L"."), std::wstring::npos) << boxes[0];
        EXPECT_EQ(rows_of(table), before);
        EXPECT_EQ(window_text(f.window), title);
    }
    write_file(path, snapshot_of({}));  // an empty one is a list without rows
    EXPECT_EQ(with_dialogs([&] { main_open_file(f.state(), path.c_str(), true); }, L""), Rows{});
    EXPECT_EQ(window_text(f.window), L"Clipnook [Snapshot bad.clipnook]");
    EXPECT_EQ(std::make_pair(table->count, table->active), std::make_pair(0, -1));
    write_file(path, {0x89, 'C', 'L', 'N'});  // no magic: a plain file
    EXPECT_EQ(with_dialogs([&] { main_open_file(f.state(), path.c_str(), true); }, L""), Rows{});
    EXPECT_EQ(rows_of(table), Rows{L"bad.clipnook|-|(File)|-|HGLOBAL|4"});
}

TEST(Snapshot, PutOnTheClipboardEveryEntryAsItsOwnHandleUnderItsName) {
    MainWindowFixture f;
    EntryTable* table = &f.state()->entries;
    const std::wstring dir = folder(), path = dir + L"\\put.clipnook";
    const std::wstring mine = L"Clipnook Put Test";
    const UINT id = RegisterClipboardFormatW(mine.c_str());
    const Bytes text = {'h', 'i', 0};
    write_file(path, snapshot_of({
        {CF_TEXT, L"CF_TEXT", text},
        {0xC0FE, mine, pattern(7)},  // another session's id for the name
        {CF_DIB, L"CF_DIB", dib()},
        {CF_BITMAP, L"CF_BITMAP", dib(), TYMED_GDI},
        {CF_BITMAP, L"CF_BITMAP", dib(100), TYMED_GDI},     // more rows than bytes
        {CF_DSPBITMAP, L"CF_DSPBITMAP", dib(2, 1), TYMED_GDI},  // with a colour table
        {CF_PALETTE, L"CF_PALETTE", pattern(1028), TYMED_GDI},  // more entries than a palette has
        {CF_PALETTE, L"CF_PALETTE", pattern(8), TYMED_GDI},  // two entries
        {CF_RIFF, L"CF_RIFF", pattern(3), TYMED_HGLOBAL, kDevice},  // the clipboard has no target devices
        {CF_WAVE, L"CF_WAVE", {}, TYMED_HGLOBAL, {}, false},
        {0, L"a.bin", pattern(4)},                          // a file has no format
    }));
    ModalWatcher none;
    main_open_file(f.state(), path.c_str(), true);
    ASSERT_EQ(table->count, 11);
    EXPECT_EQ(table->items[1].format, INT(id));
    { ClipboardGuard c(f.window); EmptyClipboard(); }
    std::vector<std::wstring> boxes = with_dialogs([&] { f.command(IDM_PUT_ON_CLIPBOARD); }, L"");
    ASSERT_EQ(boxes.size(), 1u);
    const wchar_t* skipped = L"|5 of 11 entries could not be put on the clipboard and were skipped.|";
    EXPECT_NE(boxes[0].find(skipped), std::wstring::npos) << boxes[0];
    {
        ClipboardGuard clipboard(nullptr);
        ASSERT_TRUE(clipboard);
        EXPECT_EQ(GetClipboardOwner(), f.window);
        auto bytes = [](UINT format) {
            GlobalLockGuard b(GetClipboardData(format));
            return b ? Bytes(b.as<BYTE>(), b.as<BYTE>() + b.size()) : Bytes{};
        };
        EXPECT_EQ(bytes(CF_TEXT), text);
        EXPECT_EQ(bytes(id), pattern(7));
        EXPECT_EQ(bytes(CF_DIB), dib());
        for (UINT format : {CF_BITMAP, CF_DSPBITMAP}) {
            BITMAP bm{};
            ASSERT_TRUE(GetObjectW(GetClipboardData(format), sizeof bm, &bm)) << format;
            EXPECT_EQ(std::make_pair(bm.bmWidth, bm.bmHeight), std::make_pair(2L, 2L));
        }
        EXPECT_EQ(GetPaletteEntries(static_cast<HPALETTE>(GetClipboardData(CF_PALETTE)), 0, 0, nullptr), 2u);
        for (UINT absent : {CF_RIFF, CF_WAVE}) EXPECT_FALSE(IsClipboardFormatAvailable(absent)) << absent;
    }
    entry_table_clear(table);
    snapshot_read_clipboard(table);  // what /save reads of it: the bytes put there
    std::map<INT, Bytes> read;
    for (int i = 0; i < table->count; ++i)
        if (GlobalLockGuard b(table->items[i].data); b)
            read[table->items[i].format].assign(b.as<BYTE>(), b.as<BYTE>() + b.size());
    EXPECT_EQ((std::vector<Bytes>{read[CF_TEXT], read[id], read[CF_DIB], read[CF_PALETTE]}),
              (std::vector<Bytes>{text, pattern(7), dib(), pattern(8)}));
    EXPECT_EQ(table->items[0].medium, DWORD{TYMED_HGLOBAL});
}

TEST(Snapshot, ADraggedRowCarriesEveryEntryOrOnlyItselfAndItsOwnWindowRefusesIt) {
    MainWindowFixture f;
    EntryTable* table = &f.state()->entries;
    const std::wstring path = folder() + L"\\drag.clipnook", mine = L"Clipnook Drag Test";
    const UINT id = RegisterClipboardFormatW(mine.c_str());
    write_file(path, snapshot_of({{CF_TEXT, L"CF_TEXT", {'h', 'i', 0}}, {0xC0FD, mine, pattern(7)},
                                  {CF_BITMAP, L"CF_BITMAP", dib(2, 8), TYMED_GDI},  // 8 bits with a colour table
                                  {CF_RIFF, L"CF_RIFF", pattern(3), TYMED_HGLOBAL, kDevice},
                                  {CF_WAVE, L"CF_WAVE", {}, TYMED_HGLOBAL, {}, false}, {0, L"a.bin", pattern(4)}}));
    main_open_file(f.state(), path.c_str(), true);
    auto offered = [](IDataObject* data) {  // each format as id, medium, device size, and its bytes or bitmap width
        std::vector<std::vector<DWORD>> out;
        IEnumFORMATETC* list = nullptr;
        FORMATETC fe;
        if (!data || FAILED(data->EnumFormatEtc(DATADIR_GET, &list))) return out;
        while (list->Next(1, &fe, nullptr) == S_OK) {
            out.push_back({fe.cfFormat, fe.tymed, fe.ptd ? fe.ptd->tdSize : 0});
            STGMEDIUM m{};
            EXPECT_EQ(data->GetData(&fe, &m), S_OK) << fe.cfFormat;
            BITMAP bm{};
            if (m.tymed == TYMED_GDI && GetObjectW(m.hBitmap, sizeof bm, &bm)) out.back().push_back(bm.bmWidth);
            if (GlobalLockGuard b(m.tymed == TYMED_HGLOBAL ? m.hGlobal : nullptr); b)
                out.back().insert(out.back().end(), b.as<BYTE>(), b.as<BYTE>() + b.size());
            ReleaseStgMedium(&m), CoTaskMemFree(fe.ptd);
        }
        return list->Release(), out;
    };
    using Offers = std::vector<std::vector<DWORD>>;
    IDataObject* all = snapshot_data_object(table, -1);
    IEnumFORMATETC* none = nullptr;
    EXPECT_EQ(all->EnumFormatEtc(DATADIR_SET, &none), E_NOTIMPL);
    EXPECT_EQ(offered(all), (Offers{{CF_TEXT, TYMED_HGLOBAL, 0, 'h', 'i', 0}, {id, TYMED_HGLOBAL, 0, 1, 8, 15, 22, 29, 36, 43},
                                    {CF_BITMAP, TYMED_GDI, 0, 2}, {CF_RIFF, TYMED_HGLOBAL, 16, 1, 8, 15}}));
    FORMATETC stream = formatetc(CF_TEXT, TYMED_ISTREAM), wave = formatetc(CF_WAVE, TYMED_HGLOBAL);
    STGMEDIUM m{};
    EXPECT_EQ(std::make_pair(all->GetData(&stream, &m), all->GetData(&wave, &m)), std::make_pair(DV_E_TYMED, DV_E_FORMATETC));
    entry_table_clear(table);  // the object keeps its own copies
    EXPECT_EQ(offered(all).size(), 4u);
    EXPECT_EQ(all->Release(), 0u);
    main_open_file(f.state(), path.c_str(), true);
    IDataObject* one = snapshot_data_object(table, 1);
    EXPECT_EQ(offered(one), (Offers{{id, TYMED_HGLOBAL, 0, 1, 8, 15, 22, 29, 36, 43}}));
    one->Release();
    EXPECT_EQ(snapshot_data_object(table, 4), nullptr);  // a row without bytes has nothing to drag

    // Dragged with no button held it drops at once where the cursor is: on the list it came from.
    RECT list;
    GetWindowRect(table->listView, &list);
    SetCursorPos((list.left + list.right) / 2, (list.top + list.bottom) / 2);
    StdoutCapture log;
    NMLISTVIEW begin{};
    begin.hdr = {table->listView, IDC_LISTVIEW, LVN_BEGINDRAG};
    SendMessageW(f.window, WM_NOTIFY, IDC_LISTVIEW, LPARAM(&begin));
    EXPECT_TRUE(log.has(' ', "uidad_IDropTarget_DragEnter: end dropeffect=0", "UIDrop"));
    EXPECT_FALSE(log.has(' ', "uidad_IDropTarget_Drop: start dropeffect=1", "UIDrop"));
    EXPECT_TRUE(log.has(' ', "Drag of every entry: hr=00040100 effect=0"));
    EXPECT_EQ(window_text(f.window), L"Clipnook [Snapshot drag.clipnook]");
    BYTE keys[256];
    GetKeyboardState(keys), keys[VK_CONTROL] |= 0x80, SetKeyboardState(keys);  // with Ctrl: the row alone
    SendMessageW(f.window, WM_NOTIFY, IDC_LISTVIEW, LPARAM(&begin));
    GetKeyboardState(keys), keys[VK_CONTROL] &= 0x7F, SetKeyboardState(keys);
    EXPECT_TRUE(log.has(' ', "Drag of one entry: hr=00040100 effect=0"));
    DWORD effect = DROPEFFECT_COPY;  // and afterwards it takes drops again
    EXPECT_EQ(uidad_interface(f.state()->dropTarget)->DragOver(0, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD{DROPEFFECT_COPY});
}

// A shell drop of one snapshot file opens it; a broken one is said after the drop, a plain file is a drop.
TEST(Snapshot, AShellDropOfASnapshotFileOpensIt) {
    MainWindowFixture f;
    EntryTable* table = &f.state()->entries;
    const std::wstring dir = folder(), good = dir + L"\\dropped.clipnook", bad = dir + L"\\bad.clipnook";
    entry_add_ascii_table(table);
    const Rows saved = rows_of(table);
    wchar_t why[kSnapshotWhyCapacity];
    ASSERT_TRUE(snapshot_save(table, good.c_str(), why));
    Bytes broken = file_bytes(good);
    write_file(bad, (broken[8] = 9, broken));  // an unknown version
    for (const std::wstring& path : {good, bad, dir + L"\\..\\"}) {
        DROPFILES head{sizeof head, {0, 0}, FALSE, TRUE};
        Bytes drop(reinterpret_cast<BYTE*>(&head), reinterpret_cast<BYTE*>(&head + 1));
        const BYTE* name = reinterpret_cast<const BYTE*>(path.c_str());
        drop.insert(drop.end(), name, name + 2 * (path.size() + 1));
        drop.insert(drop.end(), {0, 0});  // the list's end
        TestDataObject obj;
        obj.add(formatetc(CF_HDROP, TYMED_HGLOBAL), Answer::Block, drop);
        main_capture_drop(f.state(), &obj);
        EXPECT_EQ(window_text(f.window), path == dir + L"\\..\\" ? L"Clipnook [Dropped Object]" : L"Clipnook [Snapshot dropped.clipnook]");
        EXPECT_TRUE(path != good || rows_of(table) == saved);
        MSG said{};
        ASSERT_EQ(PeekMessageW(&said, f.window, WM_CLIPNOOK_REFUSED, WM_CLIPNOOK_REFUSED, PM_REMOVE) != 0, path == bad);
        const std::wstring text = path == bad ? reinterpret_cast<wchar_t*>(said.lParam) : L"bad.clipnook";
        EXPECT_NE(text.find(L"bad.clipnook"), std::wstring::npos);
        if (path == bad) std::free(reinterpret_cast<void*>(said.lParam));
    }
}
