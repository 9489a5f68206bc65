// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion: after every sentence-ending entry insert a number of CR LF pairs and drop the one space
// that followed it (or, in the sentence mode, do so only where a sentence really ends), with a choice for
// what becomes of the input's own line breaks. Text in, text out, in pieces of any size and with memory
// that does not grow with the text. No file, thread or system call: the files library puts files
// around it.
#pragma once

#include "brantlewick/engine/Language.h"
#include "brantlewick/engine/OutputSink.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

// The entries a new character list starts with, in this order.
inline constexpr std::array<std::string_view, 3> kDefaultEntries = {".", "!", "?"};

// What becomes of the input's line terminators (CR LF, LF and a lone CR each end a line).
enum class LineBreaks {
    // Dropped: the lines run together except where breaks were inserted (the classic conversion).
    Join,
    // Written back as they were; breaks are only added.
    Keep,
    // Hard-wrapped paragraphs are joined: the lines of a paragraph with one space, every line without its
    // leading and trailing blanks. Lines of only blanks separate paragraphs; in the output exactly one
    // empty line does, and every paragraph ends with a line break.
    Reflow,
};

// The names the front ends and the stored settings use: "join", "keep", "reflow" (any ASCII letter case
// when read).
std::optional<LineBreaks> LineBreaksFromName(std::string_view name);
std::string_view LineBreaksName(LineBreaks lines);

// How the sentence mode reads a text.
enum class TextFormat {
    Plain,
    // Markdown: only paragraph prose is re-broken, one sentence a line, with the line end the file uses
    // and the paragraph's quote markers and list indentation; everything else passes through as it is.
    // One line break per sentence end whatever the Enter count (an empty line would split the
    // paragraph), none with 0; Join and Reflow join a paragraph's lines first, Keep keeps them.
    Markdown,
    // The same for AsciiDoc (Asciidoctor's reading), reStructuredText (docutils') and the body of a LaTeX
    // document: prose is re-broken, markup, code, math and comments stay as they are.
    AsciiDoc,
    ReStructuredText,
    LaTeX,
};

// The names the front ends use: "plain", "markdown", "asciidoc", "rst", "latex" (any ASCII letter case
// when read).
std::optional<TextFormat> TextFormatFromName(std::string_view name);
std::string_view TextFormatName(TextFormat format);
// By the name's extension, in any ASCII letter case: Markdown for *.md, *.markdown, *.mdown and *.mkd,
// AsciiDoc for *.adoc, *.asciidoc and *.asc, reStructuredText for *.rst and *.rest, LaTeX for *.tex and
// *.ltx (never a style, class or bibliography file), plain otherwise.
TextFormat TextFormatOfFile(std::string_view path);

struct ConversionOptions {
    // UTF-8, applied one after another in list order, duplicates included, ASCII letter case ignored and
    // each entry's own spelling written. Empty entries match nothing, and no entry ever matches the
    // input's own line terminators. An entry holding CR or LF can only match breaks that an earlier
    // entry inserted, as the classic line-by-line rule has it; with Keep and Reflow it matches nothing.
    std::vector<std::string> entries{kDefaultEntries.begin(), kDefaultEntries.end()};
    int enterCount = 1;
    LineBreaks lines = LineBreaks::Join;
    // Breaks only where a sentence really ends, and before list items, instead of after every entry;
    // the blanks between two sentences go. Off, the classic conversion's bytes are kept.
    bool sentences = false;
    // Whose abbreviations and punctuation the sentence mode knows.
    Language language = Language::English;
    // The sentence mode finds the language from the text's start (a Markdown file's front matter first,
    // LanguageOfText then) and takes `language` only where that start does not tell.
    bool findLanguage = false;
    // How the sentence mode reads the text; the classic conversion reads every text as plain.
    TextFormat format = TextFormat::Plain;

    friend bool operator==(const ConversionOptions&, const ConversionOptions&) = default;
};

// What a conversion did, kept while it runs.
struct ConversionCounts {
    std::uint64_t breaksInserted = 0; // CR LF pairs added after entries (sentence ends, list items)
    std::uint64_t spacesDropped = 0;  // blanks removed after entries (between sentences)
    // Lines as an editor counts them: terminators, and one more for a last line without one. The CR or LF
    // an entry itself holds is left out.
    std::uint64_t linesIn = 0;
    std::uint64_t linesOut = 0;
    std::uint64_t bytesIn = 0;
    std::uint64_t bytesOut = 0;

    // The counts of several conversions together, as a batch sums them up.
    ConversionCounts& operator+=(const ConversionCounts& more) {
        breaksInserted += more.breaksInserted;
        spacesDropped += more.spacesDropped;
        linesIn += more.linesIn;
        linesOut += more.linesOut;
        bytesIn += more.bytesIn;
        bytesOut += more.bytesOut;
        return *this;
    }
};

class Stage;

// Converts one stream of bytes. The output is the same however the input is cut into pieces.
//
// A UTF-8 byte-order mark at the start is no part of the text: it goes to the output as it is, before
// anything else, and the stages see the text after it, so that it neither hides the start of the first
// sentence nor counts as a line's first word. The classic conversion alone (line ends joined, no sentence
// mode) reads it as three ordinary bytes, as it always has.
class Converter {
public:
    explicit Converter(const ConversionOptions& options);
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `chunk`; a few bytes whose fate depends on what follows may be held back. Edits are
    // marked when `out` marks them (OutputSink::MarkEditsIn); then every Feed and Finish must get it.
    void Feed(std::string_view chunk, OutputSink& out);
    // Ends the text: everything held back is written. Once only; a new text takes a new converter.
    void Finish(OutputSink& out);
    // Complete once Finish() ran.
    const ConversionCounts& Counts() const noexcept { return counts_; }

private:
    class Link;
    // Makes the stages once the text's `start` (`end`: all of the text) tells the breaks' line end and the
    // sentence mode's language; false while it does not.
    bool TryBuild(std::string_view start, bool end);
    void Connect(OutputSink& out);
    // What the stages are to see of `chunk` while the start may still be a mark; `end` when none follows.
    std::string_view SetMarkAside(std::string_view chunk, OutputSink& out, bool end);
    void FeedStages(std::string_view chunk, OutputSink& out);

    ConversionOptions options_;
    // The text's start, held while the line end the breaks take or the language is not known yet: then no
    // stage exists.
    std::string held_;
    std::vector<std::unique_ptr<Stage>> stages_;
    std::vector<std::unique_ptr<Link>> links_; // links_[i] carries the output of stages_[i] on
    ConversionCounts counts_;
    std::uint64_t writtenBefore_ = 0;
    bool started_ = false;
    char lastIn_ = '\0';
    bool lookingForMark_;
    std::size_t markHeld_ = 0; // bytes of the mark read and not yet passed on
};

// The whole text at once (previews, tests). With `edits`, they come back in order of position.
std::string ConvertText(std::string_view text, const ConversionOptions& options,
                        ConversionCounts* counts = nullptr, std::vector<Edit>* edits = nullptr);

} // namespace brantlewick
