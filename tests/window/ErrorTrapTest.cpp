// The error trap: the report's exact text, the line it names, and where execution goes on.
#include "ErrorTrap.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace brantlewick {
namespace {

class RecordingReporter : public ErrorReporter {
public:
    void ShowErrorReport(const std::string& text) override { reports.push_back(text); }
    std::vector<std::string> reports;
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
    EXPECT_EQ(ErrorReportText("", location::kGetSubDirectories2016, 100),
              "\r\nin Tovarquin2021/08/31.AddFolder.GetSubDirectories2016 at line 100\r\rPlease email "
              "screenshot of "
              "this message to support@brantlewick.example");
}

TEST(ErrorTrapTest, AFailureOnTheFirstLineReports100AndGoesOn) {
    RecordingReporter reporter;
    std::vector<int> ran;
    ErrorTrap trap(reporter, location::kFormLoad);
    EXPECT_FALSE(trap.Line(100, [&] { throw std::runtime_error("Bad file name"); }));
    EXPECT_TRUE(trap.Line(102, [&] { ran.push_back(102); }));
    EXPECT_EQ(
        reporter.reports,
        (std::vector<std::string>{Report("Bad file name", "in Moravelle2021/08/31.Form1.Form_Load ", 100)}));
    EXPECT_EQ(ran, (std::vector<int>{102}));
}

TEST(ErrorTrapTest, AFailingHelperIsReportedWithTheCallersLineAndStops) {
    RecordingReporter reporter;
    std::vector<std::string> ran;
    const auto helper = [&] {
        ran.push_back("helper start");
        throw std::invalid_argument("Invalid argument");
        ran.push_back("helper rest");
    };
    ErrorTrap trap(reporter, location::kPushButton5Click);
    trap.Line(100, [&] { ran.push_back("100"); });
    trap.Line(102, [&] { ran.push_back("102"); });
    trap.Line(104, [&] {
        helper();
        ran.push_back("104 after the call");
    });
    trap.Line(106, [&] { ran.push_back("106"); });
    EXPECT_EQ(ran, (std::vector<std::string>{"100", "102", "helper start", "106"}));
    EXPECT_EQ(reporter.reports,
              (std::vector<std::string>{
                  Report("Invalid argument", "in Moravelle2021/08/31.Form1.PushButton5_Click ", 104)}));
}

TEST(ErrorTrapTest, ALoopReportsOncePerFailingPassAndGoesOn) {
    RecordingReporter reporter;
    std::vector<int> converted;
    ErrorTrap trap(reporter, location::kPushButton2Click);
    for (int file = 1; file <= 4; ++file) {
        trap.Line(110, [&] {
            if (file % 2 == 1) {
                throw std::runtime_error("File " + std::to_string(file) + " not found");
            }
            converted.push_back(file);
        });
    }
    trap.Line(112, [&] { converted.push_back(0); });
    EXPECT_EQ(converted, (std::vector<int>{2, 4, 0}));
    const std::string where = "in Moravelle2021/08/31.Form1.PushButton2_Click ";
    EXPECT_EQ(reporter.reports, (std::vector<std::string>{Report("File 1 not found", where, 110),
                                                          Report("File 3 not found", where, 110)}));
}

TEST(ErrorTrapTest, AFailedLineLeavesTheValueItWasMeantFor) {
    RecordingReporter reporter;
    ErrorTrap trap(reporter, location::kPushButton9Click);
    std::string text = "before";
    text = trap.Line(100, [&]() -> std::string { throw std::runtime_error("Out of memory"); }).value_or(text);
    EXPECT_EQ(text, "before");
    text = trap.Line(102, [] { return std::string("typed"); }).value_or(text);
    EXPECT_EQ(text, "typed");
    EXPECT_EQ(reporter.reports.size(), 1u);
}

TEST(ErrorTrapTest, AnInnerTrapHandlesItsOwnFailureAndTheCallerGoesOn) {
    RecordingReporter reporter;
    std::vector<std::string> ran;
    const auto convertOneFile = [&] {
        ErrorTrap inner(reporter, location::kInsertEnterInFile);
        inner.Line(100, [&] { ran.push_back("inner 100"); });
        inner.Line(102, [&] { throw std::runtime_error("Permission denied"); });
        inner.Line(104, [&] { ran.push_back("inner 104"); });
    };
    ErrorTrap outer(reporter, location::kPushButton2Click);
    outer.Line(100, [&] {
        convertOneFile();
        ran.push_back("outer 100 after the call");
    });
    EXPECT_EQ(ran, (std::vector<std::string>{"inner 100", "inner 104", "outer 100 after the call"}));
    EXPECT_EQ(reporter.reports,
              (std::vector<std::string>{
                  Report("Permission denied", "in Moravelle2021/08/31.AddRemove.InsertEnterInFile ", 102)}));
}

TEST(ErrorTrapTest, AFailureThatIsNoStandardExceptionStillReports) {
    RecordingReporter reporter;
    ErrorTrap trap(reporter, location::kPushButton12Click);
    trap.Line(100, [] { throw 42; });
    EXPECT_EQ(reporter.reports,
              (std::vector<std::string>{
                  Report("Unexpected error", "in Moravelle2021/08/31.Form1.PushButton12_Click ", 100)}));
}

TEST(ErrorTrapTest, WithoutATrapAFailureIsDroppedSilently) {
    bool after = false;
    WithoutTrap([] { throw std::runtime_error("ignored"); });
    WithoutTrap([&] { after = true; });
    EXPECT_TRUE(after);
}

} // namespace
} // namespace brantlewick
