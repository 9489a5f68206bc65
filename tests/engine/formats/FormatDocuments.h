// SPDX-License-Identifier: GPL-3.0-or-later
// Random documents of a format, for the property tests.
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <cstdint>
#include <string>

namespace brantlewick::testing {

// A random AsciiDoc, reStructuredText or LaTeX document, the same for the same seed.
std::string RandomDocument(TextFormat format, std::uint32_t seed);

} // namespace brantlewick::testing
