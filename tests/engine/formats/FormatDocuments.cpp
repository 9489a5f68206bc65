// SPDX-License-Identifier: GPL-3.0-or-later
// Random AsciiDoc, reStructuredText and LaTeX: each format's blocks and inline markup with prose wrapped
// at random widths, and sentences that start with what would start a block at a line's start.
#include "FormatDocuments.h"

#include "RandomLines.h"

#include <array>
#include <vector>

namespace brantlewick::testing {

namespace {

constexpr std::array<std::string_view, 20> kWords = {"the",  "file", "keeps", "every", "line", "Dr.",  "e.g.",
                                                     "U.S.", "3.14", "v2.0",  "mind",  "one",  "more", "café",
                                                     "Mr.",  "etc.", "no.",   "i.e.",  "St.",  "ok"};
constexpr std::array<std::string_view, 6> kEnds = {".", "!", "?", "...", ".)", "?!"};

// Sentence starts and inline markup of each format; many would start a block at a line's start.
constexpr std::array<std::string_view, 26> kAsciiDocPieces = {"*bold. text*",
                                                              "_it. here_",
                                                              "`mono. x`",
                                                              "+pass. x+",
                                                              "link:u[the. site]",
                                                              "https://x.org[a. b]",
                                                              "<<id,see. x>>",
                                                              "{attr}",
                                                              "footnote:[One. Two.]",
                                                              "- dash",
                                                              "* star",
                                                              ". dot",
                                                              "1. one",
                                                              "a. alpha",
                                                              "// slash",
                                                              "[role]",
                                                              ".Title",
                                                              "----",
                                                              "====",
                                                              "term:: def",
                                                              "NOTE: x",
                                                              "ifdef::x[]",
                                                              "+",
                                                              "|===",
                                                              "((term))",
                                                              "kbd:[Ctrl+C]"};
constexpr std::array<std::string_view, 24> kRstPieces = {"*emph. x*",
                                                         "**strong. y**",
                                                         "``lit. z``",
                                                         "`ref. a`_",
                                                         ":ref:`b. c`",
                                                         "|sub|",
                                                         "[1]_",
                                                         "`a <https://x.org>`_",
                                                         "https://x.org/a.b",
                                                         "- dash",
                                                         "* star",
                                                         "+ plus",
                                                         "1. one",
                                                         "#. hash",
                                                         "(a) alpha",
                                                         ".. dots",
                                                         "::",
                                                         ":field: x",
                                                         "-o option",
                                                         "| bar",
                                                         ">>> doc",
                                                         "====",
                                                         "word_",
                                                         "\\*escaped"};
constexpr std::array<std::string_view, 24> kLatexPieces = {"$x. y$",
                                                           "\\(a. b\\)",
                                                           "\\emph{one. Two}",
                                                           "\\textbf{x}",
                                                           "\\ref{sec. a}",
                                                           "\\cite{k1, k2}",
                                                           "\\url{x.org/a.b}",
                                                           "\\verb|a. b|",
                                                           "\\footnote{Note. More.}",
                                                           "e.g.\\ this",
                                                           "Fig.~3",
                                                           "\\\\",
                                                           "\\item",
                                                           "\\section{A. B}",
                                                           "% note. here",
                                                           "\\label{a. b}",
                                                           "\\LaTeX{}",
                                                           "\\%",
                                                           "\\{",
                                                           "{\\bf word}",
                                                           "\\begin{x}",
                                                           "\\newline",
                                                           "[opt]",
                                                           "*star"};

class Maker : RandomLines {
public:
    Maker(TextFormat format, std::uint32_t seed) : RandomLines(seed), format_(format) {}

    std::string Document() {
        Lines lines;
        const int blocks = 1 + Pick(7);
        for (int i = 0; i < blocks; ++i) {
            Append(lines, Block());
            lines.emplace_back();
        }
        if (format_ == TextFormat::LaTeX && Pick(2) == 0) {
            lines.insert(lines.begin(),
                         {"\\documentclass{article}", "\\usepackage{amsmath}", "\\begin{document}"});
            lines.emplace_back("\\end{document}");
        }
        const std::string_view end = Pick(5) == 0 ? "\r\n" : "\n";
        return Joined(lines, end);
    }

private:
    std::string_view Piece() {
        switch (format_) {
        case TextFormat::AsciiDoc:
            return From(kAsciiDocPieces);
        case TextFormat::ReStructuredText:
            return From(kRstPieces);
        default:
            return From(kLatexPieces);
        }
    }

