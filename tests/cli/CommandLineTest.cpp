// brantlewick-cli: argument parsing, and whole runs on real files through the library and the executable.
#include "CommandLine.h"
#include "TempDir.h"
#include "Unprivileged.h"

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
        {},
        {"-n"},
        {"--bogus", "a"},
        {"-c", "", "a"},
        {"-o", "/x", "--beside", "a"},
        {"-o", "", "a"},
        {"-q", "-v", "a"},
        {"a", "--lines"},
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

// Two inputs of one name into one folder: the second result used to replace the first, unannounced.
TEST(CommandLineTest, VerboseSaysWhereEachResultWentAndNoneIsLost) {
    TempDir dir;
    for (const char* folder : {"a", "b", "out"}) {
        ::mkdir((dir / folder).c_str(), 0700);
    }
    testing::WriteBytes(dir / "a/x.txt", "A. a");
    testing::WriteBytes(dir / "b/x.txt", "B. b");
    const RunResult verbose = RunWith({"--verbose", "-o", dir / "out", dir / "a/x.txt", dir / "b/x.txt"});
    EXPECT_EQ(verbose.status, kAllConverted);
    EXPECT_EQ(verbose.errors, (dir / "a/x.txt") + " -> " + (dir / "out/x.txt") + "\n" + (dir / "b/x.txt") +
                                  " -> " + (dir / "out/x-Pellnor.txt") + "\n");
    EXPECT_EQ(testing::ReadBytes(dir / "out/x.txt"), "A.\r\na");
    EXPECT_EQ(testing::ReadBytes(dir / "out/x-Pellnor.txt"), "B.\r\nb");
    EXPECT_EQ(RunWith({dir / "a/x.txt"}).errors, "");
}

TEST(CommandLineTest, FailuresAreOneLineEachAndTheBatchGoesOn) {
    TempDir dir;
    testing::WriteBytes(dir / "good.txt", "A. B");
    testing::WriteBytes(dir / "image.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR. ", 18));
    const RunResult result =
        RunWith({dir / "missing.txt", dir / "good.txt/below", dir / "image.png", dir / "good.txt"});
    EXPECT_EQ(result.status, kSomeFailed);
    EXPECT_EQ(testing::ReadBytes(dir / "good-Pellnor.txt"), "A.\r\nB");
    EXPECT_EQ(
        result.errors,
        "brantlewick-cli: " + (dir / "missing.txt") + ": cannot open: No such file or directory\n" +
            "brantlewick-cli: " + (dir / "good.txt/below") + ": cannot open: Not a directory\n" +
            "brantlewick-cli: " + (dir / "image.png") +
            ": not a text file: it holds NUL bytes (a UTF-16 or UTF-32 text needs its byte-order mark); "
            "not converted\n");
    EXPECT_FALSE(testing::Exists(dir / "image-Pellnor.png"));
}

RunResult RunShowingProgress(const std::vector<std::string>& arguments) {
    std::ostringstream errors;
    const Streams streams{0, 1, errors, true};
    return {Run(Parse(arguments), streams), errors.str()};
}

// A folder argument stands for its files, collected as a folder dropped on the window is, in its place.
TEST(CommandLineTest, FolderArgumentsAreReplacedByTheirFilesInOrder) {
    TempDir dir;
    for (const char* folder : {"docs", "docs/sub", "out"}) {
        ::mkdir((dir / folder).c_str(), 0700);
    }
    testing::WriteBytes(dir / "first.txt", "1. 2");
    testing::WriteBytes(dir / "last.txt", "3. 4");
    testing::WriteBytes(dir / "docs/b.txt", "B. b");
    testing::WriteBytes(dir / "docs/A.md", "A. a");
    testing::WriteBytes(dir / "docs/~lock.txt", "skipped");
    testing::WriteBytes(dir / "docs/.hidden", "skipped");
    testing::WriteBytes(dir / "docs/sub/c", "C. c");
    const std::string out = dir / "out";
    const RunResult result =
        RunShowingProgress({"-o", out, dir / "first.txt", dir / "docs/", dir / "last.txt"});
    EXPECT_EQ(result.status, kAllConverted);
    EXPECT_EQ(result.errors, "[1/5] " + (dir / "first.txt") + " -> " + out + "/first.txt\n" +  //
                                 "[2/5] " + (dir / "docs/A.md") + " -> " + out + "/A.md\n" +   //
                                 "[3/5] " + (dir / "docs/b.txt") + " -> " + out + "/b.txt\n" + //
                                 "[4/5] " + (dir / "docs/sub/c") + " -> " + out + "/c\n" +     //
                                 "[5/5] " + (dir / "last.txt") + " -> " + out + "/last.txt\n");
    EXPECT_EQ(testing::ListNames(out), "A.md|b.txt|c|first.txt|last.txt");
    EXPECT_EQ(testing::ReadBytes(dir / "out/c"), "C.\r\nc");

    // Beside the inputs, a result is never taken for an input of the same batch.
    EXPECT_EQ(RunWith({dir / "docs"}).status, kAllConverted);
    EXPECT_EQ(testing::ListNames(dir / "docs"),
              ".hidden|A-Pellnor.md|A.md|b-Pellnor.txt|b.txt|sub|~lock.txt");
}

