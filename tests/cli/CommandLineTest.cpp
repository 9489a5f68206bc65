// SPDX-License-Identifier: GPL-3.0-or-later
// brantlewick-cli: argument parsing, and whole runs on real files through the library and the executable.
#include "CommandLine.h"
#include "TempDir.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace brantlewick::cli {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Texts = std::vector<std::string>;

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
                                               {"-q", "-v", "a"},
                                               {"-j", "0", "a"}}) {
        const auto refused = ParseArguments(bad);
        ASSERT_TRUE(std::holds_alternative<UsageError>(refused)) << ::testing::PrintToString(bad);
        EXPECT_FALSE(std::get<UsageError>(refused).message.empty());
    }
}

struct RunResult {
    int status;
    std::string errors;  // without the summary
    std::string summary; // the last line on standard error, without the time it took
    std::string output;  // standard output
};

RunResult RunWith(const std::vector<std::string>& arguments, bool showProgress = false) {
    std::ostringstream errors;
    const int output = ::memfd_create("standard output", 0);
    const Streams streams{0, output, errors, showProgress};
    RunResult result{Run(std::get<Options>(ParseArguments(arguments)), streams), errors.str(), "",
                     std::string(1 << 16, '\0')};
    result.output.resize(static_cast<std::size_t>(::pread(output, result.output.data(), 1 << 16, 0)));
    ::close(output);
    const std::size_t last = result.errors.rfind('\n', result.errors.size() - 2) + 1;
    result.summary = result.errors.substr(last, result.errors.rfind(", ") - last);
    result.errors.erase(last);
    return result;
}

// Everything under `folder`: each path with its size and a hash of its bytes.
std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> listing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string bytes = entry.is_directory() ? "" : ReadBytes(entry.path());
        listing.insert(entry.path().string() + " " + std::to_string(bytes.size()) + " " +
                       std::to_string(std::hash<std::string>()(bytes)));
    }
    return listing;
}

