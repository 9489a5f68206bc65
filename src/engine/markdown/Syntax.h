// SPDX-License-Identifier: GPL-3.0-or-later
// Small pieces of Markdown syntax that both the block scanner and the paragraph reader need.
#pragma once

#include "prose/ProseSyntax.h"

#include <cstddef>
#include <string_view>

namespace brantlewick::markdown {

using prose::IsAsciiDigit;
using prose::IsAsciiLetter;
using prose::IsAsciiPunctuation;
using prose::IsBlank;

// Spaces and tabs, and at most one line end, from `at` on; npos past a blank line.
std::size_t SkipLinkSpace(std::string_view text, std::size_t at);
// One past a link's destination (`<...>`, or text with balanced parentheses) starting at `at`, or npos.
std::size_t LinkDestinationEnd(std::string_view text, std::size_t at);
// One past a link's title ("...", '...' or (...), no blank line inside) starting at `at`, or npos.
std::size_t LinkTitleEnd(std::string_view text, std::size_t at);

// A GitHub table's delimiter row: "|", ":" and "-" and blanks only, with a "-", and a "|" or ":" (a
// row of dashes alone underlines a heading instead). The table reader counts a vertical tab or a form
// feed as blank where the heading's does not, so a row of dashes holding one heads a table.
bool IsDelimiterRow(std::string_view line);

// The length of an HTML open tag (`<a href="x">`, `<br/>`) or closing tag (`</a>`) at the start of
// `text`, as CommonMark reads raw HTML; 0 when there is none. Line ends count as white space.
std::size_t HtmlTagLength(std::string_view text);

} // namespace brantlewick::markdown
