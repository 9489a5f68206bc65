// SPDX-License-Identifier: GPL-3.0-or-later
// The block scanner against cmark-gfm, the reader it follows: over the corpora and random documents,
// every paragraph has the same first and last line in both, but for those whose last line made them a
// heading or a table's header and those that may be link reference definitions, which the scanner
// reads as paragraphs that stay as they are, and those under footnote definitions, which cmark-gfm reads
// as containers (their lines are code or lazy lines to the scanner, left as they are or re-broken the
// same for both).
#include "markdown/BlockScanner.h"
#include "MarkdownDocuments.h"
#include "MarkdownRender.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace brantlewick {
namespace {

using Lines = std::vector<std::pair<int, int>>;

// The scanner's paragraphs, and the ones it reads as such where cmark-gfm sees none or other ones.
struct Paragraphs {
    Lines compared, skipped;
    int lines = 0;
};

Paragraphs ScannerParagraphs(std::string_view text) {
    markdown::BlockScanner scanner;
    Paragraphs found;
    int number = 0;
    int start = 0;
    bool skip = false;
    const auto close = [&](int last) {
        if (start > 0) {
            (skip ? found.skipped : found.compared).emplace_back(start, last);
        }
        start = 0;
    };
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        const prose::LineReading reading = scanner.Read(line);
        ++number;
        switch (reading.role) {
        case prose::LineRole::ParagraphStart:
            close(number - 1);
            start = number;
            skip = line.find_first_not_of(" \t", reading.textStart) < line.size() &&
                   line[line.find_first_not_of(" \t", reading.textStart)] == '[';
            break;
        case prose::LineRole::Continuation:
            break;
        case prose::LineRole::Closes:
            skip = true;
            close(number);
            break;
        case prose::LineRole::Other:
            close(number - 1);
            break;
        }
    }
    close(number);
    found.lines = number;
    return found;
}

bool Overlaps(const Lines& lines, std::pair<int, int> range) {
    return std::any_of(lines.begin(), lines.end(),
                       [range](auto l) { return l.first <= range.second && range.first <= l.second; });
}

void ExpectSameParagraphs(const std::string& name, std::string_view text) {
    const Paragraphs ours = ScannerParagraphs(text);
    // cmark-gfm drops a footnote's definition that nothing refers to, with its paragraphs: a reference
    // to each, in a paragraph after the text, keeps them.
    std::string referenced(text);
    referenced += "\n\n";
    for (std::size_t at = text.find("[^"); at != std::string_view::npos; at = text.find("[^", at + 1)) {
        const std::size_t close = text.find("]:", at);
        if (close != std::string_view::npos &&
            text.substr(at + 2, close - at - 2).find_first_of("[]\r\n") == std::string_view::npos) {
            referenced.append(text.substr(at, close + 1 - at));
        }
    }
    Lines inFootnotes;
    Lines theirs = testing::ParagraphLines(referenced, inFootnotes);
    // cmark-gfm gives no lines to the part of a paragraph that a table's header splits off; the scanner
    // keeps such a paragraph as it is.
    std::erase_if(theirs,
                  [&ours](auto paragraph) { return paragraph.first > ours.lines || paragraph.first == 0; });
    for (const auto& paragraph : ours.compared) {
        EXPECT_TRUE(std::binary_search(theirs.begin(), theirs.end(), paragraph) ||
                    Overlaps(inFootnotes, paragraph))
            << name << ": lines " << paragraph.first << " to " << paragraph.second
            << " are no paragraph for cmark-gfm\n"
            << text;
    }
    for (const auto& paragraph : theirs) {
        EXPECT_TRUE(std::find(ours.compared.begin(), ours.compared.end(), paragraph) != ours.compared.end() ||
                    Overlaps(ours.skipped, paragraph))
            << name << ": lines " << paragraph.first << " to " << paragraph.second
            << " are no paragraph for the scanner\n"
            << text;
    }
}

TEST(BlockScanner, ParagraphsAreCmarkGfms) {
    for (const char* folder : {"corpus", "flavours"}) {
        const std::filesystem::path corpus =
            std::filesystem::path(BRANTLEWICK_SOURCE_DIR "/tests/engine/markdown") / folder;
        for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
            const std::string text = testing::ReadBytes(entry.path().string());
            if (!text.starts_with("\xFF\xFE") && !text.starts_with("\xFE\xFF")) { // UTF-16 is read elsewhere
                ExpectSameParagraphs(entry.path().filename().string(), text);
            }
        }
    }
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
        const std::string text =
            seed % 2 == 0 ? testing::RandomMarkdown(seed) : testing::RandomFlavouredMarkdown(seed);
        // Debian's cmark-gfm reads freed memory where a character reference follows a bracket. It also
        // drops the text of a footnote's definition that repeats a label.
        if (text.find("[&") == std::string::npos && text.find("[^1]:") == text.rfind("[^1]:")) {
            ExpectSameParagraphs("seed " + std::to_string(seed), text);
        }
        if (HasFailure()) {
            break;
        }
    }
}

} // namespace
} // namespace brantlewick
