// brantlewick-cli: argument parsing, and whole runs on real files through the library and the executable.
#include "CommandLine.h"
#include "TempDir.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <sstream>

namespace brantlewick::cli {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(CommandLineTest, ParsesOptionsInEveryFormAndRefusesBadOnesWithAReason) {
    const auto parsed = ParseArguments(
        {"-n", "2", "--char", "...", "-c", "!", "--output-dir=/out", "-v", "a.txt", "-", "--", "-odd.txt"});
    ASSERT_TRUE(std::holds_alternative<Options>(parsed));
    const Options& options = std::get<Options>(parsed);
    EXPECT_EQ(options.entersText + options.outputFolder.value_or("-") + std::to_string(options.verbose),
              "2/out1");
    EXPECT_EQ(options.entries, (std::vector<std::string>{"...", "!"}));
    EXPECT_EQ(options.paths, (std::vector<std::string>{"a.txt", "-", "-odd.txt"}));
    EXPECT_EQ(std::get<Options>(ParseArguments({"x"})).entries, (std::vector<std::string>{".", "!", "?"}));
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{},
                                               {"-n"},
                                               {"--bogus", "a"},
                                               {"-c", "", "a"},
                                               {"-o", "/x", "--beside", "a"},
                                               {"-o", "", "a"},
                                               {"-q", "-v", "a"}}) {
        const auto refused = ParseArguments(bad);
        ASSERT_TRUE(std::holds_alternative<UsageError>(refused)) << ::testing::PrintToString(bad);
        EXPECT_FALSE(std::get<UsageError>(refused).message.empty());
    }
}

struct RunResult {
    int status;
    std::string errors;
};

RunResult RunWith(const std::vector<std::string>& arguments, bool terminal = false) {
    std::ostringstream errors;
    const Streams streams{0, 1, errors, terminal};
    return {Run(std::get<Options>(ParseArguments(arguments)), streams), errors.str()};
}

// Two inputs of one name into one folder: the second result used to replace the first, unannounced. Now
// each keeps its own, and --verbose says where each went; a quiet run stays quiet.
TEST(CommandLineTest, VerboseSaysWhereEachResultWentAndNoneIsLost) {
    TempDir dir;
    for (const char* folder : {"a", "b", "out"}) {
        ::mkdir((dir / folder).c_str(), 0700);
    }
    WriteBytes(dir / "a/x.txt", "A. a");
    WriteBytes(dir / "b/x.txt", "B. b");
    const RunResult verbose = RunWith({"--verbose", "-o", dir / "out", dir / "a/x.txt", dir / "b/x.txt"});
    EXPECT_EQ(verbose.status, kAllConverted);
    EXPECT_EQ(verbose.errors, (dir / "a/x.txt") + " -> " + (dir / "out/x.txt") + "\n" + (dir / "b/x.txt") +
                                  " -> " + (dir / "out/x-Pellnor.txt") + "\n");
    EXPECT_EQ(ReadBytes(dir / "out/x.txt") + ReadBytes(dir / "out/x-Pellnor.txt"), "A.\r\naB.\r\nb");
    const RunResult quiet = RunWith({"-n", "2", "-c", "a", dir / "a/x.txt"});
    EXPECT_EQ(quiet.status + quiet.errors.size(), 0u);
    EXPECT_EQ(ReadBytes(dir / "a/x-Pellnor.txt"), "a\r\n\r\n. a\r\n\r\n"); // the entry as spelled
}

