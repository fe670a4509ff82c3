// Find in the real main window: the form driven as a user would, each kind of search text, case, Find next and
// previous, wrapping (said in the status bar), a miss (a message box, selection kept) and refused hex.
#include "win_test.h"
#include "app/resource_ids.h"
#include "base/win_raii.h"
#include "entries/entries.h"
#include "find/find_dialog.h"
#include "hexdump/uihexdump.h"

#include <commctrl.h>

#include <algorithm>

namespace {

using V = std::vector<long long>;

struct Case {
    int command;
    const wchar_t* text;  // typed into the form; null: no form expected
    int kind, matchCase, a, c;  // the selection before
    V after;                     // anchor, caret, "Not found" boxes so far, the field's refusals so far
    const wchar_t* note;         // the status bar's first part after
};

// The form, once it is up: the case's text and choices, then OK. A refused text's box is closed, and once the
// form has dealt with it (a timer comes after every posted message) the focus and the field's selection are noted.
Case g_case;
std::vector<V> g_refused;        // focus on the field, selection start, end
std::vector<std::wstring> g_held;  // what the field held when the form came up
HWND g_form = nullptr;
int g_boxes = 0;                 // "Not found" boxes
void CALLBACK after_refusal(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    DWORD from = 0, to = 0;
    HWND field = GetDlgItem(g_form, kFindFieldId);
    SendMessageW(field, EM_GETSEL, WPARAM(&from), LPARAM(&to));
    g_refused.push_back({GetFocus() == field && IsWindowEnabled(field), from, to});
    PostMessageW(g_form, WM_COMMAND, IDCANCEL, 0);
}
void act(const SeenDialog& d) {
    if (HWND field = GetDlgItem(d.window, kFindFieldId)) {
        g_form = d.window;
        g_held.push_back(window_text(field));
        SetWindowTextW(field, g_case.text);
        SendDlgItemMessageW(d.window, kFindText8Id + g_case.kind, BM_CLICK, 0, 0);
        CheckDlgButton(d.window, kFindCaseId, g_case.matchCase ? BST_CHECKED : BST_UNCHECKED);
        PostMessageW(d.window, WM_COMMAND, IDOK, 0);
    } else {
        g_boxes += std::find(d.texts.begin(), d.texts.end(), L"Not found") != d.texts.end();
        if (d.owner == g_form) SetTimer(nullptr, 0, 1, after_refusal);
        PostMessageW(d.window, WM_COMMAND, IDCANCEL, 0);
    }
}

}  // namespace

TEST(Find, EachKindCaseNextPreviousWrapMissAndRefusedText) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    const std::string bytes = std::string("Hello hello ") + std::string("H\0E\0L\0L\0O\0", 10) + "!";
    entry_append(&s->entries);
    DataEntry& e = s->entries.items[s->entries.count - 1];
    e = {GlobalAlloc(GMEM_MOVEABLE, bytes.size()), UINT(bytes.size()), CF_TEXT, 0, 0, 0, 0, 0};
    memcpy(GlobalLockGuard(e.data).get(), bytes.data(), bytes.size());
    main_activate_item_viewer(s, 0);
    f.command(IDM_STATUS_BAR);
    const Case cases[] = {
        {IDM_FIND_NEXT, L"hello", 0, 0, 0, 0, {0, 5, 0, 0}, L""},  // nothing searched yet: the form opens
        {IDM_FIND, L"hello", 0, 1, 0, 0, {6, 11, 0, 0}, L""},
        {IDM_FIND_NEXT, nullptr, 0, 0, 6, 11, {6, 11, 0, 0}, L"Search wrapped to the start"},
        {IDM_FIND, L"hello", 1, 0, 0, 0, {12, 22, 0, 0}, L""},
        {IDM_FIND, L"hello", 1, 1, 3, 4, {3, 4, 1, 0}, L""},  // a miss keeps the selection
        {IDM_FIND, L"6c6C 6f", 2, 1, 0, 0, {2, 5, 1, 0}, L""},
        {IDM_FIND_PREVIOUS, nullptr, 0, 0, 2, 5, {8, 11, 1, 0}, L"Search wrapped to the end"},
        {IDM_FIND_PREVIOUS, nullptr, 0, 0, 8, 11, {2, 5, 1, 0}, L""},
        {IDM_FIND, L"6c 6G", 2, 0, 1, 1, {1, 1, 1, 1}, L""},  // refused in the form: the bad digit selected
        {IDM_FIND, L"6c 6", 2, 0, 1, 1, {1, 1, 1, 2}, L""},
    };
    for (const Case& c : cases) {
        const size_t held = g_held.size();
        g_case = c;
        SendMessageW(s->viewer.hexDump, UIHDM_SETSEL, c.a, c.c);
        ModalWatcher watcher(act);
        f.command(c.command);
        int a = -1, caret = -1;
        SendMessageW(s->viewer.hexDump, UIHDM_GETSEL, WPARAM(&a), LPARAM(&caret));
        wchar_t note[100] = L"";
        SendMessageW(s->statusBar, SB_GETTEXTW, 0, LPARAM(note));
        const size_t forms = g_held.size();
        EXPECT_EQ(V({a, caret, g_boxes, static_cast<long long>(g_refused.size()), static_cast<long long>(forms - held)}),
                  V({c.after[0], c.after[1], c.after[2], c.after[3], c.text != nullptr}))
            << c.command << " " << (c.text ? std::string(c.text, c.text + wcslen(c.text)) : "");
        EXPECT_EQ(std::wstring(note), c.note) << c.command;
    }
    EXPECT_EQ(g_refused, std::vector<V>({{1, 4, 5}, {1, 3, 4}}));
    // The form opens with the last confirmed search; a refused one is not kept.
    EXPECT_EQ(g_held, std::vector<std::wstring>({L"", L"hello", L"hello", L"hello", L"hello", L"6c6C 6f", L"6c6C 6f"}));
}
