// SPDX-License-Identifier: GPL-3.0-or-later
// Markdown that makes naive readers slow: deep nesting, long runs of delimiters, openers that never
// close. The benchmark times each at growing sizes; the Markdown tests check what the mode makes of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brantlewick::pathological {

inline std::string Repeat(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

struct Case {
    const char* name;
    // The document for a size `n`; its bytes grow in proportion to n, or as n squared where `squared`.
    std::string (*make)(std::size_t n);
    std::size_t n; // a size that makes some 100 to 300 kB
    bool squared = false;
};

// Sentences a line of their own would take, so that the mode has breaks to make in each.
inline constexpr char kSentences[] = "Rain fell. Sun rose. Wind blew.";

inline constexpr Case kCases[] = {
    // Reported slow: one paragraph each, or one line.
    {"mismatched emphasis *a_", [](std::size_t n) { return Repeat("*a_ ", n) + kSentences; }, 50000},
    {"footnote marker openers [^", [](std::size_t n) { return Repeat("[^", n) + " " + kSentences; }, 100000},
    {"one line of list markers", [](std::size_t n) { return Repeat("- ", n) + kSentences + "\n"; }, 50000},
    {"thematic break of spaced dashes", [](std::size_t n) { return Repeat("- ", n) + "\n"; }, 100000},
    {"unclosed comments in a paragraph", [](std::size_t n) { return "a " + Repeat("<!--", n) + "\n"; },
     50000},
    {"continuation lines of a deep list item",
     [](std::size_t n) {
         std::string text = Repeat("- ", n) + kSentences + "\n";
         for (int line = 0; line < 3; ++line) {
             text += std::string(2 * n, ' ') + kSentences + "\n";
         }
         return text;
     },
     15000},
    {"sentences of a deep list item",
     [](std::size_t n) { return Repeat("- ", n) + Repeat("Rain fell. ", n) + "\n"; }, 8000},
    {"sentences of a deep block quote",
     [](std::size_t n) { return Repeat("> ", n) + Repeat("Rain fell. ", n) + "\n"; }, 8000},
    // The list every CommonMark reader is tried with.
    {"nested strong emphasis",
     [](std::size_t n) { return Repeat("*a **a ", n) + "b" + Repeat(" a** a*", n) + "\n"; }, 15000},
    {"emphasis closers without openers", [](std::size_t n) { return Repeat("a_ ", n) + "\n"; }, 50000},
    {"emphasis openers without closers", [](std::size_t n) { return Repeat("_a ", n) + "\n"; }, 50000},
    {"link closers without openers", [](std::size_t n) { return Repeat("a]", n) + "\n"; }, 75000},
    {"link openers without closers", [](std::size_t n) { return Repeat("[a", n) + "\n"; }, 75000},
    {"emphasis openers, then closers of the other kind",
     [](std::size_t n) { return Repeat("*a ", n) + Repeat("_a*_ ", n) + "\n"; }, 20000},
    {"openers and closers in multiples of three",
     [](std::size_t n) { return "a**b" + Repeat("c* ", n) + "\n"; }, 50000},
    {"link openers and emphasis closers", [](std::size_t n) { return Repeat("[ a_", n) + "\n"; }, 40000},
    {"pattern [ (]( repeated", [](std::size_t n) { return Repeat("[ (](", n) + "\n"; }, 40000},
    {"pattern ![[]() repeated", [](std::size_t n) { return Repeat("![[]()", n) + "\n"; }, 30000},
    {"nested brackets", [](std::size_t n) { return Repeat("[", n) + "a" + Repeat("]", n) + "\n"; }, 75000},
    {"nested footnote markers",
     [](std::size_t n) { return Repeat("[^", n) + "a. B." + Repeat("]", n) + "\n"; }, 50000},
    {"nested block quotes", [](std::size_t n) { return Repeat("> ", n) + "a\n"; }, 75000},
    {"deeply nested lists",
     [](std::size_t n) {
         std::string text;
         for (std::size_t i = 0; i < n; ++i) {
             text += std::string(2 * i, ' ') + "* a. B.\n";
         }
         return text;
     },
     300, true},
    {"backtick runs of every length",
     [](std::size_t n) {
         std::string text;
         for (std::size_t i = 1; i < n; ++i) {
             text += "e" + std::string(i, '`');
         }
         return text + "\n";
     },
     500, true},
    {"unclosed links with <", [](std::size_t n) { return Repeat("[a](<b", n) + "\n"; }, 30000},
    {"unclosed links", [](std::size_t n) { return Repeat("[a](b", n) + "\n"; }, 30000},
    {"unclosed comments after </", [](std::size_t n) { return "</" + Repeat("<!--", n) + "\n"; }, 50000},
    {"empty lines in deeply nested lists",
     [](std::size_t n) { return Repeat("- ", n) + "x\n" + std::string(n, '\n'); }, 30000},
    {"empty lines in deeply nested lists in a block quote",
     [](std::size_t n) { return "> " + Repeat("- ", n) + "x\n" + Repeat(">\n", n); }, 30000},
    {"emphasis in a deep block quote",
     [](std::size_t n) { return std::string(n, '>') + Repeat("a*", n) + "\n"; }, 50000},
    {"many link references",
     [](std::size_t n) {
         std::string text;
         for (std::size_t i = 0; i < n; ++i) {
             text += "[x" + std::to_string(i) + "]: /url\n\n[x0]. Rain fell.\n\n";
         }
         return text;
     },
     5000},
    {"tables of one column", [](std::size_t n) { return Repeat("aaa\rbbb\n-\v\n", n); }, 15000},
    {"long table",
     [](std::size_t n) { return "| a | b |\n|---|---|\n" + Repeat("| Rain fell. Sun rose. | c |\n", n); },
     5000},
    {"wide table",
     [](std::size_t n) {
         return Repeat("| a ", n) + "|\n" + Repeat("|---", n) + "|\n" + Repeat("| Rain fell. Sun rose. ", n) +
                "|\n";
     },
     5000},
    {"many image openers", [](std::size_t n) { return Repeat("![p", n) + "\n"; }, 50000},
    {"nested inlines", [](std::size_t n) { return std::string(n, '*') + "a" + std::string(n, '*') + "\n"; },
     75000},
    {"unclosed declarations", [](std::size_t n) { return "a " + Repeat("<!A ", n) + "\n"; }, 50000},
    {"unclosed processing instructions", [](std::size_t n) { return "a " + Repeat("<? ", n) + "\n"; }, 50000},
    {"unclosed math", [](std::size_t n) { return Repeat("$a $$ ", n) + "\n"; }, 30000},
    {"one long line of sentences", [](std::size_t n) { return Repeat("Rain fell. ", n) + "\n"; }, 20000},
    {"lines of emphasis marks", [](std::size_t n) { return Repeat("*_", n) + "a\n" + Repeat("b\n", n); },
     50000},
};

} // namespace brantlewick::pathological
