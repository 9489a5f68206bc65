// SPDX-License-Identifier: GPL-3.0-or-later
// The Markdown mode under the readers the flavours of Markdown are written for, all from Debian: each
// document of the flavour corpus (its name starts with its flavour) and random documents with every
// flavour's lines mixed in render the same before and after the conversion under each of its readers,
// white space collapsed, and a second run changes nothing. The readers outside this process get every
// document at once, in one pandoc, one Python and one Ruby process, side by side.
#include "MarkdownDocuments.h"
#include "MarkdownRender.h"
#include "TempDir.h"
#include "brantlewick/engine/Conversion.h"

#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace brantlewick {
namespace {

constexpr std::uint32_t kRandomDocuments = 500;

enum Reader : std::uint8_t {
    CmarkGfm,
    Md4c,
    PandocMarkdown,
    PandocGfm,
    PythonMarkdown,
    MarkdownIt,
    Myst,
    Kramdown,
    KramdownGfm,
    kReaders
};
constexpr std::array<std::string_view, kReaders> kReaderNames = {
    "cmark-gfm",   "md4c", "pandoc markdown", "pandoc gfm",  "Python-Markdown",
    "markdown-it", "MyST", "kramdown",        "kramdown GFM"};
using Readers = std::bitset<kReaders>;

Readers Of(std::initializer_list<Reader> readers) {
    Readers set;
    for (const Reader reader : readers) {
        set.set(reader);
    }
    return set;
}

// The readers each flavour is written for: GitHub renders files with cmark-gfm and GitHub Pages with
// kramdown's GFM input; MkDocs uses Python-Markdown; VitePress, Docusaurus, Hugo, Obsidian and DocFX
// readers are CommonMark ones with extensions, as markdown-it, md4c and cmark-gfm are.
const std::map<std::string, Readers, std::less<>> kFlavourReaders = {
    {"github", Of({CmarkGfm, Md4c, PandocGfm, MarkdownIt, KramdownGfm})},
    {"myst", Of({Myst, MarkdownIt, CmarkGfm})},
    {"mkdocs", Of({PythonMarkdown})},
    {"mdx", Of({MarkdownIt, CmarkGfm, Md4c})},
    {"hugo", Of({CmarkGfm, Md4c, MarkdownIt})},
    {"quarto", Of({PandocMarkdown})},
    {"vitepress", Of({MarkdownIt, CmarkGfm})},
    {"pandoc", Of({PandocMarkdown, PandocGfm})},
    {"obsidian", Of({CmarkGfm, MarkdownIt, Md4c})},
    {"kramdown", Of({Kramdown, KramdownGfm})},
    {"docfx", Of({CmarkGfm, MarkdownIt, Md4c})},
};

// The documents of the general generator (lazy lines, deep nesting, tabs) are read as cmark-gfm reads
// them, which the block scanner follows: markdown-it, md4c and pandoc's CommonMark reader take some of
// those finer points otherwise.
const Readers kCommonMarkReaders = Of({CmarkGfm});

struct Document {
    std::string name;
    Readers readers;
    std::string before;
    std::string after;
};

ConversionOptions Markdown(LineBreaks lines, Language language) {
    ConversionOptions options;
    options.sentences = true;
    options.format = TextFormat::Markdown;
    options.lines = lines;
    options.language = language;
    return options;
}

// Converts `text` and checks that a second run changes nothing.
Document Converted(std::string name, Readers readers, std::string text, const ConversionOptions& options) {
    std::string once = ConvertText(text, options);
    EXPECT_EQ(ConvertText(once, options), once) << name << " changes again\n--- converted\n" << once;
    return {std::move(name), readers, std::move(text), std::move(once)};
}

std::vector<Document> Documents() {
    std::vector<Document> documents;
    const std::filesystem::path corpus = BRANTLEWICK_SOURCE_DIR "/tests/engine/markdown/flavours";
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const std::string name = entry.path().filename().string();
        const auto readers = kFlavourReaders.find(name.substr(0, name.find('-')));
        EXPECT_NE(readers, kFlavourReaders.end()) << name << ": no such flavour";
        if (readers != kFlavourReaders.end()) {
            const std::string text = testing::ReadBytes(entry.path().string());
            for (const LineBreaks lines : {LineBreaks::Join, LineBreaks::Keep}) {
                documents.push_back(
                    Converted(name, readers->second, text, Markdown(lines, Language::English)));
            }
        }
    }
    constexpr std::array kLanguages = {Language::English, Language::German,  Language::French,
                                       Language::Spanish, Language::Russian, Language::Japanese};
    for (std::uint32_t seed = 0; seed < kRandomDocuments; ++seed) {
        const ConversionOptions options = Markdown(seed % 3 == 0 ? LineBreaks::Keep : LineBreaks::Join,
                                                   kLanguages.at(seed % kLanguages.size()));
        const bool plain = seed % 2 == 0;
        std::string text =
            plain ? testing::RandomPlainFlavouredMarkdown(seed) : testing::RandomFlavouredMarkdown(seed);
        // A lone CR ends no line for pandoc and kramdown: such documents are left to the other tests.
        for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 1)) {
            text[at] = at + 1 < text.size() && text[at + 1] == '\n' ? '\r' : '\n';
        }
        documents.push_back(Converted((plain ? "plain random seed " : "random seed ") + std::to_string(seed),
                                      plain ? Readers().set() : kCommonMarkReaders, text, options));
    }
    return documents;
}

