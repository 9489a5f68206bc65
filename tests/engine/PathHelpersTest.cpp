// Path splitting and clean-up on literal paths, and the silent file tests on a real folder.
#include "PathHelpers.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace brantlewick {
namespace {

using testing::TempDir;

struct SplitCase {
    const char* path;
    const char* fileName;
    const char* folder;
    const char* stripped;
    const char* extension;
};

TEST(PathHelpersTest, SplitsPathsAtTheLastSeparatorAndDot) {
    const SplitCase cases[] = {
        {"/Docs/a.txt", "a.txt", "/Docs/", "/Docs/a", "txt"},
        {"/Docs/a.b.txt", "a.b.txt", "/Docs/", "/Docs/a.b", "txt"},
        {"a.txt", "a.txt", "", "a", "txt"},
        {".profile", ".profile", "", ".profile", "profile"},
        {"/Docs/README", "README", "/Docs/", "/Docs/README", ""},
        // The last dot of the whole path counts, even inside a folder name.
        {"/v1.2/README", "README", "/v1.2/", "/v1", "2/README"},
        {"/Docs/", "", "/Docs/", "/Docs/", ""},
        {"", "", "", "", ""},
        {"a\\b.txt", "a\\b.txt", "", "a\\b", "txt"}, // a backslash is an ordinary character here
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileNameOf(c.path), c.fileName);
        EXPECT_EQ(FolderOf(c.path), c.folder);
        EXPECT_EQ(StripExtension(c.path), c.stripped);
        EXPECT_EQ(ExtensionOf(c.path), c.extension);
    }
}

TEST(PathHelpersTest, CleanPathCollapsesPairsInOnePassAndLeadingRunsToOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"/Docs//a//b.txt", "/Docs/a/b.txt"},
        {"Docs//a", "Docs/a"},
        {"a///b", "a//b"},  // one pass: three become two
        {"a////b", "a//b"}, // and four become two
        {"//server/share/a.txt", "/server/share/a.txt"},
        {"///x", "/x"},
        {"////", "/"},
        {"/", "/"},
        {"", ""},
        {"//a///b", "/a//b"},
        {"/Docs//", "/Docs/"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(CleanPath(input), expected) << input;
    }
}

TEST(PathHelpersTest, SilentTestsAnswerFalseOnAnythingOdd) {
    TempDir dir;
    testing::WriteBytes(dir / "file.txt", "x");
    EXPECT_TRUE(IsFolder(dir.Path()));
    EXPECT_TRUE(IsFolder(dir.Path() + "/"));
    EXPECT_FALSE(IsFolder(dir / "file.txt"));
    EXPECT_FALSE(IsFolder(dir / "missing"));
    EXPECT_FALSE(IsFolder(""));
    EXPECT_TRUE(PathExists(dir / "file.txt"));
    EXPECT_TRUE(PathExists(dir.Path()));
    EXPECT_FALSE(PathExists(dir / "missing"));
    EXPECT_FALSE(PathExists(""));
    EXPECT_FALSE(PathExists(dir / "file.txt/below"));
}

} // namespace
} // namespace brantlewick
