// Copy As and Export As through the real clipboard, the real save dialog and
// real files, with the main window's own hex dump holding the bytes.
#include "modal_util.h"
#include "win_test_util.h"

#include "base/center_core.h"
#include "app/commands.h"
#include "export/array_core.h"
#include "export/export.h"

#include <commdlg.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// The main window's real hex dump, subclassed only so that a test can run
// code at the moment the producer asks for the data.
WNDPROC g_dump_proc = nullptr;
std::function<void()> g_on_get_data;

LRESULT CALLBACK spy_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == UIHDM_GETDATA && g_on_get_data) g_on_get_data();
    return CallWindowProcW(g_dump_proc, w, m, wp, lp);
}

HGLOBAL make_block(const std::vector<unsigned char>& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    if (!bytes.empty()) {
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    return block;
}

std::vector<unsigned char> ten_bytes() {
    std::vector<unsigned char> v;
    for (unsigned char c = 0x41; c <= 0x4A; ++c) v.push_back(c);
    return v;
}

// The main window with bytes in its hex dump and the focus on it.
struct ExportFixture : MainWindowFixture {
    HWND dump = nullptr;
    HGLOBAL block = nullptr;

    ExportFixture() {
        dump = state()->viewer.hexDump;
        g_dump_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(dump, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&spy_proc)));
        SetFocus(dump);
    }
    ~ExportFixture() {
        SendMessageW(dump, UIHDM_SETDATA, static_cast<WPARAM>(-1), 0);
        SetWindowLongPtrW(dump, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dump_proc));
        g_on_get_data = nullptr;
        if (block) GlobalFree(block);
    }
    void set_data(const std::vector<unsigned char>& bytes, int anchor, int caret) {
        if (block) {
            SendMessageW(dump, UIHDM_SETDATA, static_cast<WPARAM>(-1), 0);
            GlobalFree(block);
        }
        block = make_block(bytes);
        SendMessageW(dump, UIHDM_SETDATA, bytes.size(), reinterpret_cast<LPARAM>(block));
        SendMessageW(dump, UIHDM_SETSEL, anchor, caret);
    }
    void no_data() {
        SendMessageW(dump, UIHDM_SETDATA, static_cast<WPARAM>(-1), 0);
    }
};

// ---------------------------------------------------------------------------
// Clipboard and files.

bool put_clipboard_text(const char* text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    std::size_t n = std::strlen(text) + 1;
    HGLOBAL b = GlobalAlloc(GMEM_MOVEABLE, n);
    std::memcpy(GlobalLock(b), text, n);
    GlobalUnlock(b);
    bool ok = SetClipboardData(CF_TEXT, b) != nullptr;
    CloseClipboard();
    return ok;
}

std::string clipboard_text() {
    std::string text = "<no clipboard>";
    if (!OpenClipboard(nullptr)) return text;
    text = "<no CF_TEXT>";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            text.assign(p, strnlen(p, GlobalSize(h)));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

std::wstring temp_dir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    // One fresh folder per process run: no file of an earlier run can turn a
    // save into an overwrite prompt.
    static const std::wstring dir = [&] {
        std::wstring d = std::wstring(base) + L"clipnook_export_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                         std::to_wstring(GetTickCount());
        CreateDirectoryW(d.c_str(), nullptr);
        return d;
    }();
    return dir;
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string read_file(const std::wstring& path) {
    std::string s;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
        std::fclose(f);
    }
    return s;
}

std::string expected_array(const ArrayNotation& n, const std::vector<unsigned char>& d, std::size_t lo,
                           std::size_t hi) {
    std::size_t len = array_text_length(n, d.data() + lo, hi - lo, static_cast<std::uint32_t>(lo), nullptr);
    std::string s(len + 1, '\0');
    array_text_write(n, d.data() + lo, hi - lo, static_cast<std::uint32_t>(lo), nullptr, &s[0]);
    s.resize(len);
    return s;
}

bool contains(const std::string& s, const char* what) { return s.find(what) != std::string::npos; }

std::string narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// ---------------------------------------------------------------------------
// The save dialog, driven from a thread timer that fires inside its modal loop.

struct DialogScript {
    std::wstring fileName;      // typed into the name field; empty: press Cancel
    int selectType = -1;        // 0-based type to choose first, -1 to keep
    // What the dialog showed on arrival.
    bool seen = false;
    std::wstring proposedName;
    int proposedType = -1;
    int typeCount = -1;
    bool centred = false;
};
DialogScript* g_script = nullptr;
HWND g_expected_owner = nullptr;

