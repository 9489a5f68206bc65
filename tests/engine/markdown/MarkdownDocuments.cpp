// SPDX-License-Identifier: GPL-3.0-or-later
// Random Markdown: blocks nested in lists and quotes, prose wrapped at random widths, and sentences that
// start with what would start a block at a line's start.
#include "MarkdownDocuments.h"

#include "RandomLines.h"
#include "TempDir.h"

#include <array>
#include <sstream>
#include <vector>

namespace brantlewick::testing {

namespace {

constexpr std::array<std::string_view, 24> kWords = {
    "the",   "file", "keeps", "every", "line",    "Brantlewick", "reads", "Dr.",
    "e.g.",  "U.S.", "3.14",  "v2.0",  "mind",    "one",         "more",  "café",
    "naïve", "Mr.",  "etc.",  "no.",   "approx.", "ok",          "i.e.",  "St."};

// What a sentence may start with; many of these would start a block at the start of a line.
constexpr std::array<std::string_view, 30> kStarts = {"The",         "Then",
                                                      "A",           "- dash",
                                                      "+ plus",      "* star",
                                                      "1. one",      "2) two",
                                                      "# hash",      "> quote",
                                                      "=",           "---",
                                                      "***",         "___",
                                                      "```",         "~~~",
                                                      "<div>",       "| a |",
                                                      "[^1]: x",     "[a]: /u",
                                                      "| --- |",     ":--",
                                                      "10.",         "`code`",
                                                      "*Em* word",   "[Link](/u) here",
                                                      "<b>bold</b>", "$x$ is",
                                                      "\\* x",       "«Quoted»"};

// ... and what starts a flavour's line.
constexpr std::array<std::string_view, 14> kFlavourStarts = {
    "{: .x}", ":::",     ":::{note}", "$$",  "!!! note", "=== \"Tab\"", "% x", "import {a} from 'b'",
    "<Tab>",  "[!NOTE]", "~ x",       "///", "{% x %}",  "(x)="};

// Blocks of the flavours' structure, with prose inside where the flavour reads it as prose.
const std::vector<Lines>& FlavourBlocks() {
    static const std::vector<Lines> blocks = [] {
        std::vector<Lines> read(1);
        std::istringstream file(
            ReadBytes(BRANTLEWICK_SOURCE_DIR "/tests/engine/markdown/flavour-blocks.txt"));
        for (std::string line; std::getline(file, line);) {
            if (line == "@@") {
                read.emplace_back();
            } else if (!line.starts_with('#')) {
                read.back().push_back(line);
            }
        }
        read.pop_back();
        return read;
    }();
    return blocks;
}

constexpr std::array<std::string_view, 8> kEnds = {".", "!", "?", "...", ".)", ".\"", "?!", ".*"};

class Maker : RandomLines {
public:
    Maker(std::uint32_t seed, bool flavoured) : RandomLines(seed), flavoured_(flavoured) {}

    std::string PlainDocument() {
        Lines lines;
        const int blocks = 2 + Pick(8);
        for (int i = 0; i < blocks; ++i) {
            switch (Pick(8)) {
            case 0:
                lines.emplace_back("## Heading. Two");
                break;
            case 1: // a list, each item a paragraph
                for (int item = 1 + Pick(3); item > 0; --item) {
                    const Lines inner = PlainParagraph();
                    for (std::size_t l = 0; l < inner.size(); ++l) {
                        lines.push_back((l == 0 ? "- " : "  ") + inner[l]);
                    }
                }
                break;
            case 2:
                for (const std::string& line : PlainParagraph()) {
                    lines.push_back("> " + line);
                }
                break;
            case 3:
                Append(lines, {"```", "code. Code.", "```"});
                break;
            case 4:
            case 5:
                Append(lines, Flavour(true));
                break;
            default:
                Append(lines, PlainParagraph());
                break;
            }
            lines.emplace_back();
        }
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\n";
        }
        return text;
    }

