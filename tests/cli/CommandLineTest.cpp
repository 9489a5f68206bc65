// SPDX-License-Identifier: GPL-3.0-or-later
// brantlewick-cli: argument parsing, and whole runs on real files through the library and the executable.
#include "brantlewick/cli/CommandLine.h"
#include "Rows.h"
#include "TempDir.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <fcntl.h>
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
#include <utility>

namespace brantlewick::cli {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Texts = std::vector<std::string>;

const std::string kProgram = BRANTLEWICK_PROGRAM_DIR "/brantlewick-cli";

struct RunResult {
    int status;
    std::string errors;  // without the summary
    std::string summary; // the last line on standard error, without the time it took
    std::string output;  // standard output
};

// A run in this process, standard output caught in memory (or sent to `output`, which is not read back).
RunResult RunWith(const std::vector<std::string>& arguments, bool showProgress = false, int output = -1) {
    std::ostringstream errors;
    const bool caught = output < 0;
    if (caught) {
        output = ::memfd_create("standard output", 0);
    }
    const Streams streams{0, output, errors, showProgress};
    RunResult result{Run(std::get<Options>(ParseArguments(arguments)), streams), errors.str(), "",
                     std::string(1 << 16, '\0')};
    result.output.resize(caught ? static_cast<std::size_t>(::pread(output, result.output.data(), 1 << 16, 0))
                                : 0);
    ::close(output);
    const std::size_t last = result.errors.rfind('\n', result.errors.size() - 2) + 1;
    result.summary = result.errors.substr(last, result.errors.rfind(", ") - last);
    result.errors.erase(last);
    return result;
}

// What the real executable writes to standard output, run by the shell with `arguments` and `input` (printf's
// format) on standard input; its exit status instead when that is not 0.
std::string Piped(const std::string& input, const std::string& arguments) {
    const TempDir dir;
    const int status = std::system(
        ("printf '" + input + "' | '" + kProgram + "' " + arguments + " >'" + (dir / "out") + "'").c_str());
    return status == 0 ? ReadBytes(dir / "out") : "exit status " + std::to_string(WEXITSTATUS(status));
}

// The command prefix that runs a command in a mount namespace of the test's own, where a small file system
// can be mounted; empty where there is none.
std::string MountNamespace() {
    const std::string unshare = ::geteuid() == 0 ? "unshare -m " : "unshare -Urm ";
    return std::system((unshare + "true 2>/dev/null").c_str()) == 0 ? unshare : "";
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

// The dry run changes nothing and tells what the real run then does, file for file: two inputs of one name
// into one folder, an input listed twice (one input), an old result, a file that is not text, a folder in a
// result's place. A link to a folder there is replaced (the dry run once foretold "Is a directory"), a listed
// name that names nothing is kept free (the run once wrote w.txt's result there, then converted it again),
// and an old result deleted for a file that then fails is gone for the next file of that name.
TEST(CommandLineTest, DryRunWritesNothingAndForetellsTheRealRun) {
    TempDir dir;
    for (const char* folder : {"a", "b", "out", "out/z.txt", "x"}) {
        ::mkdir((dir / folder).c_str(), 0700);
    }
    for (const char* file : {"a/l.txt", "a/w.txt", "a/x.txt", "a/y.txt", "a/z.txt", "b/x.txt"}) {
        testing::WriteBytes(dir / file, std::string(1, file[2]) + ". " + file[0]);
    }
    testing::WriteBytes(dir / "a/bad.png", std::string("\x89PNG\0", 5));
    testing::WriteBytes(dir / "out/y.txt", "an old result");
    testing::WriteBytes(dir / "b/bad.png", "p. b");
    testing::WriteBytes(dir / "out/bad.png", "an old result");
    ASSERT_EQ(::symlink("../x", (dir / "out/l.txt").c_str()), 0);
    const std::vector<std::string> arguments = {"-o",      dir / "out",     dir / "a",
                                                dir / "b", dir / "a/x.txt", dir / "out/w.txt"};
    const std::set<std::string> before = Listing(dir.Path());
    auto dryRun = arguments;
    dryRun.insert(dryRun.begin(), "--dry-run");
    const RunResult dry = RunWith(dryRun);
    EXPECT_EQ(Listing(dir.Path()), before);
    const auto line = [&](const char* input, const char* output, const char* replaces = "") {
        return (dir / input) + " -> " + (dir / output) + " (1 breaks, 1 spaces dropped)" + replaces + "\n";
    };
    const char* replaces = " (replaces an existing file)";
    const std::string results[] = {
        line("a/l.txt", "out/l.txt", replaces), line("a/w.txt", "out/w-Pellnor.txt"),
        line("a/x.txt", "out/x.txt"),           line("a/y.txt", "out/y.txt", replaces),
        line("b/bad.png", "out/bad.png"),       line("b/x.txt", "out/x-Pellnor.txt")};
    const std::string failures[] = {
        "brantlewick-cli: " + (dir / "a/bad.png") +
            ": not a text file: it holds NUL bytes (a UTF-16 or UTF-32 text needs its byte-order mark); not "
            "converted\n",
        "brantlewick-cli: " + (dir / "a/z.txt") + ": cannot replace the output file: Is a directory\n",
        "brantlewick-cli: " + (dir / "out/w.txt") + ": cannot open: No such file or directory\n"};
    EXPECT_EQ(dry.output, results[0] + results[1] + results[2] + results[3] + results[4] + results[5]);
    EXPECT_EQ(dry.errors, failures[0] + failures[1] + failures[2]);
    EXPECT_EQ(dry.summary, "brantlewick-cli: dry run, nothing written: 6 files converted, 3 failed, 24 bytes "
                           "in, 30 bytes out, 6 breaks inserted");
    // A line that cannot be written fails its file, once: such a file was counted converted and failed.
    const RunResult full = RunWith(dryRun, false, ::open("/dev/full", O_WRONLY | O_CLOEXEC));
    std::string unwritten[6];
    for (std::size_t i = 0; i < 6; ++i) {
        unwritten[i] = "brantlewick-cli: " + results[i].substr(0, results[i].find(" -> ")) +
                       ": cannot write its line to standard output: No space left on device\n";
    }
    EXPECT_EQ(full.errors, failures[0] + unwritten[0] + unwritten[1] + unwritten[2] + unwritten[3] +
                               failures[1] + unwritten[4] + unwritten[5] + failures[2]);
    EXPECT_EQ(full.summary,
              "brantlewick-cli: dry run, nothing written: 0 files converted, 9 failed, 0 bytes in, 0 "
              "bytes out, 0 breaks inserted");

    auto verbose = arguments;
    verbose.insert(verbose.begin(), "-v");
    const RunResult real = RunWith(verbose);
    EXPECT_EQ(real.status, kSomeFailed);
    EXPECT_EQ(dry.status, kSomeFailed);
    EXPECT_EQ(real.errors, failures[0] + results[0] + results[1] + results[2] + results[3] + failures[1] +
                               results[4] + results[5] + failures[2]);
    EXPECT_EQ(testing::ListNames(dir / "out"), "bad.png|l.txt|w-Pellnor.txt|x-Pellnor.txt|x.txt|y.txt|z.txt");
    EXPECT_EQ(ReadBytes(dir / "out/x-Pellnor.txt") + ReadBytes(dir / "out/l.txt"), "x.\r\nbl.\r\na");
    EXPECT_EQ(testing::ListNames(dir / "x"), ""); // the link went, not what it led to
    EXPECT_EQ(real.summary,
              "brantlewick-cli: 6 files converted, 3 failed, 24 bytes in, 30 bytes out, 6 breaks inserted");
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
    SKIP_WITHOUT_ORDINARY_USER();
    ::chmod(dir.Path().c_str(), 0755);
    ::mkdir((dir / "locked").c_str(), 0);
    // A check fails for the files it could not see: a sub-folder that could not be read once passed with 0.
    ::mkdir((dir / "docs/sub/locked").c_str(), 0);
    const std::string locked = testing::RunAsOrdinaryUser([&] {
        const RunResult run = RunWith({"--check", dir / "docs", dir / "locked"});
        return std::to_string(run.status) + " " + run.errors + run.summary;
    });
    EXPECT_EQ(
        locked,
        "2 brantlewick-cli: " + (dir / "docs/sub/locked/") +
            ": cannot list the folder: Permission denied; its files are not checked\nbrantlewick-cli: " +
            (dir / "locked") +
            ": cannot list the folder: Permission denied\nbrantlewick-cli: check, nothing written: 3 "
            "of 3 files would change, 2 failed");
}

// One file named twice, however spelled, is one input in every mode (in place its breaks were doubled). A
// result's name or path too long for the file system is foreseen, and told alike by the run ("File name too
// long").
TEST(CommandLineTest, OneFileNamedTwiceIsOneInputAndTooLongNamesAreForeseen) {
    TempDir dir;
    const std::string& d = dir.Path();
    const std::pair<Texts, std::string> rows[] = {
        {{"--in-place", "--lines", "keep"}, "1 file converted in place (1 changed), 0 failed, 5 bytes in, 8"},
        {{"--check"}, "check, nothing written: 1 of 1 file would change, 0 failed"},
        {{"--dry-run"}, "dry run, nothing written: 1 file converted, 0 failed, 5 bytes in, 8"},
        {{"-j", "2"}, "1 file converted, 0 failed, 5 bytes in, 8"},
    };
    FOR_EACH_ROW(row, rows) {
        WriteBytes(d + "/a.md", "A. B.");
        Texts arguments = row.first;
        arguments.insert(arguments.end(), {d + "/a.md", d + "/./a.md", d, d + "//a.md"});
        EXPECT_TRUE(RunWith(arguments).summary.starts_with("brantlewick-cli: " + row.second));
    }
    const std::string name = std::string(247, 'a') + ".txt"; // 251 bytes, and its result's 259
    std::string deep = d; // for a path of 4,090 bytes: its result's name is short enough, but not its path
    while (deep.size() < 3700) {
        std::filesystem::create_directory(deep += "/" + std::string(150, 'd'));
    }
    std::filesystem::create_directory(deep += "/" + std::string(3900 - deep.size() - 1, 'e'));
    for (const std::string& input : {dir / name, deep + "/" + std::string(185, 'b') + ".txt"}) {
        WriteBytes(input, "A. B.");
        const std::string failure =
            "brantlewick-cli: " + input + ": the result's name would be longer than the file system allows\n";
        for (const char* mode : {"--dry-run", "-j1", "-j2"}) {
            const RunResult result = RunWith({mode, input, input});
            EXPECT_EQ(std::to_string(result.status) + " " + result.errors, "1 " + failure) << mode;
        }
    }
    EXPECT_EQ(testing::ListNames(dir.Path()), "a-Pellnor.md|a.md|" + name + "|" + std::string(150, 'd'));
}

// Usage problems stop before anything is written; the real executable filters standard input.
TEST(CommandLineTest, UsageProblemsStopBeforeAnythingIsWrittenAndStandardInputIsFiltered) {
    TempDir dir;
    WriteBytes(dir / "a.txt", "A. B");
    EXPECT_EQ(RunWith({"-n", "40000", dir / "a.txt"}).status, kUsageProblem);
    EXPECT_EQ(RunWith({"-o", dir / "missing", dir / "a.txt"}).status, kUsageProblem);
    EXPECT_EQ(testing::ListNames(dir.Path()), "a.txt");
    EXPECT_EQ(Piped("Hi. Bye! Ok?", "-n 2 -"), "Hi.\r\n\r\nBye!\r\n\r\nOk?\r\n\r\n");
    // A dry run goes on past standard input to the files after it.
    EXPECT_EQ(Piped("X. y", "-q --dry-run - '" + (dir / "a.txt") + "'"),
              "- -> - (1 breaks, 1 spaces dropped)\n" + (dir / "a.txt") + " -> " + (dir / "a-Pellnor.txt") +
                  " (1 breaks, 1 spaces dropped)\n");
    // UTF-16 on standard input comes out in UTF-16.
    EXPECT_EQ(Piped("\\377\\376H\\0.\\0 \\0B\\0", "-"), std::string("\xFF\xFEH\0.\0\r\0\n\0B\0", 12));
    EXPECT_EQ(Piped("", "--bogus 2>/dev/null"), "exit status " + std::to_string(kUsageProblem));
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
        const std::string inRoot = root + "/";
        for (const std::string& path : options) {
            arguments.push_back(path.starts_with('-') ? path : inRoot + path);
        }
        for (const char* path : {"docs", "docs/a.txt", "missing.txt", "late.txt", "late-Pellnor.txt", "lnk",
                                 "lnk-Pellnor/f1", "out/lnk/f2"}) {
            arguments.push_back(inRoot + path);
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
        {"LANG=de_DE.UTF-8", "--sentences", "Siehe Abb. Drei und so.\r\nJa.\r\n"},
        {"LANG=C", "--sentences", "Siehe Abb.\r\nDrei und so.\r\nJa.\r\n"},
        // Kept and rejoined lines take the breaks in the text's own line end.
        {"LC_ALL=C LANG=de", "--sentences --language=DE --lines keep", "Siehe Abb. Drei\nund so.\nJa.\n"},
        {"LANG=C", "--lines reflow --sentences --language de", "Siehe Abb. Drei und so.\nJa.\n"},
        // Too short for its language to be found: the locale's; a later --language wins, as a hook's
        // arguments follow its own.
        {"LANG=de_DE.UTF-8", "--sentences --language auto", "Siehe Abb. Drei und so.\r\nJa.\r\n"},
        {"LANG=C", "--sentences --language auto --language de", "Siehe Abb. Drei und so.\r\nJa.\r\n"},
        {"LANG=C", "--lines wrap", "brantlewick-cli: --lines wrap: not one of join, keep, reflow\n"},
        {"LANG=C", "--language pt",
         "brantlewick-cli: --language pt: not one of auto, en, de, fr, es, it, ru, nl, ja, zh\n"},
    };
    for (const auto& [environment, arguments, expected] : rows) {
        TempDir dir;
        WriteBytes(dir / "in.txt", text);
        std::string command = "printf '" + text + "' | env -u LC_ALL -u LC_MESSAGES ";
        command += environment;
        command += " '" BRANTLEWICK_PROGRAM_DIR "/brantlewick-cli' -q ";
        command += arguments;
        command += " - '" + (dir / "in.txt") + "' >'" + (dir / "out") + "' 2>&1";
        const int status = WEXITSTATUS(std::system(command.c_str()));
        EXPECT_EQ(ReadBytes(dir / "out"), expected) << arguments;
        const bool refused = expected.starts_with("brantlewick-cli");
        EXPECT_EQ(status, refused ? kUsageProblem : kAllConverted) << arguments;
        // The file gets what standard input got; a refused run writes no file at all.
        EXPECT_EQ(testing::Exists(dir / "in-Pellnor.txt") ? ReadBytes(dir / "in-Pellnor.txt") : "none",
                  refused ? "none" : expected)
            << arguments;
    }
}

// A name with control characters or bytes that are not UTF-8 is quoted as `ls` quotes it, on every line
// that names it: a newline or " -> " in a name once made one file look like two.
TEST(CommandLineTest, NamesAreShownOneToALine) {
    TempDir dir;
    const std::string& d = dir.Path();
    const std::pair<std::string, std::string> rows[] = {
        {"plain é.txt", d + "/plain é.txt -> " + d + "/plain é-Pellnor.txt"},
        {"x\ny -> z.txt", "'" + d + "/x'$'\\n''y -> z.txt' -> '" + d + "/x'$'\\n''y -> z-Pellnor.txt'"},
        {"e\x1b[31mred.txt",
         "'" + d + "/e'$'\\033''[31mred.txt' -> '" + d + "/e'$'\\033''[31mred-Pellnor.txt'"},
        {"it's\t\x7f.txt",
         "'" + d + "/it'\\''s'$'\\t\\177''.txt' -> '" + d + "/it'\\''s'$'\\t\\177''-Pellnor.txt'"},
        {"bad\xff\xc2\x85.txt",
         "'" + d + "/bad'$'\\377\\302\\205''.txt' -> '" + d + "/bad'$'\\377\\302\\205''-Pellnor.txt'"},
        // A name that spells another's quoted form, and so every name with "'" or "$", is quoted too: the
        // second name showed as the line of the first.
        {"'new'$'\\n''line.txt'", "'" + d + "/'\\''new'\\''$'\\''\\n'\\'''\\''line.txt'\\''' -> '" + d +
                                      "/'\\''new'\\''$'\\''\\n'\\'''\\''line-Pellnor.txt'\\'''"},
        {"it's A-Z a-z 0-9.txt",
         "\"" + d + "/it's A-Z a-z 0-9.txt\" -> \"" + d + "/it's A-Z a-z 0-9-Pellnor.txt\""},
        {"a$b.txt", "'" + d + "/a$b.txt' -> '" + d + "/a$b-Pellnor.txt'"},
    };
    std::vector<std::string> arguments = {"--dry-run"};
    std::string expected;
    for (const auto& [name, shown] : rows) {
        WriteBytes(dir / name, "A. b");
        arguments.push_back(dir / name);
        expected += shown + " (1 breaks, 1 spaces dropped)\n";
    }
    arguments.push_back("\x01missing");
    const RunResult result = RunWith(arguments);
    EXPECT_EQ(result.output, expected);
    EXPECT_EQ(result.errors,
              "brantlewick-cli: ''$'\\001''missing': cannot open: No such file or directory\n");
}

// A folder below a path of 260 characters or more is left out, as in the window, but the command line
// names it: it once left files out without a word and exit status 0.
TEST(CommandLineTest, FoldersLeftOutForTheirDepthAreNamed) {
    TempDir dir;
    std::string deep = dir.Path();
    while (deep.size() < 260) {
        deep += "/a-folder-name-of-some-length";
        ::mkdir(deep.c_str(), 0700);
    }
    ::mkdir((deep + "/below").c_str(), 0700);
    WriteBytes(deep + "/kept.txt", "A. b");
    WriteBytes(deep + "/below/lost.txt", "A. b");
    const RunResult result = RunWith({"--dry-run", dir.Path()});
    EXPECT_EQ(result.status, kAllConverted);
    EXPECT_EQ(result.output,
              deep + "/kept.txt -> " + deep + "/kept-Pellnor.txt (1 breaks, 1 spaces dropped)\n");
    EXPECT_EQ(result.errors,
              "brantlewick-cli: " + deep +
                  "/below/: left out, with everything in it: its path is 260 characters or longer\n");
}

// A folder given again after a run took its results too; they are left out with a note, unless asked
// for, and a result named on its own is taken.
TEST(CommandLineTest, ResultsBesideTheirInputsAreLeftOutOfFoldersWithANote) {
    TempDir dir;
    ::mkdir((dir / "docs").c_str(), 0755);
    for (const char* file : {"docs/a.txt", "docs/a-Pellnor.txt", "docs/a-Pellnor-Pellnor.txt"}) {
        WriteBytes(dir / file, "A. b");
    }
    const auto run = [&](const Texts& arguments) {
        const RunResult result = RunWith(arguments);
        return result.errors + result.summary.substr(result.summary.find("written: ") + 9, 16);
    };
    EXPECT_EQ(run({"--dry-run", dir / "docs"}), "brantlewick-cli: " + (dir / "docs") +
                                                    ": left out 2 files named as the result of a file beside "
                                                    "it (such as " +
                                                    (dir / "docs/a-Pellnor-Pellnor.txt") +
                                                    "); --include-results takes them too\n1 file converted");
    EXPECT_EQ(run({"--dry-run", "--include-results", dir / "docs"}), "3 files converte");
    EXPECT_EQ(run({"--dry-run", dir / "docs/a-Pellnor.txt"}), "1 file converted");
}

// On a full disk several jobs write what one job writes: files converted ahead took the space first, so the
// large file failed with -j 2 only. A 1 MiB file system goes into a mount namespace of the test's own.
TEST(CommandLineTest, OnAFullDiskSeveralJobsDoWhatOneJobDoes) {
    const std::string unshare = MountNamespace();
    if (unshare.empty()) {
        GTEST_SKIP() << "no mount namespace to mount a small file system in";
    }
    TempDir dir;
    ::mkdir((dir / "in").c_str(), 0700);
    ::mkdir((dir / "disk").c_str(), 0700);
    WriteBytes(dir / "in/a.txt", std::string(600'000, 'x') + ". Long");
    for (int i = 10; i < 50; ++i) {
        WriteBytes(dir / ("in/f" + std::to_string(i) + ".txt"), std::string(12'000, 'x') + ". Short");
    }
    // The exit status, the messages without the time taken, and every result with its checksum.
    WriteBytes(dir / "run.sh", "mount -t tmpfs -o size=1m tmpfs disk || exit 9\n'" BRANTLEWICK_PROGRAM_DIR
                               "/brantlewick-cli' -j \"$1\" -o disk in/a.txt in/f*.txt >log 2>&1\n"
                               "echo \"$?\"; sed 's/, [0-9.]* s$//' log\n"
                               "cd disk && for f in *; do echo \"$f $(cksum <\"$f\")\"; done\n");
    const auto runWith = [&](const char* jobs) {
        EXPECT_EQ(
            std::system(("cd '" + dir.Path() + "' && " + unshare + "sh run.sh " + jobs + " >result").c_str()),
            0);
        return ReadBytes(dir / "result");
    };
    const std::string one = runWith("1");
    EXPECT_TRUE(one.starts_with("1\nbrantlewick-cli: in/f4") && one.find("\na.txt ") != std::string::npos)
        << one;
    EXPECT_EQ(runWith("2") + runWith("4"), one + one);
}

// How the sentence mode reads each file: auto by its name, or as told; standard input is plain unless told.
// Without --sentences the format changes nothing.
TEST(CommandLineTest, TheFormatIsChosenForEachFile) {
    TempDir dir;
    const Texts names = {"a.md", "b.TXT", "c.Mkd"};
    for (const std::string& name : names) {
        WriteBytes(dir / name, "> Hi. Bye.\n");
    }
    const std::string plain = "> Hi.\r\nBye.\r\n";
    const std::string markdown = "> Hi.\n> Bye.\n";
    const struct {
        Texts arguments;
        Texts results; // of a.md, b.TXT, c.Mkd
    } rows[] = {
        {{"--sentences"}, {markdown, plain, markdown}},
        {{"--sentences", "--format=plain"}, {plain, plain, plain}},
        {{"--sentences", "--format=markdown"}, {markdown, markdown, markdown}},
        {{"--format=markdown"}, {plain, plain, plain}},
    };
    for (const auto& row : rows) {
        Texts arguments = row.arguments;
        arguments.insert(arguments.end(), {"-o", dir / "out", dir / "a.md", dir / "b.TXT", dir / "c.Mkd"});
        std::filesystem::create_directory(dir / "out");
        ASSERT_EQ(RunWith(arguments).status, kAllConverted);
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(ReadBytes(dir / ("out/" + names[i])), row.results[i])
                << arguments[0] << " " << names[i];
        }
        std::filesystem::remove_all(dir / "out");
    }
    for (const auto& [format, expected] : {std::pair{"", plain}, std::pair{"--format=markdown", markdown}}) {
        EXPECT_EQ(Piped("> Hi. Bye.\\n", "-q --sentences " + std::string(format) + " -"), expected) << format;
    }
}

// --check changes nothing and lists what --in-place then changes, quoted as every line quotes names. In
// place, links, files with several names and read-only files are refused one line each; the rest keep
// their mode, owner and group, and a file already converted keeps even its time stamp.
TEST(CommandLineTest, CheckAndInPlaceOnLinksHardLinksReadOnlyFilesAndOddNames) {
    namespace fs = std::filesystem;
    TempDir dir;
    const Texts changing = {"-dash.md", "bad\xFF.md", "new\nline.md", "plain.txt", "sp ace.md"};
    for (const std::string& name : changing) {
        WriteBytes(dir / name, "Hi. Bye.\n");
    }
    WriteBytes(dir / "done.md", "Hi.\nBye.\n");
    WriteBytes(dir / "twice.md", "Hi. Bye.\n");
    fs::create_hard_link(dir / "twice.md", dir / "twice2.md");
    fs::create_symlink("sp ace.md", dir / "link.md");
    const timespec old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ::utimensat(AT_FDCWD, (dir / "done.md").c_str(), old, 0);
    Texts arguments = {"--sentences", "--check", "--"};
    for (const char* name : {"-dash.md", "bad\xFF.md", "done.md", "link.md", "new\nline.md", "plain.txt",
                             "sp ace.md", "twice.md"}) {
        arguments.push_back(dir / name);
    }
    const std::set<std::string> before = Listing(dir.Path());
    const RunResult check = RunWith(arguments);
    EXPECT_EQ(check.status, kSomeFailed);
    const std::string d = dir.Path() + "/";
    EXPECT_EQ(check.output, d + "-dash.md\n'" + d + "bad'$'\\377''.md'\n" + d + "link.md\n'" + d +
                                "new'$'\\n''line.md'\n" + d + "plain.txt\n" + d + "sp ace.md\n" + d +
                                "twice.md\n");
    EXPECT_EQ(Listing(dir.Path()), before);
    EXPECT_EQ(RunWith({"--sentences", "--check", dir / "done.md"}).status, kAllConverted);
    EXPECT_EQ(RunWith({"--sentences", "--check", dir / "done.md", dir / "none.md"}).status, kNotAllChecked);

    arguments[1] = "--in-place";
    const RunResult inPlace = RunWith(arguments);
    EXPECT_EQ(inPlace.status, kSomeFailed);
    EXPECT_EQ(inPlace.errors, "brantlewick-cli: " + d +
                                  "link.md: is a symbolic link; only a regular file is "
                                  "converted in place\nbrantlewick-cli: " +
                                  d +
                                  "twice.md: has 2 hard links; only "
                                  "a file with one name is converted in place\n");
    EXPECT_EQ(inPlace.summary,
              "brantlewick-cli: 6 files converted in place (5 changed), 2 failed, 54 bytes in, "
              "56 bytes out, 7 breaks inserted");
    for (const std::string& name : changing) {
        EXPECT_EQ(ReadBytes(dir / name), name == "plain.txt" ? "Hi.\r\nBye.\r\n" : "Hi.\nBye.\n") << name;
    }
    EXPECT_EQ(ReadBytes(dir / "twice.md"), "Hi. Bye.\n");
    EXPECT_TRUE(fs::is_symlink(dir / "link.md"));
    EXPECT_EQ(
        fs::last_write_time(dir / "done.md"),
        fs::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(1'000'000'000))));
    EXPECT_EQ(testing::ListNames(dir.Path()).find(".brantlewick-"), std::string::npos);
    // The result is written from where it first differs; the file's start, several reads long, is copied.
    std::string lines;
    for (int i = 0; i < 12000; ++i) {
        lines += "Go on.\n";
    }
    WriteBytes(dir / "long.md", lines + "Hi. Bye.\n");
    ASSERT_EQ(RunWith({"-q", "--sentences", "--in-place", dir / "long.md"}).status, kAllConverted);
    EXPECT_EQ(ReadBytes(dir / "long.md"), lines + "Hi.\nBye.\n");

    SKIP_WITHOUT_ORDINARY_USER();
    // Root gives the result its input's owner and group; an ordinary user's read-only file is refused.
    ::chown((dir / "sp ace.md").c_str(), 65534, 65534);
    WriteBytes(dir / "sp ace.md", "Hi. Bye.\n");
    ASSERT_EQ(RunWith({"-q", "--sentences", "--in-place", dir / "sp ace.md"}).status, kAllConverted);
    struct stat info {};
    ::stat((dir / "sp ace.md").c_str(), &info);
    EXPECT_EQ(std::to_string(info.st_uid) + ":" + std::to_string(info.st_gid),
              ::geteuid() == 0 ? "65534:65534"
                               : std::to_string(::geteuid()) + ":" + std::to_string(::getegid()));
    ::chmod(dir.Path().c_str(), 0777);
    const std::string readOnly = testing::RunAsOrdinaryUser([&] {
        WriteBytes(dir / "ro.md", "Hi. Bye.\n");
        ::chmod((dir / "ro.md").c_str(), 0444);
        const RunResult run = RunWith({"--sentences", "--in-place", dir / "ro.md"});
        return std::to_string(run.status) + " " + run.errors + ReadBytes(dir / "ro.md");
    });
    EXPECT_EQ(readOnly,
              "1 brantlewick-cli: " + d + "ro.md: is read-only; it is not converted in place\nHi. Bye.\n");
    if (::geteuid() != 0) {
        return;
    }
    // A group the user is no member of cannot be kept: its bits go, so that no stranger gains the result,
    // and so does a set-ID bit whose owner or group is not kept, which would run the file as another.
    for (const auto& [name, owner, group] : {std::tuple{"group.md", 65534, 0}, {"setuid.md", 0, 65534}}) {
        WriteBytes(dir / name, "Hi. Bye.\n");
        ::chown((dir / name).c_str(), owner, group);
        ::chmod((dir / name).c_str(), 06774);
    }
    testing::RunAsOrdinaryUser([&] {
        return std::to_string(
            RunWith({"--sentences", "--in-place", dir / "group.md", dir / "setuid.md"}).status);
    });
    ::stat((dir / "group.md").c_str(), &info);
    EXPECT_EQ(std::to_string(info.st_mode & 07777) + " " + std::to_string(info.st_gid),
              "2500 65534"); // 04704
    EXPECT_EQ(fs::status(dir / "setuid.md").permissions(), fs::perms(02774));
}

// In place on a full disk, the input stays as it was and no temporary is left.
TEST(CommandLineTest, InPlaceOnAFullDiskLeavesTheInput) {
    const std::string unshare = MountNamespace();
    if (unshare.empty()) {
        GTEST_SKIP() << "no mount namespace to mount a small file system in";
    }
    TempDir dir;
    ::mkdir((dir / "disk").c_str(), 0700);
    std::string text;
    for (int i = 0; i < 60'000; ++i) {
        text += "Go. ";
    }
    WriteBytes(dir / "big.txt", text);
    WriteBytes(dir / "run.sh",
               "mount -t tmpfs -o size=400k tmpfs disk || exit 9\ncp big.txt disk/\n'" BRANTLEWICK_PROGRAM_DIR
               "/brantlewick-cli' -q --sentences --in-place disk/big.txt"
               " 2>log\necho \"$?\"; cat log; ls -A disk; cmp big.txt disk/big.txt && echo same\n");
    ASSERT_EQ(std::system(("cd '" + dir.Path() + "' && " + unshare + "sh run.sh >result").c_str()), 0);
    EXPECT_EQ(ReadBytes(dir / "result"),
              "1\nbrantlewick-cli: disk/big.txt: cannot write: No space left on device\nbig.txt\nsame\n");
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
            ::execl(kProgram.c_str(), kProgram.c_str(), "-q", "-j", "4", "-o", out.c_str(),
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

// A reader that goes away (`| head`) ends the run as SIGTERM does: 141, no temporary left (there were
// hundreds). Results waiting under a name (few open files) are about as many as the jobs, not the files.
TEST(CommandLineTest, AReaderThatGoesAwayEndsTheRunCleanly) {
    TempDir dir;
    std::filesystem::create_directories(dir / "in");
    for (int i = 0; i < 2000; ++i) {
        WriteBytes(dir / ("in/" + std::to_string(i)), "One. Two.");
    }
    const auto named = [&] {
        return std::ranges::count_if(std::filesystem::directory_iterator(dir / "in"), [](const auto& entry) {
            return entry.path().filename().string().starts_with(".brantlewick-");
        });
    };
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(ends[1], STDERR_FILENO);
        const rlimit files{64, 64};
        ::setrlimit(RLIMIT_NOFILE, &files);
        ::execl(BRANTLEWICK_PROGRAM_DIR "/brantlewick-cli", "brantlewick-cli", "-v", "-j4",
                (dir / "in").c_str(), nullptr);
        std::_Exit(127);
    }
    ::close(ends[1]);
    // No line is read: the run stops on the full pipe, while the files converted ahead wait.
    std::ptrdiff_t waiting = 0;
    for (std::ptrdiff_t polls = 0, before = 1; polls < 1000 && (waiting == 0 || waiting != before); ++polls) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        before = std::exchange(waiting, named());
    }
    // About as many as the jobs, never the files: the count, taken while the run stalls, found 6 with four
    // jobs on a loaded machine, so the bound is two a job.
    EXPECT_TRUE(waiting > 0 && waiting <= 8) << waiting;
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 141) << status;
    EXPECT_EQ(named(), 0);
}

// Interrupted in place at any moment, every input is whole: as it was or wholly converted, never cut, and
// no temporary file is left beside it.
TEST(CommandLineTest, AnInterruptedRunInPlaceLeavesEveryInputWhole) {
    namespace fs = std::filesystem;
    TempDir dir;
    constexpr int kFiles = 1000;
    std::mt19937 random(7);
    int interrupted = 0;
    for (int round = 0; round < 6; ++round) {
        const std::string in = dir / ("in" + std::to_string(round));
        fs::create_directory(in);
        for (int i = 0; i < kFiles; ++i) {
            WriteBytes(in + "/" + std::to_string(i) + ".md", "One. Two " + std::to_string(i) + ".\n");
        }
        const int signal = round % 2 == 0 ? SIGINT : SIGTERM;
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(kProgram.c_str(), kProgram.c_str(), "-q", "--sentences", "--in-place", in.c_str(),
                    nullptr);
            std::_Exit(127);
        }
        // Once the run has begun: a signal before the program handles them would only show the shell's way.
        for (int wait = 0; wait < 100000 && ReadBytes(in + "/0.md").starts_with("One. "); ++wait) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::size_t converted = 0;
        for (const auto& entry : fs::directory_iterator(in)) {
            const std::string number = entry.path().stem().string();
            const std::string bytes = ReadBytes(entry.path());
            ASSERT_TRUE(bytes == "One. Two " + number + ".\n" || bytes == "One.\nTwo " + number + ".\n")
                << entry.path() << ": " << bytes;
            converted += bytes.find('\n') < bytes.size() - 1 ? 1 : 0;
        }
        EXPECT_EQ(testing::ListNames(in).find(".brantlewick-"), std::string::npos);
        const int ended = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        EXPECT_TRUE(ended == 128 + signal || (ended == 0 && converted == kFiles)) << round << ": " << ended;
        interrupted += converted < kFiles ? 1 : 0;
    }
    EXPECT_GT(interrupted, 2);
}

} // namespace
} // namespace brantlewick::cli
