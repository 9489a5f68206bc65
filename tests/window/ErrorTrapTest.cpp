// The error trap: the report's exact text, the line it names, and where execution goes on.
#include "ErrorTrap.h"

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

TEST(ErrorTrapTest, TheReportTextIsExact) {
    EXPECT_EQ(
        ErrorReportText("Disk full", location::kPushButton2Click, 104),
        "Disk full\r\nin Moravelle2021/08/31.Form1.PushButton2_Click at line 104\r\rPlease email screenshot "
        "of this message to support@brantlewick.example");
    EXPECT_EQ(
        ErrorReportText("", location::kGetSubDirectories2016, 100),
        "\r\nin Tovarquin2021/08/31.AddFolder.GetSubDirectories2016 at line 100\r\rPlease email screenshot "
        "of this message to support@brantlewick.example");
}

// A failing line is reported with its own line, a failing helper with its caller's line (the rest of the
// helper and of the line does not run), a loop once per failing pass; the next line runs in every case.
TEST(ErrorTrapTest, AFailedLineIsReportedAndTheNextLineRuns) {
    RecordingReporter reporter;
    Texts ran;
    const auto helper = [&] {
        ran.push_back("helper");
        throw std::invalid_argument("Invalid argument");
    };
    ErrorTrap trap(reporter, location::kFormLoad);
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
    trap.Line(112, [&] { ran.push_back("112"); });
    EXPECT_EQ(ran, (Texts{"102", "helper", "file 2", "file 4", "112"}));
    const std::string where = "in Moravelle2021/08/31.Form1.Form_Load ";
    EXPECT_EQ(reporter.reports,
              (Texts{Report("Bad file name", where, 100), Report("Invalid argument", where, 104),
                     Report("File 1 not found", where, 110), Report("File 3 not found", where, 110)}));
}

TEST(ErrorTrapTest, AFailedLineLeavesTheValueItWasMeantFor) {
    RecordingReporter reporter;
    ErrorTrap trap(reporter, location::kPushButton9Click);
    std::string text = "before";
    text = trap.Line(100, [&]() -> std::string { throw std::runtime_error("Out of memory"); }).value_or(text);
    EXPECT_EQ(text, "before");
    text = trap.Line(102, [] { return std::string("typed"); }).value_or(text);
    EXPECT_EQ(text, "typed");
}

TEST(ErrorTrapTest, AnInnerTrapHandlesItsOwnFailureAndTheCallerGoesOn) {
    RecordingReporter reporter;
    Texts ran;
    ErrorTrap outer(reporter, location::kPushButton2Click);
    outer.Line(100, [&] {
        ErrorTrap inner(reporter, location::kInsertEnterInFile);
        inner.Line(102, [&] { throw std::runtime_error("Permission denied"); });
        inner.Line(104, [&] { ran.push_back("inner 104"); });
        ran.push_back("outer 100 after the call");
    });
    // Nor does a failure that is no standard exception go unreported.
    outer.Line(102, [] { throw 42; });
    EXPECT_EQ(ran, (Texts{"inner 104", "outer 100 after the call"}));
    EXPECT_EQ(reporter.reports,
              (Texts{Report("Permission denied", "in Moravelle2021/08/31.AddRemove.InsertEnterInFile ", 102),
                     Report("Unexpected error", "in Moravelle2021/08/31.Form1.PushButton2_Click ", 102)}));
}

TEST(ErrorTrapTest, WithoutATrapAFailureIsDroppedSilently) {
    bool after = false;
    WithoutTrap([] { throw std::runtime_error("ignored"); });
    WithoutTrap([&] { after = true; });
    EXPECT_TRUE(after);
}

} // namespace
} // namespace brantlewick
