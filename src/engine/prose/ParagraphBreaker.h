// SPDX-License-Identifier: GPL-3.0-or-later
// Re-breaks one paragraph of a document: one sentence a line, its markup and meaning untouched.
#pragma once

#include "Stage.h"
#include "prose/ProseSyntax.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::prose {

// A paragraph as it came in.
struct Paragraph {
    struct Line {
        std::size_t text;       // where its text starts in `raw`, after its containers' markers
        std::size_t end;        // where its line end starts
        std::size_t terminator; // the line end's length: 2 for CR LF, 1 for LF or CR, 0 at the very end
        bool fixed = false;     // kept whole on a line of its own (see LineReading)
        bool shown = false;     // ... and still read by the sentence rules
        bool apart = false;     // never joined to the line before
    };
    std::string raw; // every byte of its lines, line ends included
    std::vector<Line> lines;
    std::string continuation; // what starts a line the paragraph goes on on
    bool lazy = false;        // ... on each line, whatever that line itself starts with
    bool keep = false;        // written as it is, whatever it holds

    void Clear() {
        raw.clear();
        lines.clear();
        continuation.clear();
        lazy = keep = false;
    }
};

struct BreakChoices {
    bool join = true;   // the lines of a paragraph are joined, one sentence a line after
    bool breaks = true; // each sentence end gets a line break
};

// One paragraph on its way through: read when it comes in, its sentence ends found later together with
// those of other paragraphs (the sentence stage works best on long texts), then written.
class ParagraphBreaker {
public:
    ParagraphBreaker(BreakChoices choices, std::unique_ptr<ProseSyntax> syntax)
        : choices_(choices), syntax_(std::move(syntax)) {}

    // Takes `paragraph`'s bytes (it is left empty, with room to spare) and reads them. A break takes
    // the line end of the line it falls in; on a last line without one, `otherEnd`.
    void Take(Paragraph& paragraph, std::string_view otherEnd);
    // Bytes other than blanks and line ends: a conversion leaves their number as it is.
    std::size_t Substance() const { return substance_; }
    std::size_t Size() const { return paragraph_.raw.size(); }
    // Appends what the sentence rules read of the paragraph to `view`; nothing when it stays as it is.
    void AppendView(std::string& view);
    // A sentence ends before `at`, a place in `view` inside what AppendView() added.
    void EndAt(std::size_t at) { ends_.push_back(at); }
    std::size_t ViewEnd() const { return viewEnd_; }
    // Writes the paragraph, re-broken; breaks, blanks dropped and line ends written are counted.
    void Write(OutputSink& out, Stage::Counts& counts);
    // Gives back the room a long paragraph took.
    void Trim();

private:
    struct Change {
        std::size_t from; // in text_
        std::size_t to;
        bool lineBreak; // or a join: one space
    };

    void ReadText();
    // Hides the fixed lines that are not prose from the sentence rules.
    void HideFixedLines();
    // The text of `line`, without its line end.
    std::string_view LineText(std::size_t line) const;
    // What a new line cut from the line written from `line` on starts with: the containers' markers (a
    // further line's own, as it wrote them) and what the line's start holds (see ProseSyntax::Hang).
    std::string LeadOf(std::size_t line) const;
    bool Joinable(std::size_t line) const;
    // Appends text_ from `from` to `to` to the view; `blank`: the view ends in white space.
    void AppendRun(std::size_t from, std::size_t to, bool& blank, std::string& view);
    bool Soft(std::size_t at) const;
    std::size_t LineOf(std::size_t at) const;
    // Where the line that `at` is in ends (its "\n", or the text's end).
    std::size_t LineEndAfter(std::size_t at) const;
    std::size_t TextAt(std::size_t viewAt) const;
    // Whether the blanks from `from` to `to` may become a line break, on a line written from `lineStart`.
    bool Accept(std::size_t lineStart, std::size_t from, std::size_t to);
    // The first bytes from `at` to `end` as the sentence rules read them, without hidden markup.
    std::string SeenFrom(std::size_t at, std::size_t end) const;
    void PlanChanges();
    void PlanBreaks();
    // The line end after `line`, with the blanks either side of it.
    Change JoinAt(std::size_t line) const;
    void WriteText(std::size_t from, std::size_t to, OutputSink& out);
    std::string_view LineEndOf(std::size_t line) const;

    BreakChoices choices_;
    std::unique_ptr<ProseSyntax> syntax_;
    Paragraph paragraph_;
    std::string otherEnd_;
    bool asIs_ = false;
    std::size_t substance_ = 0;
    std::string text_;                   // the lines' text joined by "\n"
    std::vector<std::size_t> lineStart_; // where each line starts in text_
    std::vector<bool> joinable_;         // whether the line end after line i is joined
    std::vector<std::size_t> runStart_;  // the first of the lines joined into the one line i ends up in
    Marks* marks_ = nullptr;             // what syntax_ read
    std::vector<std::pair<std::size_t, std::size_t>>
        viewMap_; // (view position, text position) where a run starts
    std::size_t viewEnd_ = 0;
    std::vector<std::size_t> ends_; // sentence ends, as places in the view
    std::vector<Change> changes_;
    // The line a break would be written on, where it starts, and whether it must stay whole.
    std::size_t writtenLine_ = std::string::npos;
    bool writtenLineFixed_ = false;
};

} // namespace brantlewick::prose