    std::string Sentence() {
        std::string s = Pick(3) == 0 ? std::string(Piece()) : std::string(Pick(2) == 0 ? "The" : "Then");
        const int words = 1 + Pick(7);
        for (int i = 0; i < words; ++i) {
            s += ' ';
            s += Pick(5) == 0 ? Piece() : From(kWords);
        }
        return s + std::string(From(kEnds));
    }

    // Sentences wrapped at a random width, each line after `lead` on the first line and `hang` on the rest.
    Lines Prose(const std::string& lead, const std::string& hang) {
        std::string text;
        const int sentences = 1 + Pick(5);
        for (int i = 0; i < sentences; ++i) {
            text += (i > 0 ? " " : "") + Sentence();
        }
        Lines lines;
        const std::size_t width = 20 + static_cast<std::size_t>(Pick(60));
        std::string line = lead;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t space = std::min(text.find(' ', at), text.size());
            const std::string word = text.substr(at, space - at);
            if (line.size() > hang.size() && line.size() + word.size() > width) {
                lines.push_back(line);
                line = hang;
            } else if (line.size() > hang.size() && !(lines.empty() && line == lead)) {
                line += ' ';
            }
            line += word;
            at = space + 1;
        }
        lines.push_back(line);
        return lines;
    }

    Lines Block() {
        switch (format_) {
        case TextFormat::AsciiDoc:
            return AsciiDocBlock();
        case TextFormat::ReStructuredText:
            return RstBlock();
        default:
            return LatexBlock();
        }
    }

    Lines AsciiDocBlock() {
        switch (Pick(12)) {
        case 0:
            return Prose("* ", "");
        case 1:
            return Prose("NOTE: ", "");
        case 2:
            return {"[source,ruby]", "----", "puts 'Rain. Sun.'", "----"};
        case 3: {
            Lines lines = {"****"};
            Append(lines, Prose("", ""));
            lines.emplace_back("****");
            return lines;
        }
        case 4:
            return {"== A title. Here", "", Sentence()};
        case 5:
            return {":name: Value. More.", ".A block title. Here", Sentence()};
        case 6: {
            Lines lines = Prose("term:: ", "");
            lines.emplace_back("+");
            Append(lines, Prose("", ""));
            return lines;
        }
        case 7:
            return {"|===", "|Rain. Sun. |Wind.", "|==="};
        case 8: {
            Lines lines = Prose("", "");
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(Pick(static_cast<int>(lines.size()))),
                         "// a comment. Here");
            return lines;
        }
        default:
            return Prose("", "");
        }
    }

    Lines RstBlock() {
        switch (Pick(12)) {
        case 0:
            return Prose("- ", "  ");
        case 1:
            return Prose("1. ", "   ");
        case 2: {
            Lines lines = {".. note::", ""};
            Append(lines, Prose("   ", "   "));
            return lines;
        }
        case 3:
            return {".. code-block:: python", "", "   x = 1. Not prose. Here."};
        case 4:
            return {"A title. Here", "=============", "", Sentence()};
        case 5: {
            Lines lines = {"Term"};
            Append(lines, Prose("   ", "   "));
            return lines;
        }
        case 6: {
            Lines lines = Prose("", "");
            lines.back() += "::";
            Append(lines, {"", "   literal. text. Here."});
            return lines;
        }
        case 7:
            return {":field: Rain. Sun.", "   More. Text."};
        case 8:
            return {".. comment. Here. There.", "   Still. Comment."};
        case 9:
            return {"=====  =====", "Rain.  Sun. Wind.", "=====  ====="};
        default:
            return Prose("", "");
        }
    }

    Lines LatexBlock() {
        switch (Pick(10)) {
        case 0: {
            Lines lines = {"\\begin{itemize}"};
            Append(lines, Prose("  \\item ", "    "));
            Append(lines, Prose("  \\item ", "  "));
            lines.emplace_back("\\end{itemize}");
            return lines;
        }
        case 1:
            return {"\\begin{equation}", "  a. B = c. D", "\\end{equation}"};
        case 2:
            return {"\\begin{verbatim}", "Rain. Sun.", "\\end{verbatim}"};
        case 3:
            return {"\\section{A title. Here}", Sentence()};
        case 4: {
            Lines lines = Prose("", "");
            lines.front() += " % a comment. Here";
            return lines;
        }
        case 5:
            return {"\\[", "  x. Y", "\\]"};
        case 6: {
            Lines lines = {"\\begin{quote}"};
            Append(lines, Prose("  ", "  "));
            lines.emplace_back("\\end{quote}");
            return lines;
        }
        default:
            return Prose("", "");
        }
    }

    TextFormat format_;
};

} // namespace

std::string RandomDocument(TextFormat format, std::uint32_t seed) {
    return Maker(format, seed).Document();
}

} // namespace brantlewick::testing
