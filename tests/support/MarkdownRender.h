// SPDX-License-Identifier: GPL-3.0-or-later
// What a CommonMark renderer makes of a Markdown document, for telling whether two mean the same.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brantlewick::testing {

// The HTML the GitHub flavour of CommonMark renders (tables, strikethrough, bare links, task lists,
// footnotes, raw HTML kept), every run of white space made one space.
std::string RenderCollapsed(std::string_view markdown);

// The HTML md4c renders with GitHub's extensions, math spans and wiki links, collapsed the same way.
std::string RenderMd4cCollapsed(std::string_view markdown);

// The first and last line (counted from 1) of every paragraph cmark-gfm finds, in order, but for those
// in footnote definitions (`inFootnotes`), which it reads as containers where the block scanner does not.
std::vector<std::pair<int, int>> ParagraphLines(std::string_view markdown,
                                                std::vector<std::pair<int, int>>& inFootnotes);

// `html` with every run of white space (no-break spaces too) made one space.
std::string Collapsed(std::string_view html);

} // namespace brantlewick::testing
