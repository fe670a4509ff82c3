// What the Wine tests share: message pumping that waits for a condition, the
// main window as start-up makes it, captured standard output and log lines,
// and watchers that answer the modal loops (dialogs, message boxes, popup
// menus) the code under test opens.
#pragma once
#include "app/main_state.h"

#include <fcntl.h>
#include <io.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Dispatches every waiting message of this thread (through the dialog
// navigation of `dialog`, as the program's loop does, when given).
inline void pump_messages(HWND dialog = nullptr) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog && IsDialogMessageW(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps until `done` holds; false when it still does not after `limitMs`
// (a bound for a broken program, not a pace: the condition ends the wait).
inline bool pump_until(const std::function<bool()>& done, DWORD limitMs = 10000, HWND dialog = nullptr) {
    DWORD start = GetTickCount();
    for (;;) {
        pump_messages(dialog);
        if (done()) return true;
        if (GetTickCount() - start > limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The main window as start-up makes it: created, sized to the hex dump, shown.
struct MainWindowFixture {
    HWND window = nullptr;
    MainWindowFixture() {
        window = main_create_window(g_instance);
        if (!window) return;
        main_size_to_hexdump(window);
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        pump_until([this] { return IsWindowVisible(window) && GetFocus() != nullptr; });
    }
    ~MainWindowFixture() {
        if (window && IsWindow(window)) DestroyWindow(window);
        // WM_DESTROY posts the quit message; drop it so later cases can pump.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }
    MainWindowState* state() const { return main_state(window); }
    // A command as the menu or an accelerator sends it.
    void command(int id) const { SendMessageW(window, WM_COMMAND, id, 0); }
};

inline std::wstring window_text(HWND w) {
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    return text;
}

// Standard output into a temporary file while alive; what was written is
// replayed when the test failed, so failure reports are not lost.
class StdoutCapture {
public:
    StdoutCapture() {
        wchar_t dir[MAX_PATH], file[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"out", 0, file);
        path_ = file;
        std::fflush(stdout);
        saved_ = _dup(_fileno(stdout));
        _wfreopen(path_.c_str(), L"w", stdout);
        setvbuf(stdout, nullptr, _IONBF, 0);
    }
    ~StdoutCapture() {
        std::string seen = raw();
        std::fflush(stdout);
        if (saved_ >= 0) {
            _dup2(saved_, _fileno(stdout));
            _close(saved_);
        }
        std::clearerr(stdout);
        DeleteFileW(path_.c_str());
        if (testing::Test::HasFailure()) std::fputs(seen.c_str(), stdout);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Everything written so far, line ends without carriage returns.
    std::string raw() const {
        std::fflush(stdout);
        std::string all;
        if (FILE* f = _wfopen(path_.c_str(), L"rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                for (size_t i = 0; i < n; ++i)
                    if (buf[i] != '\r') all += buf[i];
            std::fclose(f);
        }
        return all;
    }
    // Log records without their tick count: "<letter> <tag padded to 15> <message>".
    std::vector<std::string> records() const {
        std::vector<std::string> out;
        std::string all = raw();
        for (size_t start = 0; start < all.size();) {
            size_t end = all.find('\n', start);
            if (end == std::string::npos) end = all.size();
            std::string line = all.substr(start, end - start);
            size_t blank = line.find(' ');
            out.push_back(blank == std::string::npos ? line : line.substr(blank + 1));
            start = end + 1;
        }
        return out;
    }
    // How many records of this level letter (' ', 'I', 'E', ...) and tag say `message`.
    int count(char letter, const std::string& message, const std::string& tag = "Main") const {
        std::string want = std::string(1, letter) + " " + tag + std::string(tag.size() < 15 ? 15 - tag.size() : 0, ' ') +
                           " " + message;
        int n = 0;
        for (const std::string& r : records()) n += r == want;
        return n;
    }
    bool has(char letter, const std::string& message, const std::string& tag = "Main") const {
        return count(letter, message, tag) > 0;
    }

private:
    std::wstring path_;
    int saved_ = -1;
};

// What a modal window showed when it came up.
struct SeenDialog {
    HWND window;
    HWND owner;
    std::wstring caption;
    std::vector<std::wstring> texts;  // its children's texts, in Z order
};

// A CBT hook on this thread: every dialog or message box that is activated is
// recorded and handed to `act` (default: cancelled), so no modal loop of the
// code under test can block a test.
class ModalWatcher {
public:
    using Action = std::function<void(const SeenDialog&)>;
    explicit ModalWatcher(Action act = nullptr) : act_(std::move(act)) {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &ModalWatcher::proc, nullptr, GetCurrentThreadId());
    }
    ~ModalWatcher() {
        if (hook_) UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;
    const std::vector<SeenDialog>& seen() const { return seen_; }

private:
    static BOOL CALLBACK collect(HWND child, LPARAM param) {
        reinterpret_cast<SeenDialog*>(param)->texts.push_back(window_text(child));
        return TRUE;
    }
    static LRESULT CALLBACK proc(int code, WPARAM wParam, LPARAM lParam) {
        ModalWatcher* self = current_;
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t cls[16] = {};
        if (code == HCBT_ACTIVATE && self && GetClassNameW(window, cls, 16) && lstrcmpW(cls, L"#32770") == 0) {
            bool known = false;
            for (const SeenDialog& d : self->seen_) known = known || d.window == window;
            if (!known) {
                SeenDialog d{window, GetWindow(window, GW_OWNER), window_text(window), {}};
                EnumChildWindows(window, &ModalWatcher::collect, reinterpret_cast<LPARAM>(&d));
                self->seen_.push_back(d);
                if (self->act_) self->act_(d);
                else PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline ModalWatcher* current_ = nullptr;
    HHOOK hook_ = nullptr;
    Action act_;
    std::vector<SeenDialog> seen_;
};

// Runs `act` once a popup menu of this thread is open, from a timer that the
// menu's own loop dispatches; `opened()` tells whether one came up.
class PopupMenuDriver {
public:
    using Action = std::function<void(HWND menuWindow, HMENU menu)>;
    explicit PopupMenuDriver(Action act) : act_(std::move(act)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 10, &PopupMenuDriver::tick);
    }
    ~PopupMenuDriver() {
        if (timer_) KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    PopupMenuDriver(const PopupMenuDriver&) = delete;
    PopupMenuDriver& operator=(const PopupMenuDriver&) = delete;
    bool opened() const { return opened_; }

private:
    static BOOL CALLBACK find(HWND window, LPARAM param) {
        wchar_t cls[16] = {};
        if (GetClassNameW(window, cls, 16) && lstrcmpW(cls, L"#32768") == 0 && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        PopupMenuDriver* self = current_;
        HWND menuWindow = nullptr;
        if (!self || self->opened_) return;
        EnumThreadWindows(GetCurrentThreadId(), &PopupMenuDriver::find, reinterpret_cast<LPARAM>(&menuWindow));
        if (!menuWindow) return;
        self->opened_ = true;
        self->act_(menuWindow, reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
    }
    static inline PopupMenuDriver* current_ = nullptr;
    Action act_;
    UINT_PTR timer_ = 0;
    bool opened_ = false;
};

inline std::wstring menu_item_text(HMENU menu, UINT item, bool byPosition) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, item, text, 128, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    return text;
}

inline bool menu_item_grayed(HMENU menu, UINT id) {
    UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) != 0;
}
