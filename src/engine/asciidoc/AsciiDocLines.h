// SPDX-License-Identifier: GPL-3.0-or-later
// What an AsciiDoc line is by its start, as Asciidoctor tells blocks apart: the block scanner and the
// paragraph rules both ask.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace brantlewick::asciidoc {

// Preprocessor directives, read on every line before blocks are.
inline constexpr std::array<std::string_view, 5> kDirectives = {
    "include::", "ifdef::", "ifndef::", "ifeval::", "endif::"};

// Block styles whose content is prose as any paragraph's (letter case ignored); any other style may make
// a block verbatim, raw or something an extension reads.
inline constexpr std::array<std::string_view, 13> kProseStyles = {
    "normal",  "note",    "tip",  "important", "warning",   "caution", "quote",
    "example", "sidebar", "open", "abstract",  "partintro", "discrete"};

// Where a list item's text starts ("* ", ". ", "1. ", "a. ", "ii) ", "<1> ", "term:: "): past the marker
// and the blanks after it; the line's size for a description list's term alone; 0 for no list item.
std::size_t ListItemText(std::string_view line);
// A list's marker with nothing after it on its line ("**", "A."): no item yet, but one once a line joins it.
bool IsMarkerAlone(std::string_view line);
// A "::", ":::", "::::" or ";;" after something and before a blank or a line end, anywhere in `text`: a
// description list's term, were a block to start with that line.
bool HasTermMarker(std::string_view text);
// "NOTE: ", the label of an admonition paragraph: where its text starts, or 0.
std::size_t AdmonitionLabel(std::string_view line);
// "== Title", "### Title".
bool IsSectionTitle(std::string_view line);
// ".Title" over a block.
bool IsBlockTitle(std::string_view line);
// "image::target[...]", "toc::[]", "name::target[...]": a block macro, taken as one only at a block's start.
bool IsBlockMacro(std::string_view line);
// A word and "::" ("image::", "include::"): a block macro or a directive, were the line to end as one.
bool StartsWithMacroName(std::string_view line);
// Whether a break may put `next` (up to its line end) at the start of a line of a paragraph: never where it
// could end the paragraph, start a list item or a block, hide the line (a comment) or change its meaning.
bool MayStartProseLine(std::string_view next);

} // namespace brantlewick::asciidoc