TEST(CommandLineTest, AFolderThatGivesNoFilesIsExplained) {
    TempDir dir;
    ::mkdir((dir / "empty").c_str(), 0700);
    ::mkdir((dir / "empty/sub").c_str(), 0700);
    const RunResult empty = RunWith({dir / "empty"});
    EXPECT_EQ(empty.status, kAllConverted);
    EXPECT_EQ(empty.errors, "brantlewick-cli: " + (dir / "empty") + ": no files in this folder\n");

    ::chmod(dir.Path().c_str(), 0755);
    ::mkdir((dir / "locked").c_str(), 0);
    const auto locked = testing::RunAsOrdinaryUser([&] {
        const RunResult result = RunWith({dir / "locked"});
        return std::to_string(result.status) + " " + result.errors;
    });
    if (!locked) {
        GTEST_SKIP() << "running as root without a way to take an ordinary user id: permissions do not deny";
    }
    EXPECT_EQ(*locked,
              "1 brantlewick-cli: " + (dir / "locked") + ": cannot list the folder: Permission denied\n");
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
    // UTF-16 on standard input comes out in UTF-16.
    const std::string utf16 =
        "printf '\\377\\376H\\0.\\0 \\0B\\0' | '" + program + "' - > '" + (dir / "out") + "'";
    ASSERT_EQ(std::system(utf16.c_str()), 0);
    EXPECT_EQ(testing::ReadBytes(dir / "out"), std::string("\xFF\xFEH\0.\0\r\0\n\0B\0", 12));
    EXPECT_EQ(WEXITSTATUS(std::system(("'" + program + "' --bogus 2>/dev/null").c_str())), kUsageProblem);
    EXPECT_EQ(WEXITSTATUS(std::system(("'" + program + "' --help >/dev/null").c_str())), 0);
}

// The sentence mode, its language (the locale's unless named) and the line choice reach both standard input
// and the files; a value that is not one of the choices is refused in one line.
TEST(CommandLineTest, SentenceModeLanguageAndLineChoice) {
    const std::string program = std::string(BRANTLEWICK_PROGRAM_DIR) + "/brantlewick-cli";
    const std::string text = "Siehe Abb. Drei\nund so. Ja.";
    const std::string rows[][3] = {
        {"LANG=de_DE.UTF-8", "", "Siehe Abb.\r\nDreiund so.\r\nJa.\r\n"},
        {"LANG=de_DE.UTF-8", "--sentences", "Siehe Abb. Dreiund so.\r\nJa.\r\n"},
        {"LANG=C", "--sentences", "Siehe Abb.\r\nDreiund so.\r\nJa.\r\n"},
        {"LC_ALL=C LANG=de_DE.UTF-8", "--sentences --language=DE --lines keep",
         "Siehe Abb. Drei\nund so.\r\nJa.\r\n"},
        {"LANG=C", "--lines reflow --sentences --language de", "Siehe Abb. Drei und so.\r\nJa.\r\n"},
        {"LANG=C", "--sentences --lines wrap",
         "brantlewick-cli: --lines wrap: not one of join, keep, reflow\n"},
        {"LANG=C", "--language pt",
         "brantlewick-cli: --language pt: not one of en, de, fr, es, it, ru, nl, ja, zh\n"},
    };
    for (const auto& [environment, arguments, expected] : rows) {
        TempDir dir;
        testing::WriteBytes(dir / "in.txt", text);
        const std::string command = "printf '" + text + "' | env -u LC_ALL -u LC_MESSAGES " + environment +
                                    " '" + program + "' " + arguments + " - '" + (dir / "in.txt") + "' >'" +
                                    (dir / "out") + "' 2>&1";
        const int status = WEXITSTATUS(std::system(command.c_str()));
        EXPECT_EQ(testing::ReadBytes(dir / "out"), expected) << arguments;
        EXPECT_EQ(status, expected.starts_with("brantlewick-cli") ? kUsageProblem : kAllConverted)
            << arguments;
        if (status == kAllConverted) {
            EXPECT_EQ(testing::ReadBytes(dir / "in-Pellnor.txt"), expected) << arguments;
        }
    }
}

} // namespace
} // namespace brantlewick::cli
