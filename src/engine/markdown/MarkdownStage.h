// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for Markdown as a streaming stage: only paragraph prose is re-broken, one sentence
// a line; every other byte passes through as it is.
#pragma once

#include "Stage.h"
#include "markdown/BlockScanner.h"
#include "markdown/ParagraphBreaker.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace brantlewick::markdown {

// A paragraph is held whole until it ends, since its last line may turn it into a heading or a table
// and a code span or link may close anywhere in it. Memory is bounded all the same: a paragraph or a
// line longer than this is written as it is (and after such a line, the rest of the text, whose
// structure is no longer known for sure).
inline constexpr std::size_t kLongestParagraph = 1024 * 1024;

class MarkdownStage final : public Stage {
public:
    MarkdownStage(SentenceOptions sentences, BreakChoices choices);

    void Feed(std::string_view chunk, OutputSink& out) override;
    void Finish(OutputSink& out) override;

private:
    // A whole line, its line end (empty at the text's end) after it.
    void TakeLine(std::string_view line, std::size_t terminator, OutputSink& out);
    void EndParagraph(OutputSink& out);
    void WriteAsIs(std::string_view bytes, OutputSink& out);
    void GiveUp(OutputSink& out);

    BlockScanner scanner_;
    ParagraphBreaker breaker_;
    Paragraph paragraph_;
    bool paragraphTooLong_ = false; // its lines go through as they come until it ends
    std::string line_;              // a line not yet whole
    bool afterCarriageReturn_ = false;
    bool givenUp_ = false;
    std::string lastLineEnd_ = "\n"; // the line end a break takes on a last line without one
};

} // namespace brantlewick::markdown
