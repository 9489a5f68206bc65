// SPDX-License-Identifier: GPL-3.0-or-later
// The two stages around the entries stage that reflow hard-wrapped paragraphs.
#pragma once

#include "Stage.h"

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace brantlewick {

// Joins the lines of each paragraph and writes one LF where a paragraph ends (before a blank line, and at
// the end). A line loses its leading and trailing blanks (spaces and tabs); two lines of a paragraph are
// joined with one space, or with none between two characters of scripts that are written without spaces
// (Chinese, Japanese), where a space would be a stray character. A line that starts a list item ("1. ",
// "a) ", "(2) ", "- ", "• ") stays a line of its own: a lone CR goes before it instead, the only other
// line end written. Blank lines before the first paragraph and after the last one are dropped, and several
// blank lines count as one.
class ReflowStage final : public Stage {
public:
    // `forSentences`: the sentence mode follows. A line whose first word would not have fitted on the
    // line before it, as the paragraph's width shows, was wrapped there and starts no item ("- as said"
    // or "(713) 555-0100" moved down by the wrapping), and neither does a number or letter alone on its
    // line, which ends a sentence.
    explicit ReflowStage(bool forSentences = false) : forSentences_(forSentences) {}

    void Feed(std::string_view chunk, OutputSink& out) override;
    void Finish(OutputSink& out) override;

private:
    void WriteText(std::string_view text, OutputSink& out);
    void AddBlank(char blank, OutputSink& out);
    void EndLine(OutputSink& out);
    // Joins the line whose start is now known (or broken off) to the one before; `lineEnded`: the start
    // is the whole line.
    void Join(OutputSink& out, bool lineEnded);

    // How much of the waiting line's start decides how it joins: a few bytes, or for a line that may
    // start an item, the whole line, whose width shows the paragraph's measure as well.
    std::size_t HeadWanted() const;
    // Whether a line that starts with `head` (`whole`: all of it) is the wrapped rest of the line before:
    // its first word did not fit within the width that line and the one before or this one show, and
    // neither the line before nor the one before that ended a sentence.
    bool Wrapped(std::string_view head, bool whole) const;

    // A line of the paragraph that has ended: its width in characters and its leading blanks, whether it
    // ended without a sentence's mark and started no item, as a line that wrapping ended does, and
    // whether it started an item.
    struct LineShape {
        std::size_t width = 0;
        std::size_t indent = 0;
        bool wrappable = false;
        bool item = false;
    };

    bool forSentences_;
    std::array<LineShape, 2> lastLines_{}; // the line that ended last first
    std::size_t lines_ = 0;                // lines of the paragraph that have ended
    std::size_t width_ = 0;                // of the line coming in, as far as it is written
    std::size_t indent_ = 0;               // the leading blanks of the line coming in
    bool startsItem_ = false;              // the line coming in starts an item
    bool lineHasText_ = false;
    bool paragraphOpen_ = false; // text was written and its paragraph has not ended
    bool joinPending_ = false;   // a line of the open paragraph ended; the next one is joined to it
    bool joinWaiting_ = false;   // ... and waits for the start of that next line
    bool previousWide_ = false;  // whether the joined line ended in a character of such a script
    bool afterCarriageReturn_ = false;
    std::string head_; // the start of the line waiting to be joined, blanks included
    // The last bytes of text written, up to four: enough for the last character of a line.
    class Tail {
    public:
        void Append(std::string_view text);
        void Clear() { size_ = 0; }
        std::string_view View() const { return {bytes_.data(), size_}; }

    private:
        std::array<char, 4> bytes_{};
        std::size_t size_ = 0;
    };
    Tail tail_;
    // Blanks inside a line, as runs of one kind: written only if more text follows on the line.
    std::vector<std::pair<char, std::uint64_t>> blanks_;
};

// Takes text in which the only line ends are inserted CR LF pairs, lone LFs that end a paragraph and lone
// CRs before a list item's line, and writes every paragraph ending with a line break and followed by
// exactly one empty line, and every list item on a line of its own, counting the breaks already there:
// nothing is added where the inserted breaks already do it. Every break it writes is the given line end.
class ParagraphStage final : public Stage {
public:
    // `lineEnd` is what each break is written as, those already there included.
    explicit ParagraphStage(std::string_view lineEnd) : lineEnd_(lineEnd) {}
    void Feed(std::string_view chunk, OutputSink& out) override;
    void Finish(OutputSink& out) override;

private:
    void EndPairs(std::uint64_t wanted, OutputSink& out);

    std::string_view lineEnd_;
    std::uint64_t trailingPairs_ = 0; // breaks at the very end of what was written
    bool paragraphEnded_ = false;
    bool afterCarriageReturn_ = false;
};

} // namespace brantlewick
