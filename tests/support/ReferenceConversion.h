// A deliberately plain model of the conversion, written from the line-list description and nothing else:
// split into lines, rewrite each line entry by entry with two whole-line replacements, and put the lines
// together again as the line choice says. The engine's streaming code is checked against it.
#pragma once

#include "Conversion.h"

#include <string>
#include <vector>

namespace brantlewick::testing {

// Fills in the breaks inserted and the spaces dropped when `counts` is given.
std::string ReferenceConvert(const std::string& text, const std::vector<std::string>& entries, int enterCount,
                             LineBreaks lines = LineBreaks::Join, ConversionCounts* counts = nullptr);

} // namespace brantlewick::testing
