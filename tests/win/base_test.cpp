// The log through the program's real runtime stream.
#include "win_test.h"

#include "base/log.h"

#include <sstream>

TEST(Log, RecordsCarryTheTickALetterThePaddedTagAndTheMessage) {
    StdoutCapture out;
    const DWORD before = GetTickCount();
    for (unsigned level : {0u, 1u, 3u, 9u}) log_message(level, "Main", "level %u", level);
    log_message(0, "ABCDEFGHIJKLMNOPQRST", "%ls '%s' 100%%", L"C:\\a b", "x");  // a long tag is never cut
    log_message(1, "Main", "Instance started at %s", "Sun Dec  6 07:30:22 2026\n");
    log_message(3, "Main", nullptr);
    log_message(0, std::string(200, 'T').c_str(), "%s", "");  // a tag longer than the prefix buffer
    const DWORD after = GetTickCount();
    EXPECT_EQ(out.records(), (std::vector<std::string>{"  Main            level 0", "I Main            level 1",
        "E Main            level 3", "? Main            level 9", "  ABCDEFGHIJKLMNOPQRST C:\\a b 'x' 100%",
        "I Main            Instance started at Sun Dec  6 07:30:22 2026", "", "", "  " + std::string(200, 'T') + " "}));
    std::istringstream lines(out.raw());
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(line.empty() || (std::stoul(line) >= before && std::stoul(line) <= after)) << line;
}
