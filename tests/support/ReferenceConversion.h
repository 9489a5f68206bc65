// SPDX-License-Identifier: GPL-3.0-or-later
// A deliberately plain model of the conversion, written from the line-list description and nothing else:
// split into lines, rewrite each line entry by entry with two whole-line replacements, and put the lines
// together again as the line choice says. The engine's streaming code is checked against it.
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::testing {

// Fills in the breaks inserted and the spaces dropped when `counts` is given.
std::string ReferenceConvert(const std::string& text, const std::vector<std::string>& entries, int enterCount,
                             LineBreaks lineBreaks = LineBreaks::Join, ConversionCounts* counts = nullptr);

// Lines as an editor counts them: terminators (CR LF once), and one more for a last line without one.
std::uint64_t EditorLines(std::string_view text);

} // namespace brantlewick::testing
