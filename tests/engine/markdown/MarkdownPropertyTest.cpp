// SPDX-License-Identifier: GPL-3.0-or-later
// The Markdown mode never changes what a document means and is its own fixed point: on the documents
// of the corpus (through files, UTF-16 included) and on 10,000 random ones (in memory, in random pieces).
#include "Converting.h"
#include "MarkdownDocuments.h"
#include "MarkdownRender.h"
#include "PathologicalMarkdown.h"
#include "TempDir.h"
#include "brantlewick/engine/Conversion.h"
#include "brantlewick/files/ConvertFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iconv.h>
#include <memory>
#include <random>

namespace brantlewick {
namespace {

using testing::ConvertInPieces;
using testing::Difference;

constexpr std::uint32_t kCorpusFiles = 6;

ConversionOptions Markdown(LineBreaks lines = LineBreaks::Join, Language language = Language::English) {
    return testing::SentenceModeOptions(TextFormat::Markdown, lines, language);
}

// Each seed in a language of its own, all nine in turn. Beyond them, seeds that once failed: in Russian,
// lazy continuation lines of nested lists and quotes, indented with tabs, rendered differently after the run.
TEST(MarkdownProperty, RandomDocumentsRenderTheSameAndStayFixed) {
    std::mt19937 random(7);
    int failures = 0;
    std::vector<std::pair<std::uint32_t, Language>> seeds;
    for (std::uint32_t seed = 0; seed < 10000 - 9 * kCorpusFiles; ++seed) {
        seeds.emplace_back(seed, kLanguages.at(seed % kLanguages.size()).language);
    }
    seeds.insert(seeds.end(), {{16214, Language::Russian}, {31232, Language::Russian}});
    for (const auto& [seed, language] : seeds) {
        if (failures == 3) {
            break;
        }
        const std::string document = testing::RandomMarkdown(seed);
        const ConversionOptions options =
            Markdown(seed % 4 == 0 ? LineBreaks::Keep : LineBreaks::Join, language);
        const std::string once = ConvertInPieces(document, options, random);
        const std::string twice = ConvertInPieces(once, options, random);
        const std::string before = testing::RenderCollapsed(document);
        const std::string after = testing::RenderCollapsed(once);
        if (before != after || twice != once) {
            ++failures;
            ADD_FAILURE() << "seed " << seed << " in " << LanguageCode(language)
                          << (before == after ? " changes again" : Difference(before, after))
                          << "\n--- document\n"
                          << document << "\n--- converted\n"
                          << once << "\n--- converted again\n"
                          << twice;
        }
    }
}

// Inputs that make naive readers slow (`markdown_bench --pathological` times them), at a thirtieth of the
// benchmark's size, where cmark-gfm renders each in a moment: what the mode makes of them renders the same
// and stays as it is on a second run, and it is no longer than the input but for one line end and a short
// prefix a break (a deep list item's prefix would be thousands of spaces on every line).
TEST(MarkdownProperty, PathologicalInputs) {
    for (const auto& c : pathological::kCases) {
        const std::string document = c.make(c.squared ? c.n / 6 : c.n / 32);
        for (const LineBreaks lines : {LineBreaks::Join, LineBreaks::Keep}) {
            ConversionCounts counts;
            const std::string once = ConvertText(document, Markdown(lines), &counts);
            EXPECT_TRUE(ConvertText(once, Markdown(lines)) == once) << c.name << " changes again";
            EXPECT_LE(once.size(), document.size() + counts.breaksInserted * (1 + 64)) << c.name;
            if (lines == LineBreaks::Join) {
                EXPECT_TRUE(testing::RenderCollapsed(document) == testing::RenderCollapsed(once))
                    << c.name << " renders differently";
            }
        }
    }
}

// UTF-16 with its mark as UTF-8, for the renderer, as glibc's iconv reads it; anything else as it is.
std::string AsUtf8(std::string bytes) {
    if (!bytes.starts_with("\xFF\xFE") && !bytes.starts_with("\xFE\xFF")) {
        return bytes;
    }
    std::string out(2 * bytes.size(), '\0');
    char* in = bytes.data();
    char* cursor = out.data();
    std::size_t inLeft = bytes.size();
    std::size_t outLeft = out.size();
    const iconv_t converter = ::iconv_open("UTF-8", "UTF-16");
    EXPECT_NE(::iconv(converter, &in, &inLeft, &cursor, &outLeft), static_cast<std::size_t>(-1));
    ::iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

TEST(MarkdownProperty, CorpusRendersTheSameAndStaysFixed) {
    const std::filesystem::path corpus = BRANTLEWICK_SOURCE_DIR "/tests/engine/markdown/corpus";
    const testing::TempDir dir;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        ++files;
        const std::string once = dir / "once";
        const std::string twice = dir / "twice";
        for (const LanguageRow& row : kLanguages) {
            const Language language = row.language;
            const ConversionOptions options = Markdown(
                entry.path().filename().string().starts_with("keep") ? LineBreaks::Keep : LineBreaks::Join,
                language);
            ConvertFile(entry.path().string(), once, options);
            ConvertFile(once, twice, options);
            const std::string before = testing::ReadBytes(entry.path().string());
            const std::string after = testing::ReadBytes(once);
            EXPECT_EQ(testing::RenderCollapsed(AsUtf8(before)), testing::RenderCollapsed(AsUtf8(after)))
                << entry.path().filename() << " in " << LanguageCode(language) << "\n"
                << AsUtf8(after);
            EXPECT_EQ(testing::ReadBytes(twice), after)
                << entry.path().filename() << " in " << LanguageCode(language);
            EXPECT_NE(after, before) << entry.path().filename() << ": nothing was re-broken";
        }
    }
    // The random documents make up the rest of 10,000.
    EXPECT_EQ(files, kCorpusFiles);
}

} // namespace
} // namespace brantlewick
