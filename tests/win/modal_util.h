// Helpers for tests that meet modal loops (message boxes, dialogs, popup menus)
// and for reading the log lines a command writes.
#pragma once
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include "output_capture.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Reads back the log lines the code under test writes to standard output.
class LogCapture : public StdoutCapture {
public:
    // The record bodies written so far, one per line, each as "<letter> <tag padded> <message>"
    // (the tick count cut off).
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::string all = raw();
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find('\n', start);
            if (end == std::string::npos) end = all.size();
            std::string line = all.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            size_t blank = line.find(' ');
            out.push_back(blank == std::string::npos ? line : line.substr(blank + 1));
            start = end + 1;
        }
        return out;
    }
    // True when a record with this level letter, tag "Main" and message was written.
    bool has(char letter, const std::string& message) const { return count(letter, message) > 0; }
    int count(char letter, const std::string& message) const {
        std::string want = std::string(1, letter) + " Main            " + message;
        int n = 0;
        for (const std::string& l : lines())
            if (l == want) ++n;
        return n;
    }
    // Records of a level letter, whatever their text.
    int count_level(char letter) const {
        int n = 0;
        for (const std::string& l : lines())
            if (l.size() > 1 && l[0] == letter && l[1] == ' ') ++n;
        return n;
    }
};

// What a modal window showed when it came up.
struct SeenDialog {
    std::wstring cls;
    std::wstring caption;
    std::vector<std::wstring> texts;  // texts of its child windows, in Z order
    HWND window;
    HWND owner;
};

// A CBT hook on this thread: every dialog or message box that is activated is
// recorded and then handed to `act` (default: posted IDCANCEL), so no modal loop
// of the code under test can block a test.
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
        wchar_t text[1024] = {};
        GetWindowTextW(child, text, 1024);
        reinterpret_cast<SeenDialog*>(param)->texts.push_back(text);
        return TRUE;
    }
    static LRESULT CALLBACK proc(int code, WPARAM wParam, LPARAM lParam) {
        ModalWatcher* self = current_;
        if (code == HCBT_ACTIVATE && self) {
            HWND window = reinterpret_cast<HWND>(wParam);
            wchar_t cls[64] = {}, caption[256] = {};
            GetClassNameW(window, cls, 64);
            if (lstrcmpW(cls, L"#32770") == 0) {
                bool known = false;
                for (const SeenDialog& d : self->seen_) known = known || d.window == window;
                if (!known) {
                    GetWindowTextW(window, caption, 256);
                    SeenDialog d{cls, caption, {}, window, GetWindow(window, GW_OWNER)};
                    EnumChildWindows(window, &ModalWatcher::collect, reinterpret_cast<LPARAM>(&d));
                    self->seen_.push_back(d);
                    if (self->act_)
                        self->act_(d);
                    else
                        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                }
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
// menu's own loop dispatches. If no menu turns up within the time limit the
// timer stops and `opened()` stays false.
class PopupMenuDriver {
public:
    using Action = std::function<void(HWND menuWindow, HMENU menu)>;
    explicit PopupMenuDriver(Action act, DWORD limitMs = 3000) : act_(std::move(act)), limit_(limitMs) {
        current_ = this;
        start_ = GetTickCount();
        timer_ = SetTimer(nullptr, 0, 30, &PopupMenuDriver::tick);
    }
    ~PopupMenuDriver() {
        if (timer_) KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    PopupMenuDriver(const PopupMenuDriver&) = delete;
    PopupMenuDriver& operator=(const PopupMenuDriver&) = delete;
    bool opened() const { return opened_; }

    static HWND find_menu_window() {
        HWND found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &PopupMenuDriver::find, reinterpret_cast<LPARAM>(&found));
        return found;
    }

private:
    static BOOL CALLBACK find(HWND window, LPARAM param) {
        wchar_t cls[16] = {};
        GetClassNameW(window, cls, 16);
        if (lstrcmpW(cls, L"#32768") == 0 && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        PopupMenuDriver* self = current_;
        if (!self || !self->timer_) return;
        HWND menu_window = find_menu_window();
        if (menu_window) {
            KillTimer(nullptr, self->timer_);
            self->timer_ = 0;
            self->opened_ = true;
            HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
            self->act_(menu_window, menu);
        } else if (GetTickCount() - self->start_ > self->limit_) {
            KillTimer(nullptr, self->timer_);
            self->timer_ = 0;
        }
    }
    static inline PopupMenuDriver* current_ = nullptr;
    Action act_;
    DWORD limit_;
    DWORD start_ = 0;
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
