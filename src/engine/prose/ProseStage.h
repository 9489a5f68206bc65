// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for a document format as a streaming stage: only paragraph prose is re-broken, one
// sentence a line; every other byte passes through as it is. Each format tells what its lines are.
#pragma once

#include "Stage.h"
#include "prose/ParagraphBreaker.h"
#include "sentences/SentenceStage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::prose {

// A paragraph is held whole until it ends, since its last line may turn it into something else (a
// heading, a table) and markup may close anywhere in it. Memory is bounded all the same: a paragraph
// longer than this is written as it is, and so is the rest of the text from a line longer than this, or
// one that is not UTF-8 (past either, the structure is no longer known for sure).
inline constexpr std::size_t kLongestParagraph = std::size_t{1024} * 1024;

// What a line is to the paragraph being gathered.
enum class LineRole : std::uint8_t {
    Other,          // anything but paragraph text; any open paragraph ended before it
    ParagraphStart, // the first line of a paragraph (any open one ended before it)
    Continuation,   // one more line of the open paragraph
    Closes,         // turns the open paragraph into something else (a heading underline, a table's
                    // delimiter row): the paragraph is written as it is, and so is this line
};

struct LineReading {
    LineRole role = LineRole::Other;
    // Where paragraph text starts in the line, after its containers' markers and indentation.
    std::size_t textStart = 0;
    // For a ParagraphStart: what starts each further line of the paragraph (a block quote's "> ", a list
    // item's indentation).
    std::string continuation;
    // The paragraph this line belongs to must stay as it is.
    bool keep = false;
    // The paragraph open before this line must stay as it is: this line made it something else.
    bool keepBefore = false;
    // For a ParagraphStart: the continuation starts every new line, whatever the line cut starts with.
    bool lazy = false;
    // A line of paragraph text that is a format's own structure (a definition list's term, a directive's
    // fence) stays whole on a line of its own, out of the sentence rules' sight; `shown`: it is prose all
    // the same, which only some readers take for structure, and the sentence rules read it.
    bool fixed = false;
    bool shown = false;
    // Never joined to the line before (a definition after its term); the lines before it in the
    // paragraph, up to `fixesBefore` of them, become fixed.
    bool apart = false;
    std::size_t fixesBefore = 0;
};

class ProseStage : public Stage {
public:
    ProseStage(SentenceOptions sentences, BreakChoices choices);
    ~ProseStage() override;
    ProseStage(const ProseStage&) = delete;
    ProseStage& operator=(const ProseStage&) = delete;

    void Feed(std::string_view chunk, OutputSink& out) final;
    void Finish(OutputSink& out) final;

protected:
    // Reads the next line of the document, without its line end.
    virtual LineReading ReadLine(std::string_view line) = 0;
    // Takes a whole line, its line end (`terminator` bytes, none at the text's end) after it. A format
    // that reads ahead holds lines here and passes each on to TakeNow() once it knows what it is.
    virtual void TakeLine(std::string_view line, std::size_t terminator, OutputSink& out) {
        TakeNow(line, terminator, out);
    }
    // Passes on every line held; called before the text ends or the rest goes through as it is.
    virtual void Drain(OutputSink& /*out*/) {}
    void TakeNow(std::string_view line, std::size_t terminator, OutputSink& out);
    // Whether the rest of the text goes through as it is; a line held goes through PassAsIs() then.
    bool GivenUp() const { return givenUp_; }
    void PassAsIs(std::string_view line, OutputSink& out);
    // The rules of the format's paragraphs, for one paragraph.
    virtual std::unique_ptr<ProseSyntax> NewSyntax() const = 0;
    // The text ended: the next line read is the first of a new one.
    virtual void Restart() = 0;

private:
    // What is held, in order: a paragraph, or bytes that go through as they are.
    struct Piece {
        ParagraphBreaker* paragraph;
        std::size_t from; // in passed_
        std::size_t to;
    };

    void EndParagraph(OutputSink& out);
    void WriteAsIs(std::string_view bytes, OutputSink& out);
    // Finds the sentence ends of every paragraph held, at once, and writes everything held.
    void Flush(OutputSink& out);
    void FindSentenceEnds();
    // Moves `v` in view_ and `f` in found_ on to where they next differ; false at the end of either.
    bool NextDifference(std::size_t& v, std::size_t& f) const;
    // Ends the line held in line_, whose CR ended the last chunk; `p`, the next chunk's first byte, is
    // taken if `pair`. Returns where the chunk goes on.
    const char* EndPendingLine(bool pair, const char* p, OutputSink& out);
    // Counts the line ends of bytes written as they are (afterCarriageReturn_: the byte before was a CR).
    void CountAsIs(std::string_view bytes);
    // Writes `line` and everything after it as it is.
    void GiveUp(std::string_view line, OutputSink& out);

    BreakChoices choices_;
    SentenceStage sentences_;
    Paragraph paragraph_;           // the one coming in
    bool paragraphTooLong_ = false; // its lines go through as they come until it ends
    std::string line_;              // a line not yet whole
    bool afterCarriageReturn_ = false;
    bool givenUp_ = false;
    std::string lastLineEnd_ = "\n"; // the line end a break takes on a last line without one

    std::vector<std::unique_ptr<ParagraphBreaker>> breakers_; // the first `held_` are in use
    std::size_t held_ = 0;
    std::vector<Piece> pieces_;
    std::string passed_;
    std::size_t heldSubstance_ = 0;
    std::size_t heldBytes_ = 0;
    std::string view_;  // what the sentence rules read of every paragraph held
    std::string found_; // ... and what the sentence stage made of it
};

} // namespace brantlewick::prose
