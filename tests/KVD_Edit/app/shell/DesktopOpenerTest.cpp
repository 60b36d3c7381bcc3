#include "KVD_Edit/app/shell/DesktopOpener.h"

#include <gtest/gtest.h>

#include <string>

// What the opener printed becomes one line of the diagnostic log, whose records are one line
// each and which is read back line by line at the next start.
TEST(DesktopOpener, OutputBecomesOneLogLine) {
    const struct {
        const char *name;
        std::string output;
        std::string line;
    } rows[] = {
        {"nothing", "", ""},
        {"blank lines only", "\n \r\n\n", ""},
        {"one line", "xdg-open: no method available for opening 'x'\n",
         "xdg-open: no method available for opening 'x'"},
        {"lines joined, blank ones dropped",
         "x-www-browser: not found\n\nfirefox: not found  \nlynx: not found",
         "x-www-browser: not found | firefox: not found | lynx: not found"},
        {"line ends of Windows", "a\r\nb\r\n", "a | b"},
        {"control characters blanked", std::string("a\tb\x1b[0m\x7f") + "c", "a b [0m c"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string line = CDesktopOpener::LogLine(row.output);
        EXPECT_EQ(row.line, line);
        EXPECT_EQ(std::string::npos, line.find('\n'));
    }
}

TEST(DesktopOpener, FloodedOutputIsCut) {
    const std::string flood(3 * CDesktopOpener::kLogTextMax, 'x');
    const std::string line = CDesktopOpener::LogLine(flood);
    EXPECT_EQ(CDesktopOpener::kLogTextMax + 3, line.size());
    EXPECT_EQ("...", line.substr(line.size() - 3));
}
