// Output names: the suffix rule on literal paths, and the never-an-input rule on a real folder.
#include "OutputNaming.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace brantlewick {
namespace {

using testing::TempDir;
using Folder = std::optional<std::string>;

TEST(OutputNamingTest, NamesOutputsAsTheWindowDoes) {
    const OutputNamer namer;
    struct Case {
        std::string input;
        Folder folder;
        std::string expected;
    };
    const Case cases[] = {
        {"/Docs/a.txt", std::nullopt, "/Docs/a-Pellnor.txt"},
        {"/Docs/a.txt", "/Out", "/Out/a.txt"},
        {"/Docs/a.txt", "/Out/", "/Out/a.txt"},
        {"/Docs/a.txt", "/Docs/", "/Docs/a-Pellnor.txt"},
        {"/Docs/a.txt", "/Docs", "/Docs/a-Pellnor.txt"},
        {"/Docs/archive.tar.gz", std::nullopt, "/Docs/archive.tar-Pellnor.gz"},
        {"/Docs/README", std::nullopt, "/Docs/README-Pellnor."},
        {"/Docs/.profile", std::nullopt, "/Docs/-Pellnor.profile"},
        // A dot in a folder name never moves the output into another folder.
        {"/v1.2/README", std::nullopt, "/v1.2/README-Pellnor."},
        {"/a.txt", std::nullopt, "/a-Pellnor.txt"},
        {"a.txt", std::nullopt, "a-Pellnor.txt"},
        {"//Docs//a.txt", std::nullopt, "/Docs/a-Pellnor.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(namer.OutputPathFor(c.input, c.folder), c.expected)
            << c.input << " in " << c.folder.value_or("-");
    }
}

TEST(OutputNamingTest, AnotherSpellingOfTheInputFolderStillGetsTheSuffix) {
    TempDir dir;
    ::mkdir((dir / "docs").c_str(), 0700);
    ::mkdir((dir / "docs/sub").c_str(), 0700);
    testing::WriteBytes(dir / "docs/a.txt", "x");
    ::symlink((dir / "docs").c_str(), (dir / "link").c_str());
    const std::string input = dir / "docs/a.txt";
    const OutputNamer namer({input});
    const std::pair<std::string, std::string> cases[] = {
        {dir / "docs", dir / "docs/a-Pellnor.txt"},
        {dir / "docs/.", dir / "docs/./a-Pellnor.txt"},
        {dir / "docs/sub/..", dir / "docs/sub/../a-Pellnor.txt"},
        {dir / "link", dir / "link/a-Pellnor.txt"},
        {dir / "./docs/", dir / "./docs/a-Pellnor.txt"},
    };
    for (const auto& [folder, expected] : cases) {
        EXPECT_EQ(namer.OutputPathFor(input, folder), expected) << folder;
    }
    EXPECT_EQ(namer.OutputPathFor(input, dir / "docs/sub"), dir / "docs/sub/a.txt");
}

TEST(OutputNamingTest, OutputsNeverLandOnAnInputOfTheBatch) {
    TempDir dir;
    ::mkdir((dir / "out").c_str(), 0700);
    testing::WriteBytes(dir / "a.txt", "x");
    testing::WriteBytes(dir / "a-Pellnor.txt", "an input too");
    testing::WriteBytes(dir / "other.txt", "y");
    ::link((dir / "other.txt").c_str(), (dir / "out/hard.txt").c_str());
    ::symlink((dir / "other.txt").c_str(), (dir / "out/soft.txt").c_str());
    testing::WriteBytes(dir / "hard.txt", "z");
    testing::WriteBytes(dir / "soft.txt", "w");

    const OutputNamer namer(
        {dir / "a.txt", dir / "a-Pellnor.txt", dir / "other.txt", dir / "hard.txt", dir / "soft.txt"});
    // The suffixed name is itself an input, so the suffix goes on again.
    EXPECT_EQ(namer.OutputPathFor(dir / "a.txt", std::nullopt), dir / "a-Pellnor-Pellnor.txt");
    // out/hard.txt and out/soft.txt are other names of the input other.txt.
    EXPECT_EQ(namer.OutputPathFor(dir / "hard.txt", dir / "out"), dir / "out/hard-Pellnor.txt");
    EXPECT_EQ(namer.OutputPathFor(dir / "soft.txt", dir / "out"), dir / "out/soft-Pellnor.txt");
    // A name of the batch's own input never wins over the "beside" rule either.
    EXPECT_EQ(namer.OutputPathFor(dir / "other.txt", std::nullopt), dir / "other-Pellnor.txt");
}

TEST(OutputNamingTest, SuffixIsPlacedInTheFileName) {
    EXPECT_EQ(WithOutputSuffix("/d/a.txt"), "/d/a-Pellnor.txt");
    EXPECT_EQ(WithOutputSuffix("/d.e/README"), "/d.e/README-Pellnor.");
    EXPECT_EQ(WithOutputSuffix("a.b.c"), "a.b-Pellnor.c");
    EXPECT_EQ(WithOutputSuffix("x."), "x-Pellnor.");
}

} // namespace
} // namespace brantlewick
