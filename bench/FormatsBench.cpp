// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for AsciiDoc, reStructuredText and LaTeX: throughput on prose, memory on a long
// stream, and time on each format's pathological inputs. Not a test: it prints figures.
//
//   formats_bench [--runs N] [--size MIB]
//       converts the licence texts under /usr/share/common-licenses (plain paragraphs, prose in every
//       format) repeated to MIB (default 64) in memory in 64 KiB pieces, N times (default 5), in each
//       format, and prints the median MB/s.
//   formats_bench --memory MB
//       streams MB megabytes of each format's blocks, with a 4 MiB paragraph now and then and a 4 MiB line
//       at the end, and prints the peak resident memory, which must not grow with MB.
//   formats_bench --pathological
//       converts each format's pathological inputs (deep nesting, unclosed delimiters, long lines) at three
//       sizes, each twice the one before, and prints the best of three times per byte: on a linear reading
//       the figures stay level, where a quadratic one would double them at each size.
#include "BenchKit.h"
#include "brantlewick/engine/Conversion.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace brantlewick::bench;
using brantlewick::TextFormat;

constexpr std::array<TextFormat, 3> kFormats = {TextFormat::AsciiDoc, TextFormat::ReStructuredText,
                                                TextFormat::LaTeX};

brantlewick::ConversionOptions Options(TextFormat format) {
    brantlewick::ConversionOptions options;
    options.sentences = true;
    options.format = format;
    return options;
}

int Prose(int runs, std::size_t mebibytes) {
    std::string once;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/share/common-licenses")) {
        std::ifstream in(entry.path(), std::ios::binary);
        once.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        once += "\n\n";
    }
    std::string text;
    while (text.size() < mebibytes * kMiB) {
        text += once;
    }
    for (const TextFormat format : kFormats) {
        std::vector<double> rates;
        rates.reserve(static_cast<std::size_t>(runs));
        for (int run = 0; run < runs; ++run) {
            rates.push_back(static_cast<double>(text.size()) / SecondsToConvert(Options(format), text) / 1e6);
        }
        std::sort(rates.begin(), rates.end());
        std::printf("%-8s %.1f MB of prose: median %.0f MB/s (best %.0f)\n",
                    std::string(brantlewick::TextFormatName(format)).c_str(),
                    static_cast<double>(text.size()) / 1e6, rates[rates.size() / 2], rates.back());
    }
    return 0;
}

std::string_view Blocks(TextFormat format) {
    switch (format) {
    case TextFormat::AsciiDoc:
        return "== A title\n\nDr. Smith paid 1.50 for 3.14 kg of apples, i.e. the red ones. *Why?* he "
               "asked.\n"
               "See link:https://example.com/a.b[the report] and `code. Here` for more.\n\n"
               "* An item. With two sentences.\n\n[source]\n----\ncode. More code.\n----\n\n";
    case TextFormat::ReStructuredText:
        return "A title\n=======\n\nDr. Smith paid 1.50 for 3.14 kg of apples, i.e. the red ones. *Why?* he "
               "asked.\n"
               "See `the report <https://example.com/a.b>`_ and ``code. Here`` for more.\n\n"
               "- An item. With two sentences.\n\n.. code-block:: c\n\n   code. More code.\n\n";
    default:
        return "\\section{A title}\nDr.~Smith paid 1.50 for $3.14$ kg of apples, i.e.\\ the red ones. "
               "\\emph{Why?} "
               "he asked.\nSee \\url{https://example.com/a.b} and \\verb|code. Here| for more. % note\n\n"
               "\\begin{itemize}\n  \\item An item. With two sentences.\n\\end{itemize}\n\n";
    }
}

int Memory(long megabytes) {
    for (const TextFormat format : kFormats) {
        std::string chunk;
        while (chunk.size() < kPiece) {
            chunk += Blocks(format);
        }
        const auto [fed, breaks] = StreamLongText(Options(format), chunk, megabytes);
        std::printf("%-8s %.0f MB: %llu breaks, peak resident memory so far %ld KiB\n",
                    std::string(brantlewick::TextFormatName(format)).c_str(), static_cast<double>(fed) / 1e6,
                    static_cast<unsigned long long>(breaks), PeakResidentKiB());
    }
    return 0;
}

std::string Repeat(std::string_view piece, std::size_t n) {
    std::string text;
    text.reserve(piece.size() * n);
    for (std::size_t i = 0; i < n; ++i) {
        text += piece;
    }
    return text;
}

