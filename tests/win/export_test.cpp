// Copy, Copy As and Export As of the main window's hex dump, through the real clipboard, save dialog and files.
#include "win_test.h"
#include "../host/array_reference.h"
#include "app/resource_ids.h"
#include "base/win_raii.h"
#include "export/export.h"
#include "hexdump/uihexdump.h"

#include <commdlg.h>
#include <dlgs.h>
#include <algorithm>
#include <fstream>
#include <tuple>

namespace {

using V = std::vector<long long>;
int g_pauses;
bool g_brief;  // the clipboard is let go at the first pause

std::string clipboard(const char* put = nullptr) {  // the clipboard's text, after replacing it when asked
    ClipboardGuard clip(nullptr);
    GlobalBlock b(put ? GlobalAlloc(GMEM_MOVEABLE, strlen(put) + 1) : nullptr);
    if (put) memcpy(GlobalLockGuard(b.get()).get(), put, strlen(put) + 1);
    if (put && EmptyClipboard() && SetClipboardData(CF_TEXT, b.get())) b.release();
    GlobalLockGuard p(clip ? GetClipboardData(CF_TEXT) : nullptr);
    return p ? std::string(p.as<char>(), strnlen(p.as<char>(), p.size())) : "<none>";
}

// The main window with bytes in its hex dump, which has the focus; files go to a folder of their own.
struct Exporter : MainWindowFixture {
    HWND dump = state()->viewer.hexDump;
    HGLOBAL block = nullptr;
    std::string bytes;
    std::wstring dir = [] {
        wchar_t base[MAX_PATH];
        return GetTempPathW(MAX_PATH, base), base + (L"clipnook_export_" + std::to_wstring(GetCurrentProcessId()));
    }();
    Exporter() { SetFocus(dump), CreateDirectoryW(dir.c_str(), nullptr); }
    ~Exporter() { data("", 0, 0), RemoveDirectoryW(dir.c_str()); }
    void data(const std::string& b, int anchor, int caret) {
        SendMessageW(dump, UIHDM_SETDATA, WPARAM(-1), 0), block ? GlobalFree(block) : nullptr;
        if (!(block = (bytes = b).empty() ? nullptr : GlobalAlloc(GMEM_MOVEABLE, b.size()))) return;
        memcpy(GlobalLockGuard(block).get(), b.data(), b.size());
        SendMessageW(dump, UIHDM_SETDATA, b.size(), LPARAM(block)), SendMessageW(dump, UIHDM_SETSEL, anchor, caret);
    }
    std::string array(int notation, size_t lo, size_t hi) const {
        return array_fast(*array_notations[notation], reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), lo, hi, nullptr);
    }
    std::string text() const {
        int n = -1;
        GlobalBlock t(reinterpret_cast<HGLOBAL>(SendMessageW(dump, UIHDM_GETDUMPTEXT, 0, LPARAM(&n))));
        return std::string(GlobalLockGuard(t.get()).as<char>(), n);
    }
    std::string take(const std::wstring& name) const {  // a file's bytes, and the file gone
        std::ifstream in((dir + L"\\" + name).c_str(), std::ios::binary);
        const std::string s = in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<no file>";
        return in.close(), DeleteFileW((dir + L"\\" + name).c_str()), s;
    }
    // `run` with the save dialog it opens answered: `name` typed in the folder (none: Cancel) after choosing file type
    // `type`. Returns the dialog's texts as it came up, the type it offered and its number of types.
    std::pair<std::wstring, V> dialog(const std::function<void()>& run, const std::wstring& name, int type) {
        std::pair<std::wstring, V> seen{L"<no dialog>", {}};
        static std::function<void()> script;  // run once the dialog has initialised, from a timer its loop dispatches
        ModalWatcher watcher([&](const SeenDialog& d) {
            script = [&, d] {
                HWND types = GetDlgItem(d.window, cmb1);
                seen = {L"", {SendMessageW(types, CB_GETCURSEL, 0, 0), SendMessageW(types, CB_GETCOUNT, 0, 0)}};
                for (auto& t : d.texts) seen.first += L"|" + t + L"|";
                if (name.empty()) return void(PostMessageW(d.window, WM_COMMAND, IDCANCEL, 0));
                for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})  // a choice of type, with both of the notifications it sends
                    if (type >= 0) SendMessageW(types, CB_SETCURSEL, type, 0), SendMessageW(d.window, WM_COMMAND, MAKEWPARAM(cmb1, code), LPARAM(types));
                for (int field : {edt1, cmb13}) SendMessageW(d.window, CDM_SETCONTROLTEXT, field, LPARAM((dir + L"\\" + name).c_str()));
                PostMessageW(d.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(d.window, IDOK)));
            };
            SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR timer, DWORD) { KillTimer(nullptr, timer), script(); });
        });
        return run(), seen;
    }
};

}  // namespace

TEST(CopyAs, TheSelectionOnTheClipboardOnlyFromAFocusedDump) {
    Exporter f;
    std::string bytes, copied;
    for (int i = 0; i < 300; ++i) bytes += char(i * 13 + 1);  // byte 59 is 0
    f.data(bytes, 250, 37);
    std::replace_copy(bytes.begin() + 37, bytes.begin() + 250, std::back_inserter(copied), '\0', ' ');
    for (auto& [id, text] : {std::pair{IDM_COPY, copied}, {IDM_COPY_AS_DUMP, f.text()}}) EXPECT_EQ((clipboard("old"), f.command(id), clipboard()), text) << id;
    for (int i = 0; i < 6; ++i) EXPECT_EQ((clipboard("old"), f.command(IDM_COPY_AS_C_ARRAY + i), clipboard()), f.array(i, 37, 250)) << i;
    for (HWND focus : {f.state()->listView, HWND(nullptr)}) {
        StdoutCapture out;
        SetFocus(focus), f.command(IDM_COPY_AS_C_ARRAY), f.command(IDM_EXPORT);  // the export would wait in a dialog
        EXPECT_EQ(V({clipboard() == f.array(5, 37, 250), static_cast<long long>(out.records().size())}), V({1, 0})) << focus;
    }
}