BOOL CALLBACK find_export_dialog(HWND w, LPARAM out) {
    wchar_t title[64] = {};
    GetWindowTextW(w, title, 64);
    if (IsWindowVisible(w) && window_class(w) == L"#32770" && std::wstring(title) == L"Export to") {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK drive_dialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_export_dialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || !g_script || g_script->seen) return;
    KillTimer(nullptr, id);
    DialogScript& s = *g_script;
    s.seen = true;
    wchar_t name[MAX_PATH] = {};
    GetDlgItemTextW(dialog, edt1, name, MAX_PATH);
    if (!name[0]) GetDlgItemTextW(dialog, cmb13, name, MAX_PATH);
    s.proposedName = name;
    HWND types = GetDlgItem(dialog, cmb1);
    s.proposedType = static_cast<int>(SendMessageW(types, CB_GETCURSEL, 0, 0));
    s.typeCount = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));

    RECT d, o;
    GetWindowRect(dialog, &d);
    GetWindowRect(g_expected_owner, &o);
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    long x, y;
    center_position({d.left, d.top, d.right, d.bottom}, {o.left, o.top, o.right, o.bottom},
                    {desk.left, desk.top, desk.right, desk.bottom}, &x, &y);
    s.centred = d.left == x && d.top == y;

    if (s.fileName.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (s.selectType >= 0) {
        SendMessageW(types, CB_SETCURSEL, s.selectType, 0);
        // As a mouse choice does: both notifications, dialogs differ in which they act on.
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
    }
    SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(s.fileName.c_str()));
    SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(s.fileName.c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// Runs one Export As command with the dialog answered by `script`.
void export_with(ExportFixture& f, int command, DialogScript& script) {
    g_script = &script;
    g_expected_owner = f.window;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, drive_dialog);
    SendMessageW(f.window, WM_COMMAND, command, 0);
    KillTimer(nullptr, timer);
    g_script = nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------

TEST(CopyAs, EveryNotationOnTheClipboardAsText) {
    ExportFixture f;
    auto d = ten_bytes();
    f.set_data(d, 0, 10);
    SendMessageW(f.window, WM_COMMAND, IDM_COPY_AS_C_ARRAY, 0);
    EXPECT_EQ(clipboard_text(),
              "/* StartOffset: 0x00000000, EndOffset: 0x0000000A, Length: 0x0000000A */\r\n"
              "static const unsigned char rawData[10] = {\r\n"
              "\t0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,\r\n"
              "\t0x49, 0x4A\r\n"
              "};\r\n");
    // A backwards selection inside larger data, every notation.
    std::vector<unsigned char> big(300);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 13 + 1);
    f.set_data(big, 250, 37);
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(put_clipboard_text("old"));
        SendMessageW(f.window, WM_COMMAND, IDM_COPY_AS_C_ARRAY + i, 0);
        EXPECT_EQ(clipboard_text(), expected_array(*array_notations[i], big, 37, 250)) << array_notations[i]->name;
    }
}

TEST(CopyAs, DumpIsTheHexDumpsOwnText) {
    ExportFixture f;
    f.set_data(ten_bytes(), 8, 2);
    int length = -1;
    HGLOBAL direct = reinterpret_cast<HGLOBAL>(SendMessageW(f.dump, UIHDM_GETDUMPTEXT, 0,
                                                            reinterpret_cast<LPARAM>(&length)));
    ASSERT_TRUE(direct);
    std::string expected(static_cast<const char*>(GlobalLock(direct)), length);
    GlobalUnlock(direct);
    GlobalFree(direct);
    ASSERT_FALSE(expected.empty());
    SendMessageW(f.window, WM_COMMAND, IDM_COPY_AS_DUMP, 0);
    EXPECT_EQ(clipboard_text(), expected);
}

TEST(CopyAs, NothingHappensWithoutHexDumpFocus) {
    ExportFixture f;
    f.set_data(ten_bytes(), 0, 10);
    SetFocus(f.state()->listView);
    ASSERT_TRUE(put_clipboard_text("keep me"));
    LogCapture log;
    SendMessageW(f.window, WM_COMMAND, IDM_COPY_AS_C_ARRAY, 0);
    SendMessageW(f.window, WM_COMMAND, IDM_EXPORT, 0);  // would block in a dialog if it acted
    EXPECT_EQ(clipboard_text(), "keep me");
    EXPECT_TRUE(log.lines().empty());
}

