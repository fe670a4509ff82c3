// The Goto and About dialogs on the real main window, driven as a user would:
// values typed into the fields, Enter and Escape through the dialog manager.
#include "win_test_util.h"
#include "modal_util.h"
#include "output_capture.h"
#include "app/dialogs.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <string>

namespace {

// Goto's two number fields: the automatic ids of its item list.
constexpr int kOffsetField = 2003;
constexpr int kCountField = 2006;
constexpr int kAboutLink = 12345;

// The main window with 256 bytes in its hex dump.
struct GotoFixture : MainWindowFixture {
    HGLOBAL block = nullptr;
    GotoFixture() {
        block = GlobalAlloc(GMEM_MOVEABLE, 256);
        if (auto* p = static_cast<BYTE*>(GlobalLock(block))) {
            for (int i = 0; i < 256; ++i) p[i] = static_cast<BYTE>(i);
            GlobalUnlock(block);
        }
        SendMessageW(state()->viewer.hexDump, UIHDM_SETDATA, 256, reinterpret_cast<LPARAM>(block));
        goto_offset = goto_count = 0;
    }
    ~GotoFixture() {
        if (IsWindow(window)) SendMessageW(state()->viewer.hexDump, UIHDM_SETDATA, 0, 0);
        GlobalFree(block);
    }
    std::pair<int, int> selection() const {
        int anchor = -1, caret = -1;
        SendMessageW(state()->viewer.hexDump, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&anchor), reinterpret_cast<LPARAM>(&caret));
        return {anchor, caret};
    }
};

// The dialog is activated while it initialises (centring brings it to the
// top), before it is placed, focused and attached to its form; so the test
// acts a moment later, from a timer the dialog's own loop dispatches.
std::function<void(HWND)> g_later;

void CALLBACK later_tick(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    auto act = std::move(g_later);
    g_later = nullptr;
    if (act) act(window);
}

ModalWatcher::Action deferred(std::function<void(HWND)> act) {
    return [act](const SeenDialog& d) {
        g_later = act;
        SetTimer(d.window, 77, 20, later_tick);
    };
}

// Types into the Goto fields and presses Enter in the offset field.
std::function<void(HWND)> type_and_enter(const wchar_t* offset, const wchar_t* count) {
    return [=](HWND d) {
        SetDlgItemTextW(d, kOffsetField, offset);
        SetDlgItemTextW(d, kCountField, count);
        PostMessageW(GetDlgItem(d, kOffsetField), WM_KEYDOWN, VK_RETURN, 0);
    };
}

}  // namespace

TEST(GotoDialog, SelectsTheRangeFocusesTheDumpAndRemembersTheValues) {
    GotoFixture f;
    SetFocus(f.state()->listView);
    RECT offsetField{}, countField{}, dialog{}, main{};
    {
        ModalWatcher watch(deferred([&](HWND d) {
            GetWindowRect(GetDlgItem(d, kOffsetField), &offsetField);
            GetWindowRect(GetDlgItem(d, kCountField), &countField);
            GetWindowRect(d, &dialog);
            GetWindowRect(f.window, &main);
            type_and_enter(L"16", L"32")(d);
        }));
        main_on_goto(f.window);
        ASSERT_EQ(watch.seen().size(), 1u);
        EXPECT_EQ(watch.seen()[0].caption, L"Goto Dump");
        const auto& texts = watch.seen()[0].texts;
        for (const wchar_t* t : {L"Offset:", L"Select:", L"bytes", L"OK", L"Abbruch"})
            EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
    }
    EXPECT_EQ(goto_offset, 16u);
    EXPECT_EQ(goto_count, 32u);
    EXPECT_EQ(GetFocus(), f.state()->viewer.hexDump);
    EXPECT_EQ(f.selection(), std::make_pair(16, 48));
    // The two fields line up although their captions differ in width.
    EXPECT_EQ(offsetField.left, countField.left);
    const long w = dialog.right - dialog.left, h = dialog.bottom - dialog.top;
    EXPECT_EQ(dialog.left, main.left + (main.right - main.left - w) / 2);
    EXPECT_EQ(dialog.top, main.top + (main.bottom - main.top - h) / 2);

    // The next use shows the confirmed values; Cancel keeps them and the selection.
    std::wstring shownOffset, shownCount;
    {
        ModalWatcher watch(deferred([&](HWND d) {
            shownOffset = window_text(GetDlgItem(d, kOffsetField));
            shownCount = window_text(GetDlgItem(d, kCountField));
            SetDlgItemTextW(d, kOffsetField, L"99");
            PostMessageW(GetDlgItem(d, kOffsetField), WM_KEYDOWN, VK_ESCAPE, 0);
        }));
        main_on_goto(f.window);
    }
    EXPECT_EQ(shownOffset, L"16");
    EXPECT_EQ(shownCount, L"32");
    EXPECT_EQ(goto_offset, 16u);
    EXPECT_EQ(f.selection(), std::make_pair(16, 48));
}

