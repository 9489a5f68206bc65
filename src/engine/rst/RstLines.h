// SPDX-License-Identifier: GPL-3.0-or-later
// What a reStructuredText line is by its start, as docutils tells body elements apart: the block scanner
// and the paragraph rules both ask.
#pragma once

#include <cstddef>
#include <string_view>

namespace brantlewick::rst {

// One punctuation character repeated, nothing else: a section title's adornment or a transition.
bool IsAdornment(std::string_view text);
// A field list's ":name:" or an option list's "-o", "--name", "/o".
bool IsFieldOrOption(std::string_view text);
// Where a list item's text starts after its bullet or enumerator ("- ", "1. ", "(a) ", "#. ", "iv) ") and
// the blanks after it; the text's size for a marker alone; 0 for none.
std::size_t ListMarkerEnd(std::string_view text);
// Whether `text` starts a body element other than a paragraph: explicit markup, a literal block's marker,
// a table, a transition, a doctest or line block, a field, option or list item.
bool StartsBodyElement(std::string_view text);
// Whether a break may put `next` (up to its line end) at the start of a paragraph's line.
bool MayStartProseLine(std::string_view next);

} // namespace brantlewick::rst