TEST(CopyAs, FailuresBeepAndLogAndKeepTheClipboard) {
    ExportFixture f;
    ASSERT_TRUE(put_clipboard_text("previous"));
    {
        // No data in the hex dump.
        LogCapture log;
        SendMessageW(f.window, WM_COMMAND, IDM_COPY_AS_JAVA_ARRAY, 0);
        SendMessageW(f.window, WM_COMMAND, IDM_COPY_AS_DUMP, 0);
        EXPECT_EQ(log.count(' ', "main_on_copy_as"), 2);
        EXPECT_EQ(log.count(' ', "main_on_copy_as: error got no data"), 2);
    }
    EXPECT_EQ(clipboard_text(), "previous");

    // The clipboard held open by another thread cannot be opened.
    f.set_data(ten_bytes(), 0, 10);
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct Events { HANDLE opened, release; } ev{opened, release};
    HANDLE holder = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* e = static_cast<Events*>(p);
            BOOL ok = OpenClipboard(nullptr);
            SetEvent(e->opened);
            WaitForSingleObject(e->release, 10000);
            if (ok) CloseClipboard();
            return ok ? 0 : 1;
        },
        &ev, 0, nullptr);
    WaitForSingleObject(opened, 10000);
    {
        LogCapture log;
        SendMessageW(f.window, WM_COMMAND, IDM_COPY_AS_C_ARRAY, 0);
        EXPECT_TRUE(log.has(' ', "main_on_copy_as: error OpenClipboard"));
        EXPECT_FALSE(log.has(' ', "main_on_copy_as: error got no data"));
    }
    SetEvent(release);
    WaitForSingleObject(holder, 10000);
    DWORD code = 1;
    GetExitCodeThread(holder, &code);
    EXPECT_EQ(code, 0u) << "the helper thread could not open the clipboard";
    CloseHandle(holder);
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_EQ(clipboard_text(), "previous");
}

TEST(FormatArray, BlocksAndLengths) {
    ExportFixture f;
    int length = -1;
    EXPECT_EQ(format_c_array(f.dump, nullptr, &length), nullptr);  // no data
    EXPECT_EQ(length, 0);
    EXPECT_EQ(hexdump_copy_selection(f.dump, 0, &length), nullptr);

    std::vector<unsigned char> d{0x00, 0x22, 0x00, 0x5C, 0x7F, 0xFF};
    f.set_data(d, 6, 0);
    HGLOBAL b = format_c_string(f.dump, "title", &length);
    ASSERT_TRUE(b);
    std::string text(static_cast<const char*>(GlobalLock(b)));
    GlobalUnlock(b);
    EXPECT_EQ(static_cast<int>(text.size()), length);
    EXPECT_EQ(GlobalSize(b), static_cast<SIZE_T>(length) + 1);
    EXPECT_EQ(text.substr(0, 13), "/* title */\r\n");
    EXPECT_TRUE(contains(text, "\t\"\\x00\\x22\\x00\\x5C\\x7F\\xFF\";\r\n")) << text;
    GlobalFree(b);

    // Raw copy: the bytes unchanged, or zeros replaced when asked.
    b = hexdump_copy_selection(f.dump, 0, &length);
    ASSERT_TRUE(b);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(std::memcmp(GlobalLock(b), d.data(), 6), 0);
    GlobalUnlock(b);
    GlobalFree(b);
    b = hexdump_copy_selection(f.dump, ' ', &length);
    ASSERT_TRUE(b);
    EXPECT_EQ(std::memcmp(GlobalLock(b), " \x22 \x5C\x7F\xFF", 6), 0);
    GlobalUnlock(b);
    GlobalFree(b);
}

TEST(SaveDialog, ArgumentsAndCancel) {
    ExportFixture f;
    int index = 1;
    EXPECT_EQ(save_file_dialog(f.window, L"Export to", nullptr, L"A (*.a)\0*.a\0", &index, false), -1);
    wchar_t path[MAX_PATH] = L"";
    DialogScript cancel;
    g_script = &cancel;
    g_expected_owner = f.window;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, drive_dialog);
    EXPECT_EQ(save_file_dialog(f.window, L"Export to", path, L"A (*.a)\0*.a\0B (*.b)\0*.b\0", &index, false), 1);
    KillTimer(nullptr, timer);
    g_script = nullptr;
    EXPECT_TRUE(cancel.seen);
    EXPECT_EQ(cancel.typeCount, 2);
    EXPECT_TRUE(cancel.centred);
    EXPECT_EQ(index, 1);
}

