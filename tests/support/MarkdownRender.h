// SPDX-License-Identifier: GPL-3.0-or-later
// What a CommonMark renderer makes of a Markdown document, for telling whether two mean the same.
#pragma once

#include <string>
#include <string_view>

namespace brantlewick::testing {

// The HTML the GitHub flavour of CommonMark renders (tables, strikethrough, bare links, task lists,
// footnotes, raw HTML kept), every run of white space made one space.
std::string RenderCollapsed(std::string_view markdown);

} // namespace brantlewick::testing
