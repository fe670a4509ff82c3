// Starts a program with an exact command line, which a Unix shell and Wine's
// own argument quoting cannot give (doubled quotes, single quotes, tabs):
//
//   CLIPNOOK_E2E_CMDLINE=<whole command line> e2e_launch
//
// Waits for the program and exits with its exit code (255 when it cannot start).
#include <windows.h>

#include <cstdio>
#include <vector>

int main() {
    DWORD n = GetEnvironmentVariableW(L"CLIPNOOK_E2E_CMDLINE", nullptr, 0);
    if (n == 0) {
        std::fprintf(stderr, "e2e_launch: CLIPNOOK_E2E_CMDLINE is not set\n");
        return 255;
    }
    std::vector<wchar_t> line(n + 1);
    GetEnvironmentVariableW(L"CLIPNOOK_E2E_CMDLINE", line.data(), n + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "e2e_launch: CreateProcess failed (%lu)\n", GetLastError());
        return 255;
    }
    std::printf("started %lu\n", pi.dwProcessId);
    std::fflush(stdout);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 255;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
