// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for AsciiDoc, reStructuredText and LaTeX never changes what a document means and is
// its own fixed point, judged by each format's reader: Asciidoctor's HTML, docutils' HTML (what Sphinx
// reads with), pandoc's LaTeX reader's AST. The corpus and a fixed number of random documents from fixed
// seeds, each in one of the nine languages, converted in random pieces; the readers render every document
// of a format in one process. BRANTLEWICK_FORMAT_DOCUMENTS and BRANTLEWICK_FORMAT_SEED ask for more
// documents and other seeds (outside the gate, to hunt for faults).
#include "Converting.h"
#include "FormatDocuments.h"
#include "ReaderProcess.h"
#include "TempDir.h"
#include "brantlewick/engine/Conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>

namespace brantlewick {
namespace {

using testing::ConvertInPieces;
using testing::Difference;

constexpr std::uint32_t kDocuments = 1500; // per format, in the gate

std::uint32_t FromEnvironment(const char* name, std::uint32_t otherwise) {
    const char* value = std::getenv(name);
    return value == nullptr ? otherwise : static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
}

// What the format's reader makes of each document, white space collapsed, one process for all, held to
// limits of memory and time: a document the reader cannot render within them is left unjudged.
std::vector<std::optional<std::string>> Render(TextFormat format, const std::vector<std::string>& documents) {
    const std::string readers = BRANTLEWICK_SOURCE_DIR "/tests/support/readers/";
    testing::ReaderCommand reader;
    switch (format) {
    case TextFormat::AsciiDoc:
        reader = {"Asciidoctor", {"/usr/bin/ruby", readers + "render.rb", "{batch}", "asciidoctor"}, {}};
        break;
    case TextFormat::ReStructuredText:
        reader = {"docutils", {"/usr/bin/python3", readers + "render.py", "{batch}", "docutils"}, {}};
        break;
    default:
        reader = {
            "pandoc",
            {"/usr/bin/pandoc", "--lua-filter", readers + "render.lua", "-t", "plain", "-o", "/dev/null"},
            {"BATCH={batch}", "READERS=latex"}};
        break;
    }
    const testing::TempDir dir;
    testing::ReaderResults results =
        RenderEach(reader, std::vector<std::string_view>(documents.begin(), documents.end()), dir.Path());
    EXPECT_EQ(results.failure, "");
    if (results.skipped > 0) {
        std::printf("%s: %zu of %zu documents skipped, past the limits of memory or time\n",
                    reader.name.c_str(), results.skipped, documents.size());
    }
    return std::move(results.texts);
}

struct Sample {
    std::string name, text;
    Language language;
    LineBreaks lines;
};

void CheckFormat(TextFormat format, const std::string& extension) {
    std::vector<Sample> samples;
    const std::filesystem::path corpus = BRANTLEWICK_SOURCE_DIR "/tests/engine/formats/corpus";
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (entry.path().extension() == extension) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            for (const Language language : {Language::English, Language::German, Language::Japanese}) {
                samples.push_back({entry.path().filename().string(), text.str(), language, LineBreaks::Join});
            }
            samples.push_back(
                {entry.path().filename().string(), text.str(), Language::English, LineBreaks::Keep});
        }
    }
    const std::uint32_t first = FromEnvironment("BRANTLEWICK_FORMAT_SEED", 0);
    const std::uint32_t count = FromEnvironment("BRANTLEWICK_FORMAT_DOCUMENTS", kDocuments);
    for (std::uint32_t seed = first; seed < first + count; ++seed) {
        samples.push_back({"seed " + std::to_string(seed), testing::RandomDocument(format, seed),
                           kLanguages.at(seed % kLanguages.size()).language,
                           seed % 4 == 0 ? LineBreaks::Keep : LineBreaks::Join});
    }
    std::mt19937 random(7);
    std::vector<std::string> documents;
    std::vector<std::size_t> changed;
    int failures = 0;
    for (std::size_t i = 0; i < samples.size() && failures < 3; ++i) {
        const ConversionOptions options =
            testing::SentenceModeOptions(format, samples[i].lines, samples[i].language);
        const std::string once = ConvertInPieces(samples[i].text, options, random);
        const std::string twice = ConvertInPieces(once, options, random);
        if (twice != once) {
            ++failures;
            ADD_FAILURE() << samples[i].name << " in " << LanguageCode(samples[i].language)
                          << " changes again\n--- document\n"
                          << samples[i].text << "\n--- converted\n"
                          << once << "\n--- converted again\n"
                          << twice;
        }
        if (once != samples[i].text) {
            changed.push_back(i);
            documents.push_back(samples[i].text);
            documents.push_back(once);
        }
    }
    const std::vector<std::optional<std::string>> rendered = Render(format, documents);
    for (std::size_t k = 0; k < changed.size() && failures < 6; ++k) {
        const auto& before = rendered[2 * k];
        const auto& after = rendered[2 * k + 1];
        if (before && after && *before != *after) {
            ++failures;
            const Sample& sample = samples[changed[k]];
            ADD_FAILURE() << sample.name << " in " << LanguageCode(sample.language)
                          << " renders differently\n--- document\n"
                          << sample.text << "\n--- converted\n"
                          << documents[2 * k + 1] << Difference(*before, *after);
        }
    }
    EXPECT_GT(changed.size(), samples.size() / 2) << "hardly anything was re-broken";
}

TEST(FormatsProperty, AsciiDocRendersTheSameUnderAsciidoctorAndStaysFixed) {
    CheckFormat(TextFormat::AsciiDoc, ".adoc");
}

TEST(FormatsProperty, ReStructuredTextRendersTheSameUnderDocutilsAndStaysFixed) {
    CheckFormat(TextFormat::ReStructuredText, ".rst");
}

TEST(FormatsProperty, LaTeXReadsTheSameUnderPandocAndStaysFixed) {
    CheckFormat(TextFormat::LaTeX, ".tex");
}

} // namespace
} // namespace brantlewick
