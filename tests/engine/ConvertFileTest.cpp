// SPDX-License-Identifier: GPL-3.0-or-later
// Converting real files: the output appears whole or not at all, and every failure is one named error.
#include "Conversion.h"
#include "EngineError.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace brantlewick {
namespace {

using testing::TempDir;

TEST(ConvertFileTest, FailuresLeaveNoOutputAndNameTheFile) {
    TempDir dir;
    testing::WriteBytes(dir / "in.txt", "Hi.");
    ::mkdir((dir / "locked").c_str(), 0500);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    // input, output, the file the error names
    std::vector<std::tuple<std::string, std::string, std::string>> failures = {
        {dir / "missing.txt", dir / "out.txt", dir / "missing.txt"},
        {dir.Path(), dir / "out.txt", dir.Path()},
        {dir / "fifo", dir / "out.txt", dir / "fifo"}, // never blocks waiting for a writer
        {"/dev/zero", dir / "out.txt", "/dev/zero"},
        {dir / "in.txt", dir / "no-such-folder/out.txt", dir / "no-such-folder/out.txt"},
        {dir / "in.txt", dir.Path(), dir.Path()}, // the output name is a folder
    };
    if (::geteuid() != 0) { // root writes into read-only folders anyway
        failures.emplace_back(dir / "in.txt", dir / "locked/out.txt", dir / "locked/out.txt");
    }
    for (const auto& [input, output, named] : failures) {
        try {
            ConvertFile(input, output, {});
            ADD_FAILURE() << "no error for " << input << " -> " << output;
        } catch (const EngineError& error) {
            EXPECT_EQ(std::string(error.what()), "\"" + named + "\": " + error.Reason());
            EXPECT_FALSE(error.Reason().empty());
        }
    }
    EXPECT_EQ(testing::ListNames(dir.Path()), "fifo|in.txt|locked");
    EXPECT_EQ(testing::ListNames(dir / "locked"), "");
}

[[noreturn]] void ConvertUnderFileSizeLimit(const std::string& input, const std::string& output) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t{64} * 1024, rlim_t{64} * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
        ConvertFile(input, output, {});
    } catch (const EngineError& error) {
        std::_Exit(std::string(error.what()).starts_with("\"" + output + "\": cannot write") ? 3 : 4);
    }
    std::_Exit(5);
}

// A write that fails half-way (here a file-size limit standing in for a full disk) must leave neither the
// output nor the temporary file behind.
TEST(ConvertFileTest, WriteFailureHalfWayLeavesNoPartialFile) {
    TempDir dir;
    testing::WriteBytes(dir / "in.txt", std::string(std::size_t{4} * 1024 * 1024, 'x') + ". end");
    testing::WriteBytes(dir / "out.txt", "previous");
    EXPECT_EXIT(ConvertUnderFileSizeLimit(dir / "in.txt", dir / "out.txt"), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(testing::ListNames(dir.Path()), "in.txt|out.txt");
    EXPECT_EQ(testing::ReadBytes(dir / "out.txt"), "previous");
}

} // namespace
} // namespace brantlewick
