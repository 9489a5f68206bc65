// SPDX-License-Identifier: GPL-3.0-or-later
// Previews of real files: the part read, where it is cut, and the edits marked in the result.
#include "brantlewick/files/Preview.h"
#include "ExactError.h"
#include "Rows.h"
#include "TempDir.h"
#include "brantlewick/files/EngineError.h"

#include <gtest/gtest.h>

namespace brantlewick {
namespace {

using namespace std::string_literals;

// The result with "¶" where each inserted pair starts and "·" where each dropped blank was.
std::string Marked(const Preview& preview) {
    std::string marked;
    std::uint64_t from = 0;
    for (const Edit& edit : preview.edits) {
        marked += preview.result.substr(from, edit.at - from);
        from = edit.at;
        for (std::uint64_t i = 0; i < edit.count; ++i) {
            marked += edit.kind == Edit::Kind::Breaks ? "¶" : "·";
        }
    }
    return marked + preview.result.substr(from);
}

TEST(PreviewTest, ConvertsTheStartOfTheFileAndMarksItsEdits) {
    const ConversionOptions reflow{{"."}, 2, LineBreaks::Reflow};
    const struct {
        std::string file;
        ConversionOptions options;
        std::size_t limit;
        std::string original, marked;
        std::vector<std::uint64_t> counts; // breaks, spaces, lines in and out
        bool cut = false;
    } cases[] = {
        {"Hi. Bye!  Ok", {}, 12, "", "Hi.¶\r\n·Bye!¶\r\n· Ok", {2, 2, 1, 3}},
        {"One. Two\nthree.\n\nFour", reflow, 99, "", "One.¶¶\n\n·Two three.¶¶\n\nFour\n", {4, 1, 4, 5}},
        {"\xFF\xFE\x41\0.\0 \0B\0"s, {}, 99, "A. B", "A.¶\r\n·B", {1, 1, 1, 2}},
        // A UTF-8 mark once kept the blanks that start the first line.
        {"\xEF\xBB\xBF  A. B", reflow, 99, "", "\xEF\xBB\xBF\x41.¶¶\r\n\r\n·B\r\n", {2, 1, 1, 3}},
        // Cut after the last line end within the limit, a CR LF pair kept whole, else between characters.
        {"ab.\ncd. ef\ngh", {}, 11, "ab.\ncd. ef\n", "ab.¶\r\ncd.¶\r\n·ef", {2, 1, 2, 3}, true},
        // A file exactly as long as the limit is whole, its last line too.
        {"ab.\ncd. ef\ngh", {}, 13, "", "ab.¶\r\ncd.¶\r\n·efgh", {2, 1, 3, 3}},
        {"a.\r\nb", {}, 3, "a.\r\n", "a.¶\r\n", {1, 0, 1, 1}, true},
        {"a.\n\nb", {}, 3, "a.\n", "a.¶\r\n", {1, 0, 1, 1}, true},
        {"a\xE2\x80\xA6\xE2\x80\xA6", {}, 6, "a\xE2\x80\xA6", "a\xE2\x80\xA6", {0, 0, 1, 1}, true},
    };
    testing::TempDir dir;
    FOR_EACH_ROW(c, cases) {
        testing::WriteBytes(dir / "in.txt", c.file);
        const Preview preview = PreviewFile(dir / "in.txt", c.options, c.limit);
        const std::string original = c.original.empty() ? c.file : c.original;
        EXPECT_EQ(preview.original, original);
        EXPECT_EQ(Marked(preview), c.marked);
        const ConversionCounts& k = preview.counts;
        EXPECT_EQ((std::vector{k.breaksInserted, k.spacesDropped, k.linesIn, k.linesOut}), c.counts)
            << original;
        EXPECT_EQ(preview.cut, c.cut);
        EXPECT_EQ(preview.fileSize, c.file.size());
    }
    EXPECT_ENGINE_ERROR(PreviewFile(dir / "missing.txt", {}), dir / "missing.txt",
                        "cannot open: No such file or directory");
    testing::WriteBytes(dir / "in.txt", "\x89PNG\0\0"s);
    EXPECT_ENGINE_ERROR(PreviewFile(dir / "in.txt", {}), dir / "in.txt",
                        "not a text file: it holds NUL bytes (a UTF-16 or UTF-32 text needs its byte-order "
                        "mark); not converted");
}

// 32,767 Enters made a preview's result of 256 KiB of short sentences gigabytes long (the window froze, or
// ran out of memory): the preview shows the longest start whose result stays within 100,000 lines, cut at
// a line end, and says so.
TEST(PreviewTest, AResultTooLongToShowIsCutWithItsOriginal) {
    testing::TempDir dir;
    std::string text = "Hi. Bye.\n";
    while (text.size() < 300000) {
        text += "Go on.\n";
    }
    testing::WriteBytes(dir / "in.txt", text);
    ConversionOptions options;
    options.enterCount = 32767;
    const Preview preview = PreviewFile(dir / "in.txt", options);
    EXPECT_EQ(preview.original, "Hi. Bye.\nGo on.\n");
    EXPECT_TRUE(preview.cut && preview.resultTooLong);
    EXPECT_EQ(preview.counts.breaksInserted, 3u * 32767);
    testing::WriteBytes(dir / "in.txt", "Hi. Bye.\n" + std::string(300000, 'x'));
    EXPECT_FALSE(PreviewFile(dir / "in.txt", options).resultTooLong);
}

} // namespace
} // namespace brantlewick
