// The shell verb's command line and the error box text.
#include "shell/shell_core.h"

#include <cstring>
#include <cwchar>
#include <gtest/gtest.h>
#include <string>

TEST(ShellCommandLine, PathQuotedAsOneArgumentThenQuotedPlaceholder) {
    wchar_t out[300];
    ASSERT_TRUE(shell_format_command_line(L"C:\\Program Files\\My Tools\\clipnook.exe", out, 300));
    EXPECT_STREQ(out, L"\"C:\\Program Files\\My Tools\\clipnook.exe\" \"%1\"");
    ASSERT_TRUE(shell_format_command_line(L"C:\\a.exe", out, 300));
    EXPECT_STREQ(out, L"\"C:\\a.exe\" \"%1\"");
}

TEST(ShellCommandLine, RefusesToCutThePath) {
    // "\"" + 5 + "\" \"%1\"" = 12 characters and the terminator.
    wchar_t out[13];
    ASSERT_TRUE(shell_format_command_line(L"a.exe", out, 13));
    EXPECT_EQ(std::wcslen(out), 12u);
    wchar_t small[12];
    small[0] = L'x';
    EXPECT_FALSE(shell_format_command_line(L"a.exe", small, 12));
    EXPECT_EQ(small[0], L'\0');
    // A path of 259 characters (the longest the module name call gives) fits 300.
    std::wstring longest(259, L'p');
    wchar_t big[300];
    EXPECT_TRUE(shell_format_command_line(longest.c_str(), big, 300));
    EXPECT_EQ(std::wcslen(big), 259u + 7u);
    EXPECT_FALSE(shell_format_command_line(nullptr, big, 300));
}

TEST(ShellErrorText, CodeSystemTextAndAdministratorHint) {
    char out[512];
    int n = shell_format_error(5, "Access denied.\r\n", out, sizeof out);
    EXPECT_STREQ(out,
                 "Error (5): Access denied.\r\n\nRun the application as administrator\n"
                 "to 'add to' or 'remove from' the context menu.");
    EXPECT_EQ(n, static_cast<int>(std::strlen(out)));
    // No system text: the code still stands, followed by an empty text.
    shell_format_error(1021, "", out, sizeof out);
    EXPECT_EQ(std::string(out).rfind("Error (1021): \nRun the application", 0), 0u);
    shell_format_error(-2, nullptr, out, sizeof out);
    EXPECT_EQ(std::string(out).rfind("Error (-2): \n", 0), 0u);
    // A small buffer gets a terminated cut text.
    char tiny[8];
    EXPECT_EQ(shell_format_error(5, "x", tiny, sizeof tiny), 7);
    EXPECT_STREQ(tiny, "Error (");
}
