// Start-up in its fixed order, the message loop, and the class tear-down.
#include "app/startup.h"
#include "app/cmdline_core.h"
#include "app/capture.h"
#include "app/commands.h"
#include "app/main_state.h"
#include "app/status_bar.h"
#include "app/resource_ids.h"
#include "base/log.h"
#include "entries/entries.h"
#include "hexdump/uihexdump.h"
#include "snapshot/snapshot.h"
#include "splitter/splitter.h"

#include <commctrl.h>
#include <ctime>

namespace {

void write_banner() {
    log_message(1, "Main", "==================================================");
    std::time_t now = std::time(nullptr);
    const char* text = std::ctime(&now);
    log_message(1, "Main", "Instance started at %s", text ? text : "");
}

// Command-line files become entries; returns how many were handed on. Of the
// switches only /watch means something; the others are logged and skipped.
int add_command_line_files(HWND window, bool* watch) {
    wchar_t token[260];
    const wchar_t* rest = next_token(GetCommandLineW(), token, 260);
    log_message(0, "Main", "arg[ %d] '%ls'", 0, token);

    log_message(1, "Main", "Clear the view");
    entry_table_clear(&main_state(window)->entries);
    main_set_title(window, nullptr);

    int added = 0;
    for (int n = 1; rest && (rest = next_token(rest, token, 260)) != nullptr; ++n) {
        log_message(0, "Main", "arg[ %d] '%ls'", n, token);
        if (token[0] == L'-' || token[0] == L'/') {
            *watch = *watch || !lstrcmpiW(token + 1, L"watch");
            continue;
        }
        wchar_t why[kSnapshotWhyCapacity];
        SnapshotOpen opened = snapshot_open(&main_state(window)->entries, token, why);
        if (opened == SnapshotOpen::Refused) MessageBoxW(window, why, L"Clipnook", MB_OK | MB_ICONERROR);
        if (opened == SnapshotOpen::NotSnapshot) entry_add_file(&main_state(window)->entries, token);
        ++added;
    }
    return added;
}

// `/save FILE` and `/restore FILE` do their work without a window: true, with
// the exit code, when the command line asks for one of them.
bool run_snapshot_switch(int* code) {
    wchar_t token[260], file[260];
    const wchar_t* rest = next_token(GetCommandLineW(), token, 260);
    while (rest && (rest = next_token(rest, token, 260)) != nullptr) {
        bool save = !lstrcmpiW(token, L"/save"), restore = !lstrcmpiW(token, L"/restore");
        if (!save && !restore) continue;
        if (!next_token(rest, file, 260)) return false;  // without a file it is skipped like any other switch
        log_message(1, "Main", save ? "Save the clipboard as the snapshot %ls" : "Restore the snapshot %ls", file);
        *code = save ? snapshot_run_save(file) : snapshot_run_restore(file);
        return true;
    }
    return false;
}

// A failed GetMessage (-1) leaves the message unfilled: only WM_QUIT carries an exit code.
int run_message_loop(HWND window, HACCEL accelerators) {
    MSG msg{};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        if (accelerators && TranslateAcceleratorA(window, accelerators, &msg)) continue;
        if (IsDialogMessageA(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return got < 0 ? 1 : static_cast<int>(msg.wParam);
}

// A portable program is often started from a download folder, where anyone may
// have left a DLL named like one the system loads later by name; from now on
// only the system directory is searched.
void harden_dll_search() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int main_run(HINSTANCE instance, int show) {
    harden_dll_search();
    g_instance = instance;
    if (log_open(instance) == 0) write_banner();

    InitCommonControls();
    if (int code = 0; run_snapshot_switch(&code)) return code;
    splitter_register_class(instance);
    uihexdump_register(instance);
    main_register_formats();

    if (!main_register_class(instance)) return 1;
    HWND window = main_create_window(instance);
    if (!window) return 1;
    main_size_to_hexdump(window);

    bool watch = false;
    const int files = add_command_line_files(window, &watch);

    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_MAIN));
    ShowWindow(window, show);
    g_main_window = window;
    // Shown first: the clipboard's owner may take its time, the window does not wait for it.
    if (watch) main_set_watching(main_state(window), true);
    if (files == 0)
        main_on_clipboard(window);
    else
        main_status_capture(main_state(window), L"files", 0);

    int code = run_message_loop(window, accelerators);
    uihexdump_unregister(instance);
    splitter_unregister_class(instance);
    return code;
}
