// SPDX-License-Identifier: GPL-3.0-or-later
// Path splitting and clean-up on literal paths, and the silent file tests on a real folder.
#include "brantlewick/filesystem/PathHelpers.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <tuple>

namespace brantlewick {
namespace {

using testing::TempDir;

TEST(PathHelpersTest, SplitsPathsAtTheLastSeparator) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/Docs/a.txt", "a.txt", "/Docs/"}, {"a.txt", "a.txt", ""}, {"/v1.2/README", "README", "/v1.2/"},
        {"/Docs/", "", "/Docs/"},           {"", "", ""},           {"/", "", "/"},
        {"a\\b.txt", "a\\b.txt", ""}, // a backslash is an ordinary character here
    };
    for (const auto& [path, fileName, folder] : cases) {
        EXPECT_EQ(FileNameOf(path), fileName) << path;
        EXPECT_EQ(FolderOf(path), folder) << path;
    }
}

TEST(PathHelpersTest, CleanPathCollapsesPairsInOnePassAndLeadingRunsToOne) {
    const std::pair<const char*, const char*> cases[] = {{"/Docs//a//b.txt", "/Docs/a/b.txt"},
                                                         {"Docs//a", "Docs/a"},
                                                         {"a///b", "a//b"},
                                                         {"a////b", "a//b"},
                                                         {"//server/share/a.txt", "/server/share/a.txt"},
                                                         {"///x", "/x"},
                                                         {"////", "/"},
                                                         {"/", "/"},
                                                         {"", ""},
                                                         {"//a///b", "/a//b"},
                                                         {"/Docs//", "/Docs/"}};
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(CleanPath(input), expected) << input;
    }
}

TEST(PathHelpersTest, SilentTestsAnswerFalseOnAnythingOdd) {
    TempDir dir;
    testing::WriteBytes(dir / "file.txt", "x");
    const std::tuple<std::string, bool, bool> cases[] = {
        {dir.Path(), true, true},
        {dir.Path() + "/", true, true},
        {dir / "file.txt", false, true},
        {dir / "missing", false, false},
        {"", false, false},
        {dir / "file.txt/below", false, false},
    };
    for (const auto& [path, folder, exists] : cases) {
        EXPECT_EQ(IsFolder(path), folder) << path;
        EXPECT_EQ(PathExists(path), exists) << path;
    }
}

} // namespace
} // namespace brantlewick
