// SPDX-License-Identifier: GPL-3.0-or-later
// The Enter count read from free text, and the numeric test it rests on.
#include "brantlewick/engine/EnterCount.h"

#include <gtest/gtest.h>

#include <clocale>
#include <memory>

namespace brantlewick {
namespace {

TEST(EnterCountTest, CountsFromTheTextOfTheBox) {
    // 0.4 and 0.5 are more than zero, so they are rounded (half to even) and give 0 Enters; blanks after a
    // sign are read past, and letters of either case start an exponent or a radix.
    const std::pair<const char*, int> cases[] = {
        {"9", 9},       {"2.5", 2},       {"3.5", 4},         {"0.4", 0},    {"0.5", 0},
        {"1.5", 2},     {"0", 1},         {"-2", 1},          {"abc", 1},    {"", 1},
        {"   ", 1},     {"12abc", 1},     {" 7 ", 7},         {"+4", 4},     {"+ 4", 4},
        {"- 3", 1},     {"1e1", 10},      {"1D1", 10},        {"1d1", 10},   {"2.5E0", 2},
        {"1e+2", 100},  {"5E-1", 0},      {"&H10", 16},       {"&hfF", 255}, {"&o107", 71},
        {"&O777", 511}, {"32767", 32767}, {"32767.4", 32767}, {"1,5", 1},    {".5", 0},
        {"6.", 6},      {"1e", 1},        {"&H", 1},          {"&HG", 1},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(EnterCountFromText(text), expected) << '"' << text << '"';
    }
    for (const char* text : {"32767.5", "32768", "1e5", "1e400", "&HFFFFFF"}) {
        EXPECT_THROW(EnterCountFromText(text), EnterCountOverflow) << text;
    }
    EXPECT_STREQ(EnterCountOverflow().what(), "Overflow");
}

TEST(EnterCountTest, NumericTestRefusesLettersAfterTheNumber) {
    const std::pair<const char*, bool> cases[] = {
        {"1", true},      {" 1 ", true},  {"-1", true},     {"1.5", true},   {"1e3", true},
        {"1d3", true},    {"&H1F", true}, {"1,000", false}, {"", false},     {"  ", false},
        {"12abc", false}, {"abc", false}, {"1e", false},    {".", false},    {"&H", false},
        {"&HG", false},   {"1 2", false}, {"--1", false},   {"1e3x", false}, {"+", false},
    };
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
    for (const auto& [text, expected] : cases) {
        // In a heap block of exactly its size, so that a read past the end trips the sanitizer.
        const std::string_view literal(text);
        const auto exact = std::make_unique_for_overwrite<char[]>(literal.size());
        EXPECT_EQ(IsNumericText({exact.get(), literal.copy(exact.get(), literal.size())}), expected)
            << '"' << text << '"';
    }
}

TEST(EnterCountTest, NumericTestFollowsTheLocaleDecimalCharacter) {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    }
    EXPECT_TRUE(IsNumericText("2,5"));
    EXPECT_TRUE(IsNumericText("1.000"));
    // The value itself is read with "." whatever the locale: "2,5" reads as 2.
    EXPECT_EQ(EnterCountFromText("2,5"), 2);
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace
} // namespace brantlewick
