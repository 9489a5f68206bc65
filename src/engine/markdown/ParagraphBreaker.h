// SPDX-License-Identifier: GPL-3.0-or-later
// Re-breaks one Markdown paragraph: one sentence a line, its markup and meaning untouched.
#pragma once

#include "Stage.h"
#include "markdown/Inlines.h"
#include "sentences/SentenceStage.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::markdown {

// A paragraph as it came in.
struct Paragraph {
    struct Line {
        std::size_t text;       // where its text starts in `raw`, after quote markers and list indentation
        std::size_t end;        // where its line end starts
        std::size_t terminator; // the line end's length: 2 for CR LF, 1 for LF or CR, 0 at the very end
    };
    std::string raw; // every byte of its lines, line ends included
    std::vector<Line> lines;
    std::string continuation; // what starts a line the paragraph goes on on
    bool keep = false;        // written as it is, whatever it holds

    void Clear() {
        raw.clear();
        lines.clear();
        continuation.clear();
        keep = false;
    }
};

struct BreakChoices {
    bool join = true;   // the lines of a paragraph are joined, one sentence a line after
    bool breaks = true; // each sentence end gets a line break
};

class ParagraphBreaker {
public:
    ParagraphBreaker(SentenceOptions sentences, BreakChoices choices);

    // Writes `paragraph`, re-broken. A break takes the line end of the line it falls in; on a last line
    // without one, `otherEnd`. Breaks and blanks dropped are counted in `counts`, and so are the line
    // ends written.
    void Write(const Paragraph& paragraph, std::string_view otherEnd, OutputSink& out, Stage::Counts& counts);

private:
    struct Change {
        std::size_t from; // in text_
        std::size_t to;
        bool lineBreak; // or a join: one space
    };

    void ReadText(const Paragraph& paragraph);
    bool Joinable(std::size_t line) const;
    void BuildView();
    void FindSentenceEnds();
    bool Soft(std::size_t at) const;
    // Whether the blanks from `from` to `to` may become a line break, on a line written from `lineStart`.
    bool Accept(std::size_t lineStart, std::size_t from, std::size_t to) const;
    void PlanChanges();
    void WriteText(std::size_t from, std::size_t to, OutputSink& out);
    std::string_view LineEndOf(std::size_t line, std::string_view otherEnd) const;

    BreakChoices choices_;
    SentenceStage sentences_;
    const Paragraph* paragraph_ = nullptr;
    std::string text_;                   // the lines' text joined by "\n"
    std::vector<std::size_t> lineStart_; // where each line starts in text_
    std::vector<bool> joinable_;         // whether the line end after line i is joined
    InlineMarks marks_;
    std::string view_; // what the sentence rules read
    std::vector<std::pair<std::size_t, std::size_t>>
        viewMap_;                   // (view position, text position) where a run starts
    std::string found_;             // the sentence stage's output
    std::vector<std::size_t> ends_; // sentence ends, as positions in text_
    std::vector<Change> changes_;
};

// Whether a line starting with `line` could start a block that would cut a paragraph short (a list
// item, a quote, a heading, a fence, HTML, a table's delimiter row, a footnote) or underline it.
bool MayStartBlock(std::string_view line);

} // namespace brantlewick::markdown