// A clipboard held a moment is waited for, one held for good given up on; made first, no text means no attempt at all.
TEST(CopyAs, ABusyClipboardIsWaitedForOnlyWhenThereIsSomethingToPut) {
    Exporter f;
    const auto pause = std::exchange(ClipboardGuard::pause, [](int) { ++g_pauses, g_brief && CloseClipboard() && (g_brief = false); });
    const std::tuple<int, bool, bool, const char*, const char*, int> cases[] = {  // command, data, held briefly, clipboard, log, pauses
        {IDM_COPY_AS_C_STRING, true, true, "\t\"\\x41\\x42\";\r\n", "main_on_copy_as", 1}, {IDM_COPY, true, true, "AB", "", 1},
        {IDM_COPY_AS_C_STRING, true, false, "kept", "main_on_copy_as: error OpenClipboard", ClipboardGuard::kAttempts - 1},
        {IDM_COPY_AS_DUMP, false, false, "kept", "main_on_copy_as: error got no data", 0}, {IDM_COPY, false, false, "kept", "", 0}};
    for (auto& [id, data, brief, text, log, pauses] : cases) {
        clipboard("kept"), f.data(data ? "AB" : "", 0, 2);
        StdoutCapture out;
        OpenClipboard(f.state()->listView);  // another window holds the clipboard
        g_pauses = 0, g_brief = brief, f.command(id);
        if (g_pauses < 1 || !brief) CloseClipboard();
        EXPECT_EQ(V({clipboard().find(text) != std::string::npos, !*log || out.has(' ', log), g_pauses}), V({1, 1, pauses})) << id << data << brief;
    }
    ClipboardGuard::pause = pause;
}

// Steps on the path and type kept for the run; a name too long for the dialog's buffer, or Cancel, leaves the path.
TEST(ExportAs, FilesTypesTheRememberedPathAndFailures) {
    Exporter f;
    f.data("ABCDEFGHIJ", 7, 2);  // a backwards selection is exported forwards
    const std::string raw = "CDEFG", none = "<no file>", dump = f.text(), cs = f.array(2, 2, 7), pas = f.array(4, 2, 7);
    const std::wstring tooLong = std::wstring(261 - f.dir.size() - 5, L'x') + L".bin";
    const char *path = "main_on_export_as \"", *empty = "main_on_export_as: error -4 in GlobalSave()";
    int index = 1;
    // command, name typed, type chosen, selection; the name proposed, the file, its bytes, type offered, types, log line
    const std::tuple<int, std::wstring, int, int, std::wstring, std::wstring, std::string, V, const char*> steps[] = {
        {IDM_EXPORT, L"raw", -1, 7, L"|", L"raw.bin", raw, {0, 2}, path},
        {IDM_EXPORT_AS_CSHARP_ARRAY, L"arr", -1, 7, L"raw.bin|", L"arr.cs", cs, {0, 1}, path},
        {IDM_EXPORT_AS_DUMP, L"plain", 1, 7, L"arr.cs|", L"plain", dump, {0, 2}, path},  // "All (*.*)": no extension
        {IDM_EXPORT, L"again", -1, 7, L"plain|", L"again", raw, {1, 2}, path},           // and the type offered again
        {IDM_EXPORT, tooLong, -1, 7, L"again|", tooLong, none, {1, 2}, nullptr},
        {IDM_EXPORT_AS_PASCAL_ARRAY, L"pas", -1, 7, L"again|", L"pas.pas", pas, {0, 1}, path},
        {IDM_EXPORT_AS_C_ARRAY, L"", -1, 7, L"pas.pas|", L"", none, {0, 1}, nullptr},
        {IDM_EXPORT, L"empty.bin", -1, 2, L"|", L"empty.bin", none, {0, 2}, empty},  // a write of nothing fails, leaving no file
    };
    for (auto& [id, typed, type, caret, proposed, file, content, offered, log] : steps) {
        SendMessageW(f.dump, UIHDM_SETSEL, 2, caret);
        StdoutCapture out;
        auto [seen, dialog] = f.dialog([&, id = id] { f.command(id); }, typed, type);
        EXPECT_EQ(V({seen.find(L"|" + proposed) != std::wstring::npos, out.count(' ', "main_on_export_as"), !log || out.raw().find(log) != std::string::npos,
                     out.raw().find(path) == std::string::npos, file.empty() || f.take(file) == content, dialog == offered}),
                  V({1, 1, 1, !log, 1, 1})) << id << " " << std::string(seen.begin(), seen.end());
    }
    wchar_t kept[MAX_PATH] = L"C:\\kept.bin";  // the caller's path changes only on OK
    f.dialog([&] { index *= save_file_dialog(f.window, L"Export to", kept, L"B\0*.bin\0", &index, false); }, tooLong, -1);
    EXPECT_EQ(std::wstring(kept) + L" " + std::to_wstring(index) + L" " + std::to_wstring(save_file_dialog(f.window, L"", nullptr, L"", nullptr, false)),
              L"C:\\kept.bin -1 -1");
}
