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

} // namespace brantlewick::testing