    std::string Document() {
        Lines lines;
        if (Pick(10) == 0) {
            lines = {"---", "title: A title. With two sentences.", "", "summary: More. Text.", "---", ""};
        }
        const int blocks = 1 + Pick(8);
        for (int i = 0; i < blocks; ++i) {
            Append(lines, Block(0));
            if (Pick(6) != 0) {
                lines.emplace_back();
            }
        }
        const std::string_view end = Pick(4) == 0 ? "\r\n" : Pick(8) == 0 ? "\r" : "\n";
        return Joined(lines, end);
    }

private:
    // Inline markup, and a plain word one time in 22.
    std::string Inline() {
        static constexpr std::array<std::string_view, 21> kInlines = {
            "`code. Span`",
            "[link text. More](https://example.com/a.b \"Title. Here\")",
            "![alt. Text](img.png)",
            "*emphasis. Goes on*",
            "**strong. Text**",
            "~~gone. Text~~",
            "<https://example.com/x.y>",
            "<span class=\"a. B\">inline. Html</span>",
            "$a. B$",
            "[^1]",
            "www.example.com/a. b",
            "\\*not emphasis\\*",
            "&amp; x",
            "日本語の文です。次の文",
            "[ref. Link][a]",
            "``tick ` tick. X``",
            "<!-- a comment. Here -->",
            "_under. Score_",
            "snake_case_name",
            "2 * 3",
            "(see [1]. Also)"};
        const auto pick = static_cast<std::size_t>(Pick(22));
        return std::string(pick < kInlines.size() ? kInlines[pick] : From(kWords));
    }

    std::string Sentence() {
        std::string s(Pick(3) != 0                 ? std::string_view("The")
                      : flavoured_ && Pick(2) == 0 ? From(kFlavourStarts)
                                                   : From(kStarts));
        const int words = 1 + Pick(7);
        for (int i = 0; i < words; ++i) {
            s += ' ';
            s += Pick(4) == 0 ? Inline() : std::string(From(kWords));
        }
        s += From(kEnds);
        return s;
    }

    // No line starts with what could start a block in some reader: such a line goes on the one before.
    Lines PlainParagraph() {
        Lines lines;
        for (std::string& line : Paragraph(false)) {
            line.erase(0, line.find_first_not_of(' '));
            const bool blockLike =
                std::string_view("<#>|-+*=`~[:$!?{%(/\\").find(line.front()) != std::string_view::npos ||
                (line.front() >= '0' && line.front() <= '9');
            if (blockLike && !lines.empty()) {
                lines.back() += " " + line;
            } else {
                lines.push_back(line);
            }
        }
        return lines;
    }