// A folder argument stands for its files, collected as a folder dropped on the window is, in its place;
// on a terminal each file is shown with its result. Failures are one line each and the batch goes on.
TEST(CommandLineTest, FolderArgumentsAreReplacedByTheirFilesAndFailuresAreOneLineEach) {
    TempDir dir;
    for (const char* folder : {"docs", "docs/sub", "empty", "out"}) {
        ::mkdir((dir / folder).c_str(), 0755);
    }
    for (const char* file :
         {"first.txt", "docs/b.txt", "docs/A.md", "docs/~lock.txt", "docs/.hidden", "docs/sub/c"}) {
        WriteBytes(dir / file, "1. 2");
    }
    WriteBytes(dir / "image.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR. ", 18));
    const std::string out = dir / "out";
    const RunResult result = RunWith(
        {"-o", out, dir / "first.txt", dir / "docs/", dir / "missing.txt", dir / "image.png", dir / "empty"},
        true);
    EXPECT_EQ(result.status, kSomeFailed);
    EXPECT_EQ(
        result.errors,
        "brantlewick-cli: " + (dir / "empty") + ": no files in this folder\n" + "[1/6] " +
            (dir / "first.txt") + " -> " + out + "/first.txt\n" + "[2/6] " + (dir / "docs/A.md") + " -> " +
            out + "/A.md\n" + "[3/6] " + (dir / "docs/b.txt") + " -> " + out + "/b.txt\n" + "[4/6] " +
            (dir / "docs/sub/c") + " -> " + out + "/c\n" + "[5/6] " + (dir / "missing.txt") + " -> " + out +
            "/missing.txt\n" + "brantlewick-cli: " + (dir / "missing.txt") +
            ": cannot open: No such file or directory\n" + "[6/6] " + (dir / "image.png") + " -> " + out +
            "/image.png\n" + "brantlewick-cli: " + (dir / "image.png") +
            ": not a text file: it holds NUL bytes (a UTF-16 or UTF-32 text needs its byte-order mark); "
            "not converted\n");
    EXPECT_EQ(testing::ListNames(out), "A.md|b.txt|c|first.txt");
    // Beside the inputs, a result is never taken for an input of the same batch.
    EXPECT_EQ(RunWith({dir / "docs"}).status, kAllConverted);
    EXPECT_EQ(testing::ListNames(dir / "docs"),
              ".hidden|A-Pellnor.md|A.md|b-Pellnor.txt|b.txt|sub|~lock.txt");
    ::chmod(dir.Path().c_str(), 0755);
    ::mkdir((dir / "locked").c_str(), 0);
    const auto locked = testing::RunAsOrdinaryUser([&] {
        const RunResult run = RunWith({dir / "locked"});
        return std::to_string(run.status) + " " + run.errors;
    });
    EXPECT_EQ(locked.value_or("1 brantlewick-cli: " + (dir / "locked") +
                              ": cannot list the folder: Permission denied\n"),
              "1 brantlewick-cli: " + (dir / "locked") + ": cannot list the folder: Permission denied\n");
}

// Usage problems stop before anything is written; the real executable filters standard input.
TEST(CommandLineTest, UsageProblemsStopBeforeAnythingIsWrittenAndStandardInputIsFiltered) {
    TempDir dir;
    WriteBytes(dir / "a.txt", "A. B");
    EXPECT_EQ(RunWith({"-n", "40000", dir / "a.txt"}).status, kUsageProblem);
    EXPECT_EQ(RunWith({"-o", dir / "missing", dir / "a.txt"}).status, kUsageProblem);
    EXPECT_EQ(testing::ListNames(dir.Path()), "a.txt");
    const std::string program = std::string(BRANTLEWICK_PROGRAM_DIR) + "/brantlewick-cli";
    const std::string command = "printf 'Hi. Bye! Ok?' | '" + program + "' -n 2 - > '" + (dir / "out") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadBytes(dir / "out"), "Hi.\r\n\r\nBye!\r\n\r\nOk?\r\n\r\n");
    // UTF-16 on standard input comes out in UTF-16.
    ASSERT_EQ(
        std::system(
            ("printf '\\377\\376H\\0.\\0 \\0B\\0' | '" + program + "' - > '" + (dir / "out") + "'").c_str()),
        0);
    EXPECT_EQ(ReadBytes(dir / "out"), std::string("\xFF\xFEH\0.\0\r\0\n\0B\0", 12));
    EXPECT_EQ(WEXITSTATUS(std::system(("'" + program + "' --bogus 2>/dev/null").c_str())), kUsageProblem);
}

} // namespace
} // namespace brantlewick::cli
