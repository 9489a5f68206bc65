// SPDX-License-Identifier: GPL-3.0-or-later
// What a paragraph's inline markup means for sentence breaks: where none may go, which line ends must
// stay as they are, and which bytes are markup that the sentence rules should not read.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace brantlewick::markdown {

struct Span {
    std::size_t from = 0;
    std::size_t to = 0; // one past the last byte
};

struct InlineMarks {
    // No break inside: code spans, raw HTML, autolinks and bare links, math, links' text and
    // destinations, footnote markers, emphasis that goes on.
    std::vector<Span> shielded;
    // Line ends inside stay as they are: the same less link text and emphasis, which are prose.
    std::vector<Span> verbatim;
    // Markup the sentence rules do not see: emphasis delimiters, link brackets and destinations, HTML
    // tags, footnote markers, escaping backslashes. In order, not overlapping.
    std::vector<Span> hidden;
    // A footnote marker over a line end, which GitHub's reader renders differently depending on the
    // bytes before it (and finds even where math hides its end): the paragraph is best left as it is.
    bool unsure = false;

    // Room the reading reuses from one paragraph to the next.
    struct Delimiter {
        std::size_t at;
        std::size_t length;
        char c;
        bool canOpen;
        bool canClose;
    };
    std::vector<Delimiter> delimiters;
    std::vector<Delimiter> openers;
    std::vector<std::size_t> brackets;
    std::vector<std::size_t> lineEnds;
    std::vector<std::size_t> closers;
    std::vector<std::pair<std::size_t, std::size_t>> backtickRuns;
};

// Reads the inline markup of a paragraph's text, its lines joined by "\n" (block quote markers and
// list indentation taken out). Work grows in proportion to the text, whatever its markup.
void ReadInlines(std::string_view text, InlineMarks& marks);

} // namespace brantlewick::markdown
