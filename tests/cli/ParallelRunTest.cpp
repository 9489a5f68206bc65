// brantlewick-cli with several jobs against one job, on a tree where names collide and files fail.
#include "CommandLine.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

namespace brantlewick::cli {
namespace {

// On a new tree: inputs that collide beside each other and in one folder, an old result, results that
// cannot be written ("b"), a file that is not text, one missing, one listed twice, one that only an earlier
// result creates ("late-Pellnor"), results that replace links to a folder through which a later input is
// reached ("lnk"), and enough files to keep the workers far ahead. Gives what was printed and the status.
std::string RunOnTree(const std::string& root, const char* jobs, const char* outputFolder, const char* mode) {
    namespace fs = std::filesystem;
    for (const char* folder : {"docs/sub/b-Pellnor.txt", "out/b.txt"}) {
        fs::create_directories(root + "/" + folder);
    }
    for (const auto& [name, bytes] : std::initializer_list<std::pair<const char*, std::string>>{
             {"docs/a.txt", "A. a"},
             {"docs/a-Pellnor.txt", "P. p"},
             {"docs/sub/a.txt", "S! s"},
             {"docs/sub/b.txt", "B? b"},
             {"docs/image.png", std::string("\x89PNG\0. x", 9)},
             {"late.txt", "L. l"},
             {"out/a.txt", "old"},
             {"lnk", "K. k"}}) {
        testing::WriteBytes(root + "/" + name, bytes);
    }
    for (int i = 0; i < 150; ++i) {
        testing::WriteBytes(root + "/docs/f" + std::to_string(i), "N. n " + std::to_string(i));
    }
    fs::create_directory_symlink("docs", root + "/lnk-Pellnor");
    fs::create_directory_symlink("../docs", root + "/out/lnk");
    std::vector<std::string> arguments = {"--jobs", jobs, mode};
    if (*outputFolder != '\0') {
        arguments.insert(arguments.end(), {"-o", root + "/" + outputFolder});
    }
    for (const char* path : {"docs", "docs/a.txt", "missing.txt", "late.txt", "late-Pellnor.txt", "lnk",
                             "lnk-Pellnor/f1", "out/lnk/f2"}) {
        arguments.push_back(root + "/" + path);
    }
    std::ostringstream messages;
    const int output = ::memfd_create("output", 0);
    const int status = Run(std::get<Options>(ParseArguments(arguments)), Streams{0, output, messages, true});
    std::string text(1 << 16, '\0');
    text.resize(static_cast<std::size_t>(::pread(output, text.data(), text.size(), 0)));
    ::close(output);
    text = std::regex_replace(text + messages.str(), std::regex(", [0-9.]+ s\n"), "\n") + "status " +
           std::to_string(status);
    for (std::size_t at; (at = text.find(root)) != std::string::npos;) {
        text.replace(at, root.size(), "ROOT");
    }
    return text;
}

TEST(ParallelRunTest, SeveralJobsWriteAndSayWhatOneJobDoes) {
    for (const auto& [outputFolder, mode] : {std::pair{"", "-v"}, {"out", "-v"}, {"", "--dry-run"}}) {
        const testing::TempDir one;
        const testing::TempDir several;
        const std::string expected = RunOnTree(one.Path(), "1", outputFolder, mode);
        EXPECT_TRUE(expected.ends_with("inserted\nstatus 1")) << expected;
        EXPECT_EQ(RunOnTree(several.Path(), "3", outputFolder, mode), expected);
        // Every file with its bytes, and no temporary file left.
        EXPECT_EQ(
            std::system(("diff -r --no-dereference '" + one.Path() + "' '" + several.Path() + "'").c_str()),
            0);
    }
}

} // namespace
} // namespace brantlewick::cli
