// A deliberately plain model of the conversion, written from the line-list description and nothing else:
// split into lines, rewrite each line entry by entry with two whole-line replacements, join without
// separators. The engine's streaming code is checked against it.
#pragma once

#include <string>
#include <vector>

namespace brantlewick::testing {

std::string ReferenceConvert(const std::string& text, const std::vector<std::string>& entries,
                             int enterCount);

} // namespace brantlewick::testing