// The dry run changes nothing and tells what the real run then does, file for file: two inputs of one
// name into one folder (the second result once replaced the first, unannounced), an input listed twice,
// an old result, a file that is not text and a result whose place is taken by a folder.
TEST(CommandLineTest, DryRunWritesNothingAndForetellsTheRealRun) {
    TempDir dir;
    for (const char* folder : {"a", "b", "out", "out/z.txt"}) {
        ::mkdir((dir / folder).c_str(), 0700);
    }
    for (const char* file : {"a/x.txt", "a/y.txt", "a/z.txt", "b/x.txt"}) {
        testing::WriteBytes(dir / file, std::string(1, file[2]) + ". " + file[0]);
    }
    testing::WriteBytes(dir / "a/bad.png", std::string("\x89PNG\0", 5));
    testing::WriteBytes(dir / "out/y.txt", "an old result");
    const std::vector<std::string> arguments = {"-o", dir / "out", dir / "a", dir / "b", dir / "a/x.txt"};
    const std::set<std::string> before = Listing(dir.Path());
    auto dryRun = arguments;
    dryRun.insert(dryRun.begin(), "--dry-run");
    const RunResult dry = RunWith(dryRun);
    EXPECT_EQ(Listing(dir.Path()), before);
    const auto line = [&](const char* input, const char* output, const char* replaces = "") {
        return (dir / input) + " -> " + (dir / output) + " (1 breaks, 1 spaces dropped)" + replaces + "\n";
    };
    const std::string replaces = " (replaces an existing file)";
    const std::string results[] = {
        line("a/x.txt", "out/x.txt"), line("a/y.txt", "out/y.txt", replaces.c_str()),
        line("b/x.txt", "out/x-Pellnor.txt"), line("a/x.txt", "out/x.txt", replaces.c_str())};
    const std::string failures[] = {
        "brantlewick-cli: " + (dir / "a/bad.png") +
            ": not a text file: it holds NUL bytes (a UTF-16 or UTF-32 text needs its byte-order mark); not "
            "converted\n",
        "brantlewick-cli: " + (dir / "a/z.txt") + ": cannot replace the output file: Is a directory\n"};
    EXPECT_EQ(dry.output, results[0] + results[1] + results[2] + results[3]);
    EXPECT_EQ(dry.errors, failures[0] + failures[1]);
    EXPECT_EQ(dry.summary, "brantlewick-cli: dry run, nothing written: 4 files converted, 2 failed, 16 bytes "
                           "in, 20 bytes out, 4 breaks inserted");

    auto verbose = arguments;
    verbose.insert(verbose.begin(), "-v");
    const RunResult real = RunWith(verbose);
    EXPECT_EQ(real.status, kSomeFailed);
    EXPECT_EQ(dry.status, kSomeFailed);
    EXPECT_EQ(real.errors, failures[0] + results[0] + results[1] + failures[1] + results[2] + results[3]);
    EXPECT_EQ(testing::ListNames(dir / "out"), "x-Pellnor.txt|x.txt|y.txt|z.txt");
    EXPECT_EQ(ReadBytes(dir / "out/x-Pellnor.txt"), "x.\r\nb");
    EXPECT_EQ(real.summary,
              "brantlewick-cli: 4 files converted, 2 failed, 16 bytes in, 20 bytes out, 4 breaks inserted");
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
    WriteBytes(dir / "docs/b-Pellnor.txt", "an input");
    EXPECT_EQ(RunWith({dir / "docs/b.txt", dir / "docs/b-Pellnor.txt"}).status, kAllConverted);
    EXPECT_EQ(ReadBytes(dir / "docs/b-Pellnor.txt"), "an input");
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

// Several jobs write, name and say what one job does, in list order: names colliding beside each other and
// in one folder, an old result, results that cannot be written, one missing, one listed twice, one that only
// an earlier result creates, links replaced by results through which later inputs are reached, and enough
// files to keep the workers far ahead.
TEST(CommandLineTest, SeveralJobsDoWhatOneJobDoes) {
    namespace fs = std::filesystem;
    const auto runOnTree = [](const std::string& root, const char* jobs, const Texts& options) {
        fs::create_directories(root + "/docs/sub/b-Pellnor.txt");
        fs::create_directories(root + "/out/b.txt");
        for (const char* name : {"docs/a.txt", "docs/a-Pellnor.txt", "docs/sub/a.txt", "docs/sub/b.txt",
                                 "late.txt", "out/a.txt", "lnk"}) {
            WriteBytes(root + "/" + name, std::string(name) + ". x");
        }
        for (int i = 0; i < 150; ++i) {
            WriteBytes(root + "/docs/f" + std::to_string(i), "N. n " + std::to_string(i));
        }
        fs::create_directory_symlink("docs", root + "/lnk-Pellnor");
        fs::create_directory_symlink("../docs", root + "/out/lnk");
        std::vector<std::string> arguments = {"--jobs", jobs};
        for (const std::string& path : options) {
            arguments.push_back(path.starts_with('-') ? path : root + "/" + path);
        }
        for (const char* path : {"docs", "docs/a.txt", "missing.txt", "late.txt", "late-Pellnor.txt", "lnk",
                                 "lnk-Pellnor/f1", "out/lnk/f2"}) {
            arguments.push_back(root + "/" + path);
        }
        const RunResult result = RunWith(arguments, true);
        return std::to_string(result.status) + result.output + result.errors + result.summary;
    };
    for (const Texts& options : {Texts{"-v"}, Texts{"-v", "-o", "out"}, Texts{"--dry-run"}}) {
        const TempDir dir; // both runs on the same paths
        const std::string expected = runOnTree(dir / "tree", "1", options);
        fs::rename(dir / "tree", dir / "one");
        EXPECT_TRUE(expected.starts_with("1") && expected.ends_with("inserted")) << expected;
        EXPECT_EQ(runOnTree(dir / "tree", "3", options), expected);
        EXPECT_EQ(std::system(("diff -r --no-dereference " + (dir / "one") + " " + (dir / "tree")).c_str()),
                  0);
    }
}

// The sentence mode, its language (the locale's unless named) and the line choice reach standard input
// and the files alike; a value that is not one of the choices is refused in one line.
TEST(CommandLineTest, SentenceModeLanguageAndLineChoice) {
    const std::string text = "Siehe Abb. Drei\nund so. Ja.";
    const std::string rows[][3] = {
        {"LANG=de_DE.UTF-8", "--sentences", "Siehe Abb. Dreiund so.\r\nJa.\r\n"},
        {"LANG=C", "--sentences", "Siehe Abb.\r\nDreiund so.\r\nJa.\r\n"},
        {"LC_ALL=C LANG=de", "--sentences --language=DE --lines keep", "Siehe Abb. Drei\nund so.\r\nJa.\r\n"},
        {"LANG=C", "--lines reflow --sentences --language de", "Siehe Abb. Drei und so.\r\nJa.\r\n"},
        {"LANG=C", "--lines wrap", "brantlewick-cli: --lines wrap: not one of join, keep, reflow\n"},
        {"LANG=C", "--language pt",
         "brantlewick-cli: --language pt: not one of en, de, fr, es, it, ru, nl, ja, zh\n"},
    };
    for (const auto& [environment, arguments, expected] : rows) {
        TempDir dir;
        WriteBytes(dir / "in.txt", text);
        const std::string command = "printf '" + text + "' | env -u LC_ALL -u LC_MESSAGES " + environment +
                                    " '" + BRANTLEWICK_PROGRAM_DIR + "/brantlewick-cli' -q " + arguments +
                                    " - '" + (dir / "in.txt") + "' >'" + (dir / "out") + "' 2>&1";
        const int status = WEXITSTATUS(std::system(command.c_str()));
        EXPECT_EQ(ReadBytes(dir / "out"), expected) << arguments;
        EXPECT_EQ(status, expected.starts_with("brantlewick-cli") ? kUsageProblem : kAllConverted)
            << arguments;
        EXPECT_EQ(status == kAllConverted ? ReadBytes(dir / "in-Pellnor.txt") : expected, expected)
            << arguments;
    }
}

// Files converted ahead wait open, and the folders of those that wait under a name locked, only as far as
// the limit on open files allows: with 24, four jobs over 100 folders still convert every file. Locking
// every such folder once ran out of open files.
TEST(CommandLineTest, FewOpenFilesMakeNoFailure) {
    TempDir dir;
    for (int i = 0; i < 1000; ++i) {
        std::filesystem::create_directories(dir / std::to_string(i / 10));
        WriteBytes(dir / (std::to_string(i / 10) + "/" + std::to_string(i % 10)), "A. B.");
    }
    const std::string command = "ulimit -n 24 && '" + std::string(BRANTLEWICK_PROGRAM_DIR) +
                                "/brantlewick-cli' -q -j 4 '" + dir.Path() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadBytes(dir / "99/9-Pellnor."), "A.\r\nB.\r\n");
}

