// SPDX-License-Identifier: GPL-3.0-or-later
// The Markdown mode on literal documents: what is re-broken, how, and what stays as it is.
#include "Conversion.h"

#include <gtest/gtest.h>

#include <memory>

namespace brantlewick {
namespace {

std::string Convert(std::string_view text, LineBreaks lines = LineBreaks::Join, int enterCount = 1) {
    ConversionOptions options;
    options.sentences = true;
    options.format = TextFormat::Markdown;
    options.lines = lines;
    options.enterCount = enterCount;
    const auto copy = std::make_unique_for_overwrite<char[]>(text.size());
    std::copy(text.begin(), text.end(), copy.get());
    return ConvertText(std::string_view(copy.get(), text.size()), options);
}

TEST(Markdown, Basics) {
    EXPECT_EQ(Convert("One. Two.\n"), "One.\nTwo.\n");
}

} // namespace
} // namespace brantlewick