    // A paragraph's lines, wrapped at a random width, with hard breaks now and then.
    Lines Paragraph(bool hardBreaks = true) {
        std::string text = Sentence();
        for (int i = Pick(5); i > 0; --i) {
            text += Pick(10) == 0 ? "  " : " ";
            text += Sentence();
        }
        const std::size_t width = 20 + static_cast<std::size_t>(Pick(80));
        Lines lines;
        std::string line;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t space = text.find(' ', start);
            space = space == std::string::npos ? text.size() : space;
            line += text.substr(start, space - start);
            start = space + 1;
            if (line.size() >= width && start < text.size()) {
                if (hardBreaks && Pick(12) == 0) {
                    line += Pick(2) == 0 ? "  " : "\\";
                }
                lines.push_back(line);
                line = std::string(static_cast<std::size_t>(Pick(8) == 0 ? Pick(3) : 0), ' ');
            } else if (start <= text.size()) {
                line += ' ';
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
        return lines;
    }

    // A flavour's block, right after a paragraph or on its own.
    Lines Flavour(bool plain = false) {
        const Lines& block =
            FlavourBlocks()[static_cast<std::size_t>(Pick(static_cast<int>(FlavourBlocks().size())))];
        Lines lines = Pick(2) != 0 ? Lines{} : plain ? PlainParagraph() : Paragraph();
        lines.insert(lines.end(), block.begin(), block.end());
        return lines;
    }

    Lines Leaf() {
        if (flavoured_ && Pick(3) == 0) {
            return Flavour();
        }
        switch (Pick(14)) {
        case 0:
            return {"# Heading. With two sentences. Here"};
        case 1:
            return {"Setext heading. With text.", "Second line. More.", Pick(2) == 0 ? "===" : "---"};
        case 2:
            return {"```text", "code. Code. More code.", "", "Still code. Yes.", "```"};
        case 3:
            return {"    indented code. More code.", "    and more. Yes."};
        case 4:
            return {"<div>", "HTML block. Text here. More.", "</div>"};
        case 5:
            return {"| Head. One | Two. Three |", "| --- | :-: |", "| Cell. A | Cell. B |",
                    "More row. Text."};
        case 6:
            return {Pick(2) == 0 ? "***" : "- - -"};
        case 7:
            return {"[a]: https://example.com/a.b \"A title. Here\""};
        case 8:
            return {"[^1]: A footnote. With two sentences."};
        case 9:
            return {"$$", "x = 1. Y = 2.", "$$"};
        default:
            return Paragraph();
        }
    }

    Lines Block(int depth) {
        const int kind = depth > 3 ? 9 : Pick(10);
        if (kind == 0 || kind == 1) {
            return List(depth);
        }
        if (kind == 2) {
            return Quote(depth);
        }
        return Leaf();
    }

    // Each line of `inner` under `first` (on the first line) and `rest` (on the others); some paragraph
    // lines go without, lazily.
    Lines Nest(const Lines& inner, const std::string& first, const std::string& rest) {
        Lines out;
        for (std::size_t i = 0; i < inner.size(); ++i) {
            if (i == 0) {
                out.push_back(first + inner[i]);
            } else if (inner[i].empty()) {
                out.push_back(Pick(2) == 0 ? std::string() : rest.substr(0, rest.find_last_not_of(' ') + 1));
            } else {
                out.push_back((Pick(10) == 0 ? std::string() : rest) + inner[i]);
            }
        }
        return out;
    }

    Lines List(int depth) {
        const bool ordered = Pick(2) == 0;
        const std::string marker = ordered ? (Pick(3) == 0 ? "1)" : "1.") : std::string(1, "-+*"[Pick(3)]);
        const std::string padding(static_cast<std::size_t>(1 + Pick(3)), Pick(12) == 0 ? '\t' : ' ');
        Lines out;
        const int items = 1 + Pick(3);
        const bool loose = Pick(3) == 0;
        for (int i = 0; i < items; ++i) {
            Lines inner = Block(depth + 1);
            if (Pick(3) == 0) {
                inner.emplace_back();
                Append(inner, Block(depth + 1));
            }
            const std::string first = marker + padding;
            if (Pick(5) == 0 && !inner.empty()) {
                inner.front().insert(0, Pick(2) == 0 ? "[ ] 1\\. " : "[x] ");
            }
            Append(out, Nest(inner, first, std::string(first.size(), ' ')));
            if (loose) {
                out.emplace_back();
            }
        }
        return out;
    }

    Lines Quote(int depth) {
        Lines inner = Block(depth + 1);
        if (Pick(2) == 0) {
            inner.emplace_back();
            Append(inner, Block(depth + 1));
        }
        const std::string marker = Pick(4) == 0 ? ">" : "> ";
        return Nest(inner, marker, marker);
    }

    bool flavoured_;
};

} // namespace

std::string RandomMarkdown(std::uint32_t seed) {
    return Maker(seed, false).Document();
}

std::string RandomFlavouredMarkdown(std::uint32_t seed) {
    return Maker(seed, true).Document();
}

std::string RandomPlainFlavouredMarkdown(std::uint32_t seed) {
    return Maker(seed, true).PlainDocument();
}

} // namespace brantlewick::testing