// The export path and type stay for the run, so these steps build on each other.
TEST(ExportAs, FilesTypesAndTheRemememberedPath) {
    ExportFixture f;
    std::wstring dir = temp_dir();
    auto d = ten_bytes();

    // Raw export of a backwards selection writes the forward bytes.
    f.set_data(d, 7, 2);
    DialogScript raw;
    raw.fileName = dir + L"\\raw";
    export_with(f, IDM_EXPORT, raw);
    ASSERT_TRUE(raw.seen);
    EXPECT_EQ(raw.typeCount, 2);
    EXPECT_EQ(raw.proposedType, 0);
    EXPECT_TRUE(raw.centred);
    EXPECT_EQ(read_file(dir + L"\\raw.bin"), "CDEFG");

    // A name without extension gets the selected type's: cs.
    f.set_data(d, 0, 10);
    DialogScript cs;
    cs.fileName = dir + L"\\arr";
    export_with(f, IDM_EXPORT_AS_CSHARP_ARRAY, cs);
    EXPECT_NE(cs.proposedName.find(L"raw.bin"), std::wstring::npos) << cs.proposedName;
    EXPECT_EQ(read_file(dir + L"\\arr.cs"), expected_array(array_notation_csharp_array, d, 0, 10));

    // "All (*.*)" gives no extension, and is offered again by the next export.
    DialogScript all;
    all.fileName = dir + L"\\plain";
    all.selectType = 1;
    export_with(f, IDM_EXPORT_AS_DUMP, all);
    EXPECT_NE(all.proposedName.find(L"arr.cs"), std::wstring::npos) << all.proposedName;
    EXPECT_TRUE(file_exists(dir + L"\\plain"));
    EXPECT_FALSE(file_exists(dir + L"\\plain.txt"));

    DialogScript again;
    again.fileName = dir + L"\\again";
    export_with(f, IDM_EXPORT, again);
    EXPECT_EQ(again.proposedType, 1);
    EXPECT_TRUE(file_exists(dir + L"\\again"));

    // A list with one type cannot offer the second: the first is shown, and its
    // extension is what a bare name gets.
    DialogScript pas;
    pas.fileName = dir + L"\\pas";
    export_with(f, IDM_EXPORT_AS_PASCAL_ARRAY, pas);
    EXPECT_EQ(pas.proposedType, 0);
    EXPECT_EQ(read_file(dir + L"\\pas.pas"), expected_array(array_notation_pascal_array, d, 0, 10));

    for (const wchar_t* name : {L"raw.bin", L"arr.cs", L"plain", L"again", L"pas.pas"})
        _wremove((dir + L"\\" + name).c_str());
}

TEST(ExportAs, FailuresLogBeepAndLeaveNoFile) {
    ExportFixture f;
    std::wstring dir = temp_dir();
    {
        // An empty selection exported raw is a write of nothing: error -4.
        f.set_data(ten_bytes(), 4, 4);
        DialogScript s;
        s.fileName = dir + L"\\empty.bin";
        LogCapture log;
        export_with(f, IDM_EXPORT, s);
        EXPECT_TRUE(log.has(' ', "main_on_export_as"));
        EXPECT_TRUE(log.has(' ', "main_on_export_as \"" + narrow(s.fileName) + "\""));
        EXPECT_TRUE(log.has(' ', "main_on_export_as: error -4 in GlobalSave()"));
        EXPECT_FALSE(file_exists(dir + L"\\empty.bin"));
    }
    {
        // No data: nothing to write.
        f.no_data();
        DialogScript s;
        s.fileName = dir + L"\\nodata.c";
        LogCapture log;
        export_with(f, IDM_EXPORT_AS_C_ARRAY, s);
        EXPECT_TRUE(log.has(' ', "main_on_export_as: error no data"));
        EXPECT_FALSE(file_exists(dir + L"\\nodata.c"));
    }
    {
        // The folder vanishes between the dialog and the write: the file cannot be created.
        f.set_data(ten_bytes(), 0, 10);
        std::wstring sub = dir + L"\\gone";
        CreateDirectoryW(sub.c_str(), nullptr);
        g_on_get_data = [sub] { RemoveDirectoryW(sub.c_str()); };
        DialogScript s;
        s.fileName = sub + L"\\x.c";
        LogCapture log;
        export_with(f, IDM_EXPORT_AS_C_ARRAY, s);
        g_on_get_data = nullptr;
        EXPECT_TRUE(log.has(' ', "main_on_export_as: error -2 in GlobalSave()"));
        EXPECT_FALSE(file_exists(sub + L"\\x.c"));
    }
    {
        // Cancel: nothing logged after the command's own line, nothing written.
        DialogScript s;
        LogCapture log;
        export_with(f, IDM_EXPORT_AS_C_ARRAY, s);
        EXPECT_TRUE(s.seen);
        EXPECT_EQ(log.lines().size(), 1u);
        EXPECT_TRUE(log.has(' ', "main_on_export_as"));
    }
}
