// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a reStructuredText document's block structure line by line, as docutils does (and so Sphinx,
// which reads with it), and says for each line whether it is paragraph prose.
//
// docutils reads a document with a state machine over whole indented blocks; this scanner follows its
// rules one line at a time in constant memory, by indentation alone: a paragraph is a run of lines at one
// indentation, wherever it stands (a list item's, a definition's or an admonition's body, a block quote).
// Where the reading is unsure the lines stay as they are: a paragraph that a line at another indentation
// follows without a blank line (an error to docutils, or a definition whose term it was), everything under
// a directive that is not prose, comments, targets, field and option lists, tables, line blocks, doctest
// blocks and literal blocks.
#pragma once

#include "prose/ProseStage.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace brantlewick::rst {

class RstScanner {
public:
    prose::LineReading Read(std::string_view whole);

private:
    prose::LineReading ReadInParagraph(std::string_view line, std::size_t indent);
    prose::LineReading ReadBlockStart(std::string_view line, std::size_t indent);
    prose::LineReading ReadExplicitMarkup(std::string_view text, std::size_t indent);
    // A paragraph whose text starts at column `indent`, as each of its further lines must.
    prose::LineReading StartParagraph(std::string_view line, std::size_t indent);
    prose::LineReading SkipTo(std::size_t indent);

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t skipDeeperThan_ = kNone; // lines more indented than this (and blank ones) stay as they are
    bool skipToBlank_ = false;           // lines up to a blank one stay as they are
    bool inOptions_ = false;             // a prose directive's options, right after its line
    std::size_t literalAfter_ = kNone;   // a paragraph at this indentation ended with "::"
    bool simpleTable_ = false;           // inside a simple table
    bool borderLast_ = false;            // ... whose last line was a border
    int borders_ = 0;
    bool paragraph_ = false;
    bool listItem_ = false;    // the paragraph is a list item's first
    std::string itemMarker_;   // ... the item's indentation and bullet ("  -"), or empty for any other marker
    std::size_t indent_ = 0;   // the open paragraph's text's indentation
    std::size_t lines_ = 0;    // ... and its lines
    bool endsLiteral_ = false; // ... whose last line ends with "::"
};

} // namespace brantlewick::rst
