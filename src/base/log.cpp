// Records go to the runtime's standard output; log_open decides where that is.
#include "base/log.h"
#include "base/log_core.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
FILE* g_log_file = nullptr;  // kept open for the life of the process
}

void log_message(unsigned level, const char* tag, const char* format, ...) {
    if (format && *format) {
        char prefix[96];
        int n = log_format_prefix(prefix, sizeof prefix, GetTickCount(), level, tag);
        if (n >= 0 && static_cast<std::size_t>(n) < sizeof prefix) {
            std::fputs(prefix, stdout);
        } else if (n > 0) {  // a very long tag is written whole, never cut
            std::string big(static_cast<std::size_t>(n) + 1, '\0');
            log_format_prefix(big.data(), big.size(), GetTickCount(), level, tag);
            std::fputs(big.c_str(), stdout);
        }
        va_list args;
        va_start(args, format);
        std::vprintf(format, args);
        va_end(args);
    }
    std::fputc('\n', stdout);
}

// Closing the console window would end the whole program with it. Its Close
// command is removed; where a console host still sends the close event, the
// program lets go of the console, and the log goes nowhere from then on.
static BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_CLOSE_EVENT) return FALSE;
    std::freopen("NUL", "w", stdout);
    FreeConsole();
    return TRUE;
}

static bool open_console(const wchar_t* exe_path) {
    if (!AllocConsole()) return false;
    SetConsoleCtrlHandler(on_console_event, TRUE);
    if (HWND console = GetConsoleWindow()) DeleteMenu(GetSystemMenu(console, FALSE), SC_CLOSE, MF_BYCOMMAND);
    wchar_t name[MAX_PATH];
    lstrcpynW(name, log_file_name(exe_path), MAX_PATH);
    wchar_t* dot = wcsrchr(name, L'.');
    if (dot) *dot = 0;
    wchar_t title[MAX_PATH + 32];
    _snwprintf(title, MAX_PATH + 32, L"'%ls' debug output", name);
    title[MAX_PATH + 31] = 0;
    SetConsoleTitleW(title);

    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(out), _O_TEXT);
    FILE* stream = fd >= 0 ? _fdopen(fd, "w") : nullptr;
    bool bound;
    if (stream && _dup2(_fileno(stream), 1) == 0) {
        // stdout of a GUI process starts unattached; bind it to descriptor 1.
        bound = _fileno(stdout) == 1 || std::freopen("CONOUT$", "w", stdout);
    } else {
        bound = std::freopen("CONOUT$", "w", stdout) != nullptr;
    }
    if (!bound) {
        FreeConsole();  // an empty console window would only puzzle the user
        return false;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    return true;
}

int log_open(void* module) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(static_cast<HMODULE>(module), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return -1;
    wchar_t exe[MAX_PATH];
    lstrcpynW(exe, path, MAX_PATH);

    if (!log_replace_extension(path, MAX_PATH, L".con")) return -1;
    if (FILE* f = _wfopen(path, L"r")) {
        std::fclose(f);
        return open_console(exe) ? 0 : -1;
    }

    if (!log_replace_extension(path, MAX_PATH, L".log")) return -1;
    if (FILE* f = _wfopen(path, L"r")) {
        std::fclose(f);
        g_log_file = _wfreopen(path, L"a+", stdout);
        if (!g_log_file) return -1;
        setvbuf(g_log_file, nullptr, _IONBF, 0);
        return 0;
    }
    return -1;
}
