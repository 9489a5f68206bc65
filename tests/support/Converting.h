// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion as the tests call it: every text handed over in heap buffers of exactly its size, so that a
// read one byte past the end trips the address sanitizer (a string's terminator would hide it).
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <array>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::testing {

// The sentence mode's options for a document of `format`.
ConversionOptions SentenceModeOptions(TextFormat format, LineBreaks lines = LineBreaks::Join,
                                      Language language = Language::English);

std::string ConvertExact(std::string_view text, const ConversionOptions& options,
                         ConversionCounts* counts = nullptr, std::vector<Edit>* edits = nullptr);

// In pieces of random sizes up to `largest`.
std::string ConvertInPieces(std::string_view text, const ConversionOptions& options, std::mt19937& random,
                            std::size_t largest = 97);

// In pieces of the sizes `nextSize` gives, each cut short where the text ends.
std::string ConvertInPieces(std::string_view text, const ConversionOptions& options,
                            const std::function<std::size_t()>& nextSize);

// Where two renderings part, from `context` characters before.
std::string Difference(const std::string& a, const std::string& b, std::size_t context = 80);

} // namespace brantlewick::testing
