// brantlewick-cli: argument parsing, and whole runs on real files through the library and the executable.
#include "CommandLine.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

namespace brantlewick::cli {
namespace {

using testing::TempDir;

Options Parse(const std::vector<std::string>& arguments) {
    auto parsed = ParseArguments(arguments);
    if (auto* error = std::get_if<UsageError>(&parsed)) {
        ADD_FAILURE() << "usage error: " << error->message;
        return {};
    }
    return std::get<Options>(parsed);
}

TEST(CommandLineTest, ParsesOptionsInEveryForm) {
    const Options options = Parse(
        {"-n", "2", "--char", "...", "-c", "!", "--output-dir=/out", "-q", "a.txt", "-", "--", "-odd.txt"});
    EXPECT_EQ(options.entersText, "2");
    EXPECT_EQ(options.entries, (std::vector<std::string>{"...", "!"}));
    EXPECT_EQ(options.outputFolder, "/out");
    EXPECT_TRUE(options.quiet);
    EXPECT_EQ(options.paths, (std::vector<std::string>{"a.txt", "-", "-odd.txt"}));

    const Options defaults = Parse({"x"});
    EXPECT_EQ(defaults.entries, (std::vector<std::string>{".", "!", "?"}));
    EXPECT_FALSE(defaults.outputFolder);
}

TEST(CommandLineTest, RefusesBadArgumentsWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {}, {"-n"}, {"--bogus", "a"}, {"-c", "", "a"}, {"-o", "/x", "--beside", "a"}, {"-o", "", "a"},
    };
    for (const auto& arguments : bad) {
        const auto parsed = ParseArguments(arguments);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << ::testing::PrintToString(arguments);
        EXPECT_FALSE(std::get<UsageError>(parsed).message.empty());
    }
}

struct RunResult {
    int status;
    std::string errors;
};

RunResult RunWith(const std::vector<std::string>& arguments) {
    std::ostringstream errors;
    const Options options = Parse(arguments);
    const Streams streams{0, 1, errors, false};
    return {Run(options, streams), errors.str()};
}

TEST(CommandLineTest, ConvertsBesideTheInputAndIntoAFolder) {
    TempDir dir;
    testing::WriteBytes(dir / "a.txt", "One. Two");
    ::mkdir((dir / "out").c_str(), 0700);
    EXPECT_EQ(RunWith({dir / "a.txt"}).status, kAllConverted);
    EXPECT_EQ(testing::ReadBytes(dir / "a-Pellnor.txt"), "One.\r\nTwo");
    EXPECT_EQ(RunWith({"-n", "2", "-c", "o", "-o", dir / "out", dir / "a.txt"}).status, kAllConverted);
    EXPECT_EQ(testing::ReadBytes(dir / "out/a.txt"), "o\r\n\r\nne. Two\r\n\r\n");
    EXPECT_EQ(testing::ReadBytes(dir / "a.txt"), "One. Two");
}

TEST(CommandLineTest, FailuresAreOneLineEachAndTheBatchGoesOn) {
    TempDir dir;
    testing::WriteBytes(dir / "good.txt", "A. B");
    const RunResult result = RunWith({dir / "missing.txt", dir.Path(), dir / "good.txt"});
    EXPECT_EQ(result.status, kSomeFailed);
    EXPECT_EQ(testing::ReadBytes(dir / "good-Pellnor.txt"), "A.\r\nB");
    std::istringstream lines(result.errors);
    std::string first;
    std::string second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first,
              "brantlewick-cli: " + (dir / "missing.txt") + ": cannot open: No such file or directory");
    EXPECT_EQ(second.rfind("brantlewick-cli: " + dir.Path() + ": ", 0), 0u) << second;
    EXPECT_TRUE(lines.peek() == EOF);
}

TEST(CommandLineTest, UsageProblemsStopBeforeAnythingIsWritten) {
    TempDir dir;
    testing::WriteBytes(dir / "a.txt", "A. B");
    EXPECT_EQ(RunWith({"-n", "40000", dir / "a.txt"}).status, kUsageProblem);
    EXPECT_EQ(RunWith({"-o", dir / "missing", dir / "a.txt"}).status, kUsageProblem);
    EXPECT_EQ(testing::ListNames(dir.Path()), "a.txt");
}

// The real executable: standard input to standard output, exit statuses, help.
TEST(CommandLineTest, ExecutableFiltersStandardInput) {
    TempDir dir;
    const std::string program = std::string(BRANTLEWICK_PROGRAM_DIR) + "/brantlewick-cli";
    const std::string command = "printf 'Hi. Bye! Ok?' | '" + program + "' -n 2 - > '" + (dir / "out") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(testing::ReadBytes(dir / "out"), "Hi.\r\n\r\nBye!\r\n\r\nOk?\r\n\r\n");
    EXPECT_EQ(WEXITSTATUS(std::system(("'" + program + "' --bogus 2>/dev/null").c_str())), kUsageProblem);
    EXPECT_EQ(WEXITSTATUS(std::system(("'" + program + "' --help >/dev/null").c_str())), 0);
}

} // namespace
} // namespace brantlewick::cli