// Each text as its length, a line end and its bytes, as the reader scripts read and write them.
void WriteBatch(const std::string& path, const std::vector<Document>& documents) {
    std::ofstream batch(path, std::ios::binary);
    for (const Document& document : documents) {
        for (const std::string* text : {&document.before, &document.after}) {
            batch << text->size() << '\n' << *text;
        }
    }
}

std::vector<std::string> ReadBatch(const std::string& path) {
    std::vector<std::string> texts;
    std::ifstream batch(path, std::ios::binary);
    std::size_t size = 0;
    while (batch >> size && batch.get() == '\n') {
        std::string text(size, '\0');
        batch.read(text.data(), static_cast<std::streamsize>(size));
        texts.push_back(testing::Collapsed(text));
    }
    return texts;
}

// renderings[reader][i]: text i of the batch (each document's before and after in turn) under the reader.
using Renderings = std::array<std::vector<std::string>, kReaders>;

void RenderOutside(const std::vector<Document>& documents, Renderings& renderings) {
    const testing::TempDir dir;
    const std::string batch = dir / "batch";
    WriteBatch(batch, documents);
    const std::string readers = BRANTLEWICK_SOURCE_DIR "/tests/support/readers/";
    // Debian's own Python, where its Markdown packages are, whatever else PATH offers.
    const std::string command =
        "cd '" + dir.Path() + "' && (BATCH=batch READERS='markdown gfm-footnotes' OUTPUT=pandoc " +
        "pandoc --quiet --lua-filter '" + readers + "render.lua' -t plain </dev/null >/dev/null & " +
        "/usr/bin/python3 '" + readers + "render.py' batch python-markdown markdown-it myst >python & " +
        "ruby '" + readers + "render.rb' batch kramdown GFM >ruby & wait)";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<std::pair<std::string, std::vector<Reader>>> outputs = {
        {"pandoc", {PandocMarkdown, PandocGfm}},
        {"python", {PythonMarkdown, MarkdownIt, Myst}},
        {"ruby", {Kramdown, KramdownGfm}}};
    for (const auto& [file, order] : outputs) {
        const std::vector<std::string> texts = ReadBatch(dir / file);
        ASSERT_EQ(texts.size(), 2 * documents.size() * order.size())
            << file << ": a reader is missing (scripts/setup.sh installs them)";
        for (std::size_t i = 0; i < texts.size(); ++i) {
            renderings.at(order[i % order.size()]).push_back(texts[i]);
        }
    }
}

std::string Excerpt(const std::string& a, const std::string& b) {
    const auto at =
        static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
    const std::size_t from = at > 100 ? at - 100 : 0;
    return "\n--- rendered before\n" + a.substr(from, 240) + "\n--- rendered after\n" + b.substr(from, 240);
}

TEST(MarkdownReaders, FlavoursRenderTheSameUnderTheirReaders) {
    const std::vector<Document> documents = Documents();
    Renderings renderings;
    for (const Document& document : documents) {
        for (const std::string* text : {&document.before, &document.after}) {
            renderings[CmarkGfm].push_back(testing::RenderCollapsed(*text));
            renderings[Md4c].push_back(testing::RenderMd4cCollapsed(*text));
        }
    }
    RenderOutside(documents, renderings);
    std::array<int, kReaders> failures{};
    for (std::size_t d = 0; d < documents.size(); ++d) {
        const Document& document = documents[d];
        for (std::size_t reader = 0; reader < kReaders; ++reader) {
            const std::string& before = renderings.at(reader).at(2 * d);
            const std::string& after = renderings.at(reader).at(2 * d + 1);
            if (document.readers.test(reader) && before != after && failures.at(reader)++ < 3) {
                ADD_FAILURE() << document.name << " under " << kReaderNames.at(reader)
                              << Excerpt(before, after) << "\n--- document\n"
                              << document.before << "\n--- converted\n"
                              << document.after;
            }
        }
    }
}

} // namespace
} // namespace brantlewick
