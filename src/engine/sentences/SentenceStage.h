// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode as a streaming stage: it puts the breaks at real sentence ends (and before list
// items) instead of after every entry, and drops the blanks between two sentences.
#pragma once

#include "Stage.h"
#include "brantlewick/engine/Language.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

namespace sentences {
class SentenceRules;
class LanguageData;
} // namespace sentences

struct SentenceOptions {
    // The candidates, ASCII case ignored; ".", "!" and "?" also stand for their full-width and
    // compatibility forms (。 ！ ？ … and the like). Empty entries and those holding CR or LF match nothing.
    std::vector<std::string> entries;
    int enterCount = 1;
    Language language = Language::English;
    // Whether the input's line ends are written back after this stage. When they are dropped, a
    // sentence or list item that starts a new line still needs its break.
    bool terminatorsSurvive = false;
    // Whether this stage drops them itself, rather than writing them through for a later one.
    bool dropLineEnds = false;
    // What each break is: CR LF, or the text's own line end where its lines are kept.
    std::string_view lineEnd = "\r\n";
    // The text is a document's with its markup taken out, as the document formats hand it over.
    bool markupHidden = false;
    // Each paragraph is read in the language its start tells clearly (LanguageOfParagraph), in
    // `language` where it does not. A paragraph starts after an empty line, or with `linesAreParagraphs`
    // (the reflowed text) after each LF.
    bool findLanguage = false;
    bool linesAreParagraphs = false;
};

// Takes UTF-8 text in chunks of any size, line ends (CR LF, LF, lone CR) still in it and written through
// unchanged unless it is to drop them. Writes the same text with enterCount CR LF pairs after each sentence
// end (after its closing quotes and brackets) and before each list item that starts in the middle of a line,
// and without the blanks between two sentences. No other byte changes: blanks that stand between a lone CR
// and an LF stay, since without them the two line ends would read as one CR LF.
//
// Every decision reads a fixed stretch of text either side of the place it decides, so the output is
// the same however the input is cut into chunks, and memory stays the same however long a line is.
class SentenceStage final : public Stage {
public:
    explicit SentenceStage(SentenceOptions options);
    ~SentenceStage();
    SentenceStage(const SentenceStage&) = delete;
    SentenceStage& operator=(const SentenceStage&) = delete;

    void Feed(std::string_view chunk, OutputSink& out) override;
    // Ends the text: everything held back is written. The stage can then start on a new text; the
    // counts go on.
    void Finish(OutputSink& out) override;

private:
    class TriggerScan;
    struct Pending {
        std::uint64_t at; // position in the whole text
        bool breaks;
        bool paragraph;
    };

    void Process(bool atEnd, OutputSink& out);
    void Scan(std::size_t limit, bool atEnd, OutputSink& out);
    // Joins the lines that the line end of `length` bytes at index `at` parts, in the text itself.
    void JoinLines(std::size_t at, std::size_t length, OutputSink& out);
    void Emit(std::size_t upTo, bool atEnd, OutputSink& out);
    void WriteBreaks(const Pending& boundary, OutputSink& out);
    void WriteText(const char* from, const char* to, OutputSink& out) const;
    // Inside the blanks after a boundary: drops the blank at the write position (and the ASCII blanks
    // after it before `upTo`), or writes the line end there (and keeps the blanks after a lone CR). False
    // once something that is no space ends them.
    bool PassBlank(std::size_t upTo, bool atEnd, OutputSink& out);
    void CountLineEnds(std::string_view chunk);
    // Whether the blanks at `p`, after a CR, are written: they are unless something other than an LF
    // follows them within a fixed distance.
    bool KeepBlanksAfterCarriageReturn(const char* p, const char* end, bool atEnd) const;
    // Finds the paragraphs that start in the text come in, and the language of each once its start is
    // all here: up to kParagraphSample bytes, its end or the text's.
    void FindParagraphs(bool atEnd);
    // Passes the rest of a line, up to `stop` at most.
    void PassLine(std::size_t stop);
    // Passes a byte at a line's start or after an empty line: blanks and line ends until something
    // else starts a line, and a paragraph after an empty line.
    void PassSpace();
    void EndSample(std::size_t end);
    // Every place before this index has the language of its paragraph known.
    std::size_t LanguageKnown() const;
    // Decides by the language of the paragraph that `at` lies in, once paragraphs start up to it.
    void EnterParagraphs(std::size_t at);

    SentenceOptions options_;
    std::unique_ptr<sentences::SentenceRules> rules_;
    std::size_t reach_ = 0;
    std::unique_ptr<TriggerScan> scan_;
    std::string breaks_;

    // Text from position offset_ on: what is not yet written, and the stretch decisions look back on.
    std::vector<char> text_;
    std::uint64_t offset_ = 0;
    std::size_t scanned_ = 0; // every place before this index is decided
    std::size_t emitted_ = 0; // every byte before this index is written or dropped
    std::size_t valid_ = 0;   // bytes before this index are left over from a line end taken out
    std::vector<Pending> pending_;
    bool dropping_ = false;            // inside the blanks after a boundary
    bool keepBlanks_ = false;          // ... and inside blanks between a lone CR and an LF, which stay
    bool afterCarriageReturn_ = false; // the last byte fed was a CR

    struct Paragraph {
        std::size_t start;                       // index in text_
        const sentences::LanguageData* language; // none while its start is not all here
    };
    // The paragraphs that start ahead of the scan, in order.
    std::deque<Paragraph> paragraphs_;
    enum class LineState : unsigned char { Text, LineStart, Gap };
    std::size_t looked_ = 0; // every paragraph that starts before this index is found
    LineState lineState_ = LineState::LineStart;
    bool lineEndedWithCarriageReturn_ = false;
};

} // namespace brantlewick
