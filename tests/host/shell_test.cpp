// The shell verb's command line and the error box text.
#include "shell/shell_core.h"

#include <gtest/gtest.h>

TEST(Shell, CommandLineAndErrorTextWholeOrCutToFit) {
    const struct { const wchar_t* path; std::size_t cap; const wchar_t* want; } lines[] = {
        {L"C:\\Program Files\\clipnook.exe", 300, L"\"C:\\Program Files\\clipnook.exe\" \"%1\""},
        {L"a.exe", 13, L"\"a.exe\" \"%1\""}, {L"a.exe", 12, nullptr}, {L"a.exe", 3, nullptr}, {nullptr, 300, nullptr},
    };
    for (const auto& c : lines) {
        wchar_t out[301];
        wmemset(out, L'x', 301);
        EXPECT_EQ(shell_format_command_line(c.path, out, c.cap), c.want != nullptr) << c.cap;
        EXPECT_TRUE(!wcscmp(out, c.want ? c.want : L"") && out[c.cap] == L'x') << c.cap;  // nothing past the end
    }
    const std::string hint = "\nRun the application as administrator\nto 'add to' or 'remove from' the context menu.";
    const std::string full = "Error (5): Access denied.\r\n" + hint;
    const struct { const char* system; std::size_t cap; std::string want; } texts[] = {
        {"Access denied.\r\n", 512, full}, {"Access denied.\r\n", full.size(), full.substr(0, full.size() - 1)},
        {"Access denied.\r\n", 8, "Error ("}, {nullptr, 512, "Error (5): " + hint},
    };
    for (const auto& c : texts) {
        char out[512];
        EXPECT_EQ(shell_format_error(5, c.system, out, c.cap), static_cast<int>(c.want.size()));
        EXPECT_EQ(std::string(out), c.want);
    }
}
