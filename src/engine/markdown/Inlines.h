// SPDX-License-Identifier: GPL-3.0-or-later
// What a paragraph's inline markup means for sentence breaks: where none may go, which line ends must
// stay as they are, and which bytes are markup that the sentence rules should not read.
#pragma once

#include "prose/ProseSyntax.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace brantlewick::markdown {

using prose::Span;

// Shielded: code spans, raw HTML, autolinks and bare links, math, links' text and destinations, footnote
// markers. Verbatim: the same less link text, which is prose. Words: code spans. Hidden: emphasis
// delimiters, link brackets and destinations, HTML tags, footnote markers, escaping backslashes. Unsure:
// a footnote marker over a line end, which GitHub's reader renders differently depending on the bytes
// before it (and finds even where math hides its end).
struct InlineMarks : prose::Marks {
    // Where each run of "*" or "_" ends that closes emphasis opened before it, in order.
    std::vector<std::size_t> emphasisEnds;
    // Room the reading reuses from one paragraph to the next.
    std::vector<std::size_t> brackets;
    std::vector<std::size_t> lineEnds;
    std::vector<std::size_t> closers;
    std::vector<std::pair<std::size_t, std::size_t>> backtickRuns;
};

// Reads the inline markup of a paragraph's text, its lines joined by "\n" (block quote markers and
// list indentation taken out). Work grows in proportion to the text, whatever its markup.
void ReadInlines(std::string_view text, InlineMarks& marks);

} // namespace brantlewick::markdown