// Interrupted by Ctrl-C, SIGTERM or SIGHUP at any moment, also while finished results wait under temporary
// names (few open files to spare), a run leaves no temporary file (it used to leave hundreds) and no
// half-written result, and ends with 128 plus the signal's number; a SIGHUP ignored from the start is.
TEST(CommandLineTest, AnInterruptedRunLeavesNothingOfItsOwn) {
    namespace fs = std::filesystem;
    TempDir dir;
    constexpr int kFiles = 2000;
    fs::create_directory(dir / "in");
    for (int i = 0; i < kFiles; ++i) {
        WriteBytes(dir / ("in/" + std::to_string(i)), "One. Two " + std::to_string(i) + ".");
    }
    const std::string program = std::string(BRANTLEWICK_PROGRAM_DIR) + "/brantlewick-cli";
    std::mt19937 random(18);
    int interrupted = 0;
    for (int round = 0; round < 14; ++round) {
        const int signal = std::array{SIGINT, SIGTERM, SIGHUP}[round % 3];
        const bool ignored = round == 13; // SIGHUP, as under nohup
        const std::string out = dir / ("out" + std::to_string(round));
        fs::create_directory(out);
        const pid_t child = ::fork();
        if (child == 0) {
            for (const int each : {SIGINT, SIGTERM, SIGHUP}) {
                ::signal(each, ignored && each == signal ? SIG_IGN : SIG_DFL);
            }
            const rlim_t files = round % 2 == 1 ? 64 : 1024; // with 64, finished results wait under names
            const rlimit limit{files, files};
            ::setrlimit(RLIMIT_NOFILE, &limit);
            ::execl(program.c_str(), program.c_str(), "-q", "-j", "4", "-o", out.c_str(),
                    (dir / "in").c_str(), nullptr);
            std::_Exit(127);
        }
        for (int wait = 0; wait < 1000000 && fs::is_empty(out); ++wait) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::size_t results = 0;
        for (const auto& entry : fs::directory_iterator(out)) {
            ++results;
            ASSERT_EQ(ReadBytes(entry.path()), "One.\r\nTwo " + entry.path().filename().string() + ".\r\n");
        }
        const int ended = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const bool doneFirst = ended == 0 && results == kFiles; // before the signal came
        EXPECT_TRUE(ended == (ignored ? 0 : 128 + signal) || doneFirst) << round << ": " << ended;
        interrupted += results < kFiles ? 1 : 0;
    }
    EXPECT_GT(interrupted, 6);
}

} // namespace
} // namespace brantlewick::cli
