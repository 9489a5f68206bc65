// SPDX-License-Identifier: GPL-3.0-or-later
// Random Markdown documents built from every construct the Markdown mode must leave alone, and prose
// that tempts it to break in the wrong places; and what a CommonMark renderer makes of a document.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brantlewick::testing {

// The same seed gives the same document on every machine.
std::string RandomMarkdown(std::uint32_t seed);

// The HTML the GitHub flavour of CommonMark renders (tables, strikethrough, bare links, task lists,
// footnotes, raw HTML kept), every run of white space made one space.
std::string RenderCollapsed(std::string_view markdown);

} // namespace brantlewick::testing