// A paragraph of `n` pieces, then text after it that depends on the reading having ended.
std::string Paragraph(std::string_view piece, std::size_t n) {
    return Repeat(piece, n) + "\n\nRain fell. Sun rose.\n";
}

struct Case {
    TextFormat format;
    const char* name;
    std::function<std::string(std::size_t)> make;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {TextFormat::AsciiDoc, "nested sidebars and examples",
         [](std::size_t n) {
             std::string text;
             for (std::size_t i = 0; i < n / 8; ++i) {
                 text += std::string(4 + i % 50, i % 2 == 0 ? '*' : '=') + "\nRain fell. Sun rose.\n";
             }
             return text;
         }},
        {TextFormat::AsciiDoc, "unclosed formatting marks",
         [](std::size_t n) { return Paragraph("*a _b `c #d ", n / 12); }},
        {TextFormat::AsciiDoc, "unclosed macros and references",
         [](std::size_t n) { return Paragraph("x:y[ <<a {b [[c ((d ", n / 20); }},
        {TextFormat::AsciiDoc, "colons without blanks", [](std::size_t n) { return Paragraph("a:", n / 2); }},
        {TextFormat::AsciiDoc, "long line of sentences",
         [](std::size_t n) { return Paragraph("Rain fell. ", n / 11); }},
        {TextFormat::AsciiDoc, "many list items",
         [](std::size_t n) { return Repeat("* Rain fell. Sun rose.\n", n / 23); }},
        {TextFormat::ReStructuredText, "deep indentation",
         [](std::size_t n) {
             std::string text;
             for (std::size_t i = 0; i < n / 40; ++i) {
                 text += std::string(i % 200, ' ') + "Rain fell. Sun rose.\n\n";
             }
             return text;
         }},
        {TextFormat::ReStructuredText, "unclosed inline markup",
         [](std::size_t n) { return Paragraph("*a **b ``c `d |e [f ", n / 21); }},
        {TextFormat::ReStructuredText, "unclosed roles",
         [](std::size_t n) { return Paragraph(":r:`a ", n / 6); }},
        {TextFormat::ReStructuredText, "long line of sentences",
         [](std::size_t n) { return Paragraph("Rain fell. ", n / 11); }},
        {TextFormat::ReStructuredText, "nested directives",
         [](std::size_t n) {
             std::string text;
             for (std::size_t i = 0; i < n / 40; ++i) {
                 text += std::string(3 * (i % 60), ' ') + ".. note::\n\n" +
                         std::string(3 * (i % 60) + 3, ' ') + "Rain. Sun.\n\n";
             }
             return text;
         }},
        {TextFormat::LaTeX, "nested environments",
         [](std::size_t n) {
             return Repeat("\\begin{itemize}\n\\item Rain fell. Sun rose.\n", n / 44) +
                    Repeat("\\end{itemize}\n", n / 44);
         }},
        {TextFormat::LaTeX, "unclosed braces and math",
         [](std::size_t n) { return Paragraph("\\emph{a $b \\foo[c { ", n / 20); }},
        {TextFormat::LaTeX, "unclosed environment",
         [](std::size_t n) { return "\\begin{tabular}\n" + Paragraph("Rain fell. Sun rose.\n", n / 21); }},
        {TextFormat::LaTeX, "many comments",
         [](std::size_t n) { return Paragraph("Rain fell. % Sun. rose\n", n / 23); }},
        {TextFormat::LaTeX, "long line of sentences",
         [](std::size_t n) { return Paragraph("Rain fell. ", n / 11); }},
    };
    return cases;
}

int Pathological() {
    std::printf("%-8s %-34s %9s %9s %9s\n", "format", "input", "ns/byte", "at 2n", "at 4n");
    constexpr std::size_t kBytes = std::size_t{256} * 1024;
    for (const Case& c : Cases()) {
        std::printf("%-8s %-34s", std::string(brantlewick::TextFormatName(c.format)).c_str(), c.name);
        for (const std::size_t factor : {1U, 2U, 4U}) {
            const std::string text = c.make(kBytes * factor);
            double best = 1e9;
            for (int run = 0; run < 3; ++run) {
                best = std::min(best, SecondsToConvert(Options(c.format), text));
            }
            std::printf(" %9.1f", best * 1e9 / static_cast<double>(text.size()));
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::size_t mebibytes = 64;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--memory" && i + 1 < argc) {
            return Memory(std::atol(argv[++i]));
        }
        if (arg == "--pathological") {
            return Pathological();
        }
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--size" && i + 1 < argc) {
            mebibytes = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        }
    }
    return Prose(runs, mebibytes);
}
