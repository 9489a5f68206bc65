// SPDX-License-Identifier: GPL-3.0-or-later
// Random Markdown documents built from every construct the Markdown mode must leave alone, and prose
// that tempts it to break in the wrong places.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brantlewick::testing {

// The same seed gives the same document on every machine.
std::string RandomMarkdown(std::uint32_t seed);

// The same with the lines that the flavours of Markdown read as structure (alerts, definitions, colon
// fences, Liquid and Hugo tags, admonitions, display math, MDX imports, ...) mixed in, and sentences
// that start with them.
std::string RandomFlavouredMarkdown(std::uint32_t seed);

// Such a document as writers lay one out: blocks apart by blank lines, lists and quotes one deep, every
// line with its markers, no tabs. Where CommonMark's finer points (lazy lines, deep nesting) are left out,
// the readers that do not follow it read the same structure.
std::string RandomPlainFlavouredMarkdown(std::uint32_t seed);

} // namespace brantlewick::testing
