// log_message as the program's runtime writes it: standard output is pointed
// at a temporary file, the records are read back byte for byte (text mode
// turns the newline into CR LF), and the prefix is checked field by field.
#include "base/log.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::wstring temp_path(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

std::string read_file(const std::wstring& path) {
    std::string out;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

// Runs `body` with standard output sent to a fresh file; returns what it wrote.
template <class F>
std::string capture_stdout(F body) {
    const std::wstring path = temp_path(L"clipnook_log_test.txt");
    std::fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    EXPECT_NE(saved, -1);
    EXPECT_TRUE(_wfreopen(path.c_str(), L"w", stdout));
    body();
    std::fflush(stdout);
    _dup2(saved, _fileno(stdout));  // back to the test's own output
    _close(saved);
    std::string text = read_file(path);
    _wremove(path.c_str());
    return text;
}

std::vector<std::string> split_crlf(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at) + "<no CR LF>");
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

struct Record {
    unsigned long tick = 0;
    std::string rest;  // everything after "<tick> "
};

// Splits off the tick count; fails the test when the line does not start with digits and a blank.
Record parse(const std::string& line) {
    Record r;
    size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    EXPECT_GT(digits, 0u) << line;
    EXPECT_LT(digits, line.size()) << line;
    if (digits == 0 || digits >= line.size()) return r;
    EXPECT_EQ(line[digits], ' ') << line;
    r.tick = std::strtoul(line.substr(0, digits).c_str(), nullptr, 10);
    r.rest = line.substr(digits + 1);
    return r;
}

}  // namespace

TEST(LogMessage, LevelLettersAndTickCount) {
    DWORD before = 0, after = 0;
    std::string text = capture_stdout([&] {
        before = GetTickCount();
        for (unsigned level = 0; level < 8; ++level) log_message(level, "Main", "level %u", level);
        after = GetTickCount();
    });
    std::vector<std::string> lines = split_crlf(text);
    ASSERT_EQ(lines.size(), 8u) << text;
    const char letters[] = " IWEF???";
    for (unsigned level = 0; level < 8; ++level) {
        Record r = parse(lines[level]);
        EXPECT_GE(r.tick, before);
        EXPECT_LE(r.tick, after);
        EXPECT_EQ(r.rest, std::string(1, letters[level]) + " Main            level " + std::to_string(level))
            << "level " << level;
    }
    // Level 0: a blank for the letter, so the tag follows three blanks after the tick.
    EXPECT_NE(lines[0].find("   Main"), std::string::npos);
}

TEST(LogMessage, TagsArePaddedTo15AndNeverCut) {
    const std::string long_tag(200, 'T');  // longer than any prefix buffer kept on the stack
    std::string text = capture_stdout([&] {
        log_message(1, "Main", "four");
        log_message(1, "ABCDEFGHIJKLMNOPQRST", "twenty");
        log_message(0, "ABCDEFGHIJKLMNO", "fifteen");
        log_message(0, "", "empty tag");
        log_message(0, long_tag.c_str(), "long");
    });
    std::vector<std::string> lines = split_crlf(text);
    ASSERT_EQ(lines.size(), 5u) << text;
    EXPECT_EQ(parse(lines[0]).rest, "I Main" + std::string(11, ' ') + " four");
    EXPECT_EQ(parse(lines[1]).rest, "I ABCDEFGHIJKLMNOPQRST twenty");
    EXPECT_EQ(parse(lines[2]).rest, "  ABCDEFGHIJKLMNO fifteen");
    EXPECT_EQ(parse(lines[3]).rest, "  " + std::string(15, ' ') + " empty tag");
    EXPECT_EQ(parse(lines[4]).rest, "  " + long_tag + " long");
}

TEST(LogMessage, NullAndEmptyFormatsWriteAnEmptyLine) {
    std::string text = capture_stdout([] {
        log_message(1, "Main", nullptr);
        log_message(1, "Main", "%s", "");  // an empty message still has its prefix
        const char* empty = "";  // a literal "" would draw the format warning
        log_message(3, "Main", empty);
    });
    std::vector<std::string> lines = split_crlf(text);
    ASSERT_EQ(lines.size(), 3u) << text;
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(parse(lines[1]).rest, "I Main            ");
    EXPECT_EQ(lines[2], "");
}

TEST(LogMessage, ArgumentsWideStringsAndTrailingNewlines) {
    std::string text = capture_stdout([] {
        log_message(0, "Main", "arg[ %d] '%ls'", 3, L"C:\\a b\\c.txt");
        log_message(1, "Main", "Instance started at %s", "Sun Dec  6 07:30:22 2026\n");
        log_message(0, "UIDrop", "100%% %c", 'x');
    });
    std::vector<std::string> lines = split_crlf(text);
    ASSERT_EQ(lines.size(), 4u) << text;
    EXPECT_EQ(parse(lines[0]).rest, "  Main            arg[ 3] 'C:\\a b\\c.txt'");
    EXPECT_EQ(parse(lines[1]).rest, "I Main            Instance started at Sun Dec  6 07:30:22 2026");
    EXPECT_EQ(lines[2], "");  // the argument's own newline leaves an empty line
    EXPECT_EQ(parse(lines[3]).rest, "  UIDrop          100% x");
}

TEST(LogOpen, ConsoleMarkerWithoutANewConsoleLogsNothing) {
    // The test program already has a console (or gets one here), so the ".con"
    // marker cannot create one: no log at all, and the ".log" marker beside it
    // is not even looked at.
    AllocConsole();
    wchar_t exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    std::wstring base(exe);
    base = base.substr(0, base.rfind(L'.'));
    const std::wstring con = base + L".con", log = base + L".log";
    FILE* c = _wfopen(con.c_str(), L"w");
    FILE* l = _wfopen(log.c_str(), L"w");
    ASSERT_TRUE(c && l);
    std::fputs("marker\n", l);
    std::fclose(c);
    std::fclose(l);
    int result = log_open(GetModuleHandleW(nullptr));
    std::string after = read_file(log);
    _wremove(con.c_str());
    _wremove(log.c_str());
    EXPECT_EQ(result, -1);
    EXPECT_EQ(after, "marker\r\n");
}
