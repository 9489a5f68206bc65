// SPDX-License-Identifier: GPL-3.0-or-later
// Converting real files: the output appears whole or not at all, and every failure is one named error.
#include "Conversion.h"
#include "ExactError.h"
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

// The bytes counted are the file's, before decoding and after encoding.
TEST(ConvertFileTest, ReplacesAnOldOutputWholeAndLeavesNothingElse) {
    TempDir dir;
    using namespace std::string_literals;
    for (const auto& [input, expected] : {std::pair{"Hi. Bye! Ok?"s, "Hi.\r\nBye!\r\nOk?\r\n"s},
                                          {""s, ""s},
                                          {"\xFF\xFEH\0i\0.\0"s, "\xFF\xFEH\0i\0.\0\r\0\n\0"s}}) {
        testing::WriteBytes(dir / "in.txt", input);
        testing::WriteBytes(dir / "out.txt", "an older, much longer output that must vanish");
        const ConversionCounts counts = ConvertFile(dir / "in.txt", dir / "out.txt", {});
        EXPECT_EQ(testing::ReadBytes(dir / "out.txt"), expected);
        EXPECT_EQ(counts.bytesIn, input.size());
        EXPECT_EQ(counts.bytesOut, expected.size());
        EXPECT_EQ(testing::ListNames(dir.Path()), "in.txt|out.txt"); // no temporary file left
    }
}

TEST(ConvertFileTest, FailuresLeaveNoOutputAndNameTheFile) {
    TempDir dir;
    testing::WriteBytes(dir / "in.txt", "Hi.");
    ::mkdir((dir / "locked").c_str(), 0500);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::string notRegular = "is not a regular file (a device, FIFO or socket)";
    struct Failure {
        std::string input, output, named, reason; // named: the file the error names
    };
    std::vector<Failure> failures = {
        {dir / "missing.txt", dir / "out.txt", dir / "missing.txt", "cannot open: No such file or directory"},
        {dir.Path(), dir / "out.txt", dir.Path(), "is a folder, not a file"},
        {dir / "fifo", dir / "out.txt", dir / "fifo", notRegular}, // never blocks waiting for a writer
        {"/dev/zero", dir / "out.txt", "/dev/zero", notRegular},
        {dir / "in.txt", dir / "no-such-folder/out.txt", dir / "no-such-folder/out.txt",
         "cannot create the output file: No such file or directory"},
        {dir / "in.txt", dir.Path(), dir.Path(), "cannot replace the output file: Is a directory"},
    };
    if (::geteuid() != 0) { // root writes into read-only folders anyway
        failures.push_back({dir / "in.txt", dir / "locked/out.txt", dir / "locked/out.txt",
                            "cannot create the output file: Permission denied"});
    }
    for (const Failure& failure : failures) {
        EXPECT_ENGINE_ERROR(ConvertFile(failure.input, failure.output, {}), failure.named, failure.reason);
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
    testing::WriteBytes(dir / "in.txt", std::string(std::size_t{4} << 20, 'x') + ". end");
    testing::WriteBytes(dir / "out.txt", "previous");
    EXPECT_EXIT(ConvertUnderFileSizeLimit(dir / "in.txt", dir / "out.txt"), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(testing::ListNames(dir.Path()), "in.txt|out.txt");
    EXPECT_EQ(testing::ReadBytes(dir / "out.txt"), "previous");
}

} // namespace
} // namespace brantlewick
