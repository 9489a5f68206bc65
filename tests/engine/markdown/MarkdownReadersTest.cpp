// SPDX-License-Identifier: GPL-3.0-or-later
// The Markdown mode under the readers the flavours of Markdown are written for, all from Debian: each
// document of the flavour corpus (its name starts with its flavour) and random documents with every
// flavour's lines mixed in render the same before and after the conversion under each of its readers,
// white space collapsed, and a second run changes nothing. Each reader outside this process gets every
// document it judges at once, in a process of its own held to limits of memory and time; a document it
// cannot render within them is skipped for it, and counted.
#include "Converting.h"
#include "MarkdownDocuments.h"
#include "MarkdownRender.h"
#include "ReaderProcess.h"
#include "TempDir.h"
#include "brantlewick/engine/Conversion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>

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
    std::string before, after;
};

ConversionOptions Markdown(LineBreaks lines, Language language) {
    return testing::SentenceModeOptions(TextFormat::Markdown, lines, language);
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
    // The gate's seeds start at 0; a hunt for new faults starts elsewhere (README, Development).
    const char* const hunt = std::getenv("BRANTLEWICK_READER_SEED");
    const std::uint32_t first = hunt == nullptr ? 0 : static_cast<std::uint32_t>(std::stoul(hunt));
    for (std::uint32_t seed = first; seed < first + kRandomDocuments; ++seed) {
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

// The readers outside this process, each in one of its own (see ReaderProcess.h).
testing::ReaderCommand OutsideReader(Reader reader) {
    const std::string scripts = BRANTLEWICK_SOURCE_DIR "/tests/support/readers/";
    const std::string name(kReaderNames.at(reader));
    // Debian's own Python and Ruby, where their Markdown packages are, whatever else PATH offers.
    const auto python = [&](const char* which) -> testing::ReaderCommand {
        return {name, {"/usr/bin/python3", scripts + "render.py", "{batch}", which}, {}};
    };
    const auto ruby = [&](const char* input) -> testing::ReaderCommand {
        return {name, {"/usr/bin/ruby", scripts + "render.rb", "{batch}", input}, {}};
    };
    const auto pandoc = [&](const char* format) -> testing::ReaderCommand {
        return {name,
                {"/usr/bin/pandoc", "--quiet", "--lua-filter", scripts + "render.lua", "-t", "html", "-o",
                 "/dev/null"},
                {"BATCH={batch}", std::string("READERS=") + format}};
    };
    switch (reader) {
    case PandocMarkdown:
        return pandoc("markdown");
    case PandocGfm:
        return pandoc("gfm-footnotes");
    case PythonMarkdown:
        return python("python-markdown");
    case MarkdownIt:
        return python("markdown-it");
    case Myst:
        return python("myst");
    case Kramdown:
        return ruby("kramdown");
    default:
        return ruby("GFM");
    }
}

// renderings[reader][i]: text i (document i / 2's before, then its after) under the reader, where it
// judges that document and rendered it within the limits.
using Renderings = std::array<std::vector<std::optional<std::string>>, kReaders>;

// Two readers at a time, the slowest first, as the machine has two cores.
void RenderOutside(const std::vector<Document>& documents, Renderings& renderings) {
    const testing::TempDir dir;
    constexpr std::array kOutside = {Myst,       PythonMarkdown, PandocMarkdown, PandocGfm,
                                     MarkdownIt, Kramdown,       KramdownGfm};
    std::atomic<std::size_t> next = 0;
    std::array<std::string, kReaders> failures;
    const auto work = [&] {
        for (std::size_t i = next++; i < kOutside.size(); i = next++) {
            const Reader reader = kOutside.at(i);
            std::vector<std::string_view> texts;
            std::vector<std::size_t> places;
            for (std::size_t d = 0; d < documents.size(); ++d) {
                if (documents[d].readers.test(reader)) {
                    texts.insert(texts.end(), {documents[d].before, documents[d].after});
                    places.insert(places.end(), {2 * d, 2 * d + 1});
                }
            }
            const std::string folder = dir / std::to_string(reader);
            std::filesystem::create_directory(folder);
            testing::ReaderResults results = RenderEach(OutsideReader(reader), texts, folder);
            for (std::size_t t = 0; t < texts.size(); ++t) {
                if (results.texts[t]) {
                    renderings.at(reader).at(places[t]) = testing::Collapsed(*results.texts[t]);
                }
            }
            failures.at(reader) = std::move(results.failure);
            if (results.skipped > 0) {
                std::printf("%s: %zu of %zu texts skipped, past the limits of memory or time\n",
                            kReaderNames.at(reader).data(), results.skipped, texts.size());
            }
        }
    };
    std::thread helper(work);
    work();
    helper.join();
    for (const std::string& failure : failures) {
        EXPECT_TRUE(failure.empty()) << failure;
    }
}

TEST(MarkdownReaders, FlavoursRenderTheSameUnderTheirReaders) {
    const std::vector<Document> documents = Documents();
    Renderings renderings;
    for (auto& texts : renderings) {
        texts.resize(2 * documents.size());
    }
    for (std::size_t d = 0; d < documents.size(); ++d) {
        for (const std::size_t i : {2 * d, 2 * d + 1}) {
            const std::string& text = i % 2 == 0 ? documents[d].before : documents[d].after;
            if (documents[d].readers.test(CmarkGfm)) {
                renderings[CmarkGfm][i] = testing::RenderCollapsed(text);
            }
            if (documents[d].readers.test(Md4c)) {
                renderings[Md4c][i] = testing::RenderMd4cCollapsed(text);
            }
        }
    }
    RenderOutside(documents, renderings);
    std::array<int, kReaders> failures{};
    for (std::size_t d = 0; d < documents.size(); ++d) {
        const Document& document = documents[d];
        for (std::size_t reader = 0; reader < kReaders; ++reader) {
            const auto& before = renderings.at(reader).at(2 * d);
            const auto& after = renderings.at(reader).at(2 * d + 1);
            if (document.readers.test(reader) && before && after && *before != *after &&
                failures.at(reader)++ < 3) {
                ADD_FAILURE() << document.name << " under " << kReaderNames.at(reader)
                              << testing::Difference(*before, *after, 100) << "\n--- document\n"
                              << document.before << "\n--- converted\n"
                              << document.after;
            }
        }
    }
}

// A reader that grows without bound, stalls or dies on a text skips that text alone; one that cannot
// run at all is a failure.
TEST(MarkdownReaders, TextsPastTheLimitsAreSkipped) {
    const testing::TempDir dir;
    const std::string script = "import sys\n"
                               "data = open(sys.argv[1], 'rb').read()\n"
                               "while data:\n"
                               "    size, _, data = data.partition(b'\\n')\n"
                               "    text, data = data[:int(size)], data[int(size):]\n"
                               "    if text == b'grow': x = [bytearray(1 << 20) for _ in range(1 << 20)]\n"
                               "    if text == b'stall': __import__('time').sleep(60)\n"
                               "    if text == b'die': sys.exit(1)\n"
                               "    sys.stdout.buffer.write(b'%d\\n%s' % (len(text), text.upper()))\n"
                               "    sys.stdout.flush()\n";
    const testing::ReaderCommand reader = {"upper", {"/usr/bin/python3", "-c", script, "{batch}"}, {}};
    const testing::ReaderLimits limits = {256ULL * 1024 * 1024, 2, 30};
    const testing::ReaderResults results =
        RenderEach(reader, {"a", "grow", "b", "stall", "die", "c"}, dir.Path(), limits);
    const std::vector<std::optional<std::string>> expected = {"A", {}, "B", {}, {}, "C"};
    EXPECT_EQ(results.texts, expected);
    EXPECT_EQ(results.skipped, 3U);
    EXPECT_EQ(results.failure, "");
    const testing::ReaderResults missing =
        RenderEach({"missing", {"/nonexistent/reader"}, {}}, {"a", "b", "c", "d"}, dir.Path(), limits);
    EXPECT_THAT(missing.failure, ::testing::StartsWith("missing rendered none of three texts in a row"));
}

} // namespace
} // namespace brantlewick
