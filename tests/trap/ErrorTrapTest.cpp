// SPDX-License-Identifier: GPL-3.0-or-later
// The error trap: the report's exact text, the line it names, and where execution goes on.
#include "brantlewick/trap/ErrorTrap.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace brantlewick {
namespace {

using Texts = std::vector<std::string>;

class RecordingReporter : public ErrorReporter {
public:
    void ShowErrorReport(const std::string& text) override { reports.push_back(text); }
    Texts reports;
};

std::string Report(const std::string& description, const std::string& location, int line) {
    return description + "\r\n" + location + "at line " + std::to_string(line) +
           "\r\rPlease email screenshot of this message to support@brantlewick.example";
}

// A failing line is reported with its own line, a failing helper with its caller's line (the rest of the
// helper and of the line does not run), a loop once per failing pass; the next line runs in every case. A
// trap inside a helper handles its own failures, and what is no standard exception is reported too.
TEST(ErrorTrapTest, AFailedLineIsReportedAndTheNextLineRuns) {
    RecordingReporter reporter;
    Texts ran;
    const auto helper = [&] {
        ran.push_back("helper");
        throw std::invalid_argument("Invalid argument");
    };
    const std::string where = "in Outer ";
    ErrorTrap trap(reporter, where);
    EXPECT_FALSE(trap.Line(100, [] { throw std::runtime_error("Bad file name"); }));
    EXPECT_TRUE(trap.Line(102, [&] { ran.push_back("102"); }));
    trap.Line(104, [&] {
        helper();
        ran.push_back("104 after the call");
    });
    for (int file = 1; file <= 4; ++file) {
        trap.Line(110, [&] {
            if (file % 2 == 1) {
                throw std::runtime_error("File " + std::to_string(file) + " not found");
            }
            ran.push_back("file " + std::to_string(file));
        });
    }
    trap.Line(112, [&] {
        ErrorTrap inner(reporter, "in Inner ");
        inner.Line(100, [] { throw 42; });
        ran.push_back("112 after the inner trap");
    });
    std::string text = "before";
    text = trap.Line(114, [&]() -> std::string { throw std::runtime_error("Out of memory"); }).value_or(text);
    text = trap.Line(116, [] { return std::string("typed"); }).value_or(text + " kept");
    EXPECT_EQ(ran, (Texts{"102", "helper", "file 2", "file 4", "112 after the inner trap"}));
    EXPECT_EQ(text, "typed");
    EXPECT_EQ(reporter.reports,
              (Texts{Report("Bad file name", where, 100), Report("Invalid argument", where, 104),
                     Report("File 1 not found", where, 110), Report("File 3 not found", where, 110),
                     Report("Unexpected error", "in Inner ", 100), Report("Out of memory", where, 114)}));
}

} // namespace
} // namespace brantlewick