TEST(GotoDialog, EmptyCountPlacesTheCaretAndRangesStayInsideTheData) {
    GotoFixture f;
    {
        ModalWatcher watch(deferred(type_and_enter(L"16", L"0")));
        main_on_goto(f.window);
    }
    EXPECT_EQ(f.selection(), std::make_pair(16, 16));
    {
        ModalWatcher watch(deferred(type_and_enter(L"1000", L"5")));
        main_on_goto(f.window);
    }
    EXPECT_EQ(f.selection(), std::make_pair(256, 256));
    // A count that passes 4 GB selects to the end instead of wrapping round
    // to a range before the offset.
    {
        ModalWatcher watch(deferred(type_and_enter(L"10", L"4294967295")));
        main_on_goto(f.window);
    }
    EXPECT_EQ(goto_count, 4294967295u);
    EXPECT_EQ(f.selection(), std::make_pair(10, 256));
}

TEST(GotoDialog, ABadNumberKeepsTheDialogOpenUntilItIsFixed) {
    GotoFixture f;
    int rounds = 0;
    HWND focusAfterRefusal = nullptr;
    HWND countField = nullptr;
    {
        ModalWatcher watch(deferred([&](HWND d) {
            countField = GetDlgItem(d, kCountField);
            SetDlgItemTextW(d, kOffsetField, L"4");
            SetDlgItemTextW(d, kCountField, L"-3");
            SendMessageW(d, WM_COMMAND, IDOK, 0);
            focusAfterRefusal = GetFocus();
            rounds = IsWindow(d) ? 1 : 0;
            SetDlgItemTextW(d, kCountField, L"3");
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        }));
        main_on_goto(f.window);
    }
    EXPECT_EQ(rounds, 1);
    EXPECT_EQ(focusAfterRefusal, countField);
    EXPECT_EQ(f.selection(), std::make_pair(4, 7));
}

TEST(AboutDialog, ShowsIconVersionAndLinkAndClosesWithEnterAndEscape) {
    MainWindowFixture f;
    bool hasIcon = false, linkIsButton = false, noCancel = false, focusOnLink = false;
    {
        OutputCapture out;
        ModalWatcher watch(deferred([&](HWND d) {
            HWND icon = nullptr;
            for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                if (SendMessageW(c, STM_GETIMAGE, IMAGE_ICON, 0)) icon = c;
            hasIcon = icon != nullptr;
            linkIsButton = window_class(GetDlgItem(d, kAboutLink)) == L"Button";
            noCancel = GetDlgItem(d, IDCANCEL) == nullptr;
            focusOnLink = GetFocus() == GetDlgItem(d, kAboutLink);
            // Enter on the focused link belongs to the dialog: OK, no link opened.
            PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        }));
        main_on_about(f.window);
        ASSERT_EQ(watch.seen().size(), 1u);
        EXPECT_EQ(watch.seen()[0].caption, L"About Clipnook");
        const auto& texts = watch.seen()[0].texts;
        for (const wchar_t* t : {L"Clipnook v1.07", L"Have a look at", L"clipnook.example.org", L"OK"})
            EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
        EXPECT_TRUE(out.has_line("uiform_simple() => 0")) << out.text();
        EXPECT_TRUE(out.has_line("Has focus: yes 12345")) << out.text();
        EXPECT_EQ(out.text().find("ctrlid=12345"), std::string::npos);
        // The tree dump starts at the root.
        EXPECT_NE(out.text().find("\n 2000:  OPENV [0/0 "), std::string::npos);
    }
    EXPECT_TRUE(hasIcon);
    EXPECT_TRUE(linkIsButton);
    EXPECT_TRUE(noCancel);
    EXPECT_TRUE(focusOnLink);

    OutputCapture out;
    ModalWatcher watch(deferred([&](HWND) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }));
    main_on_about(f.window);
    EXPECT_TRUE(out.has_line("uiform_simple() => 1")) << out.text();
}

TEST(AboutDialog, CallbackOpensOnlyTheLinkAndNeverHandles) {
    intptr_t result = 5;
    // Any other message or control: nothing happens and nothing is handled.
    EXPECT_EQ(about_callback(nullptr, WM_COMMAND, IDOK, 0, &result), 0);
    EXPECT_EQ(about_callback(nullptr, WM_COMMAND, MAKEWPARAM(kAboutLink, EN_CHANGE), 0, &result), 0);
    EXPECT_EQ(about_callback(nullptr, WM_PAINT, kAboutLink, 0, &result), 0);
    EXPECT_EQ(result, 5);
}
