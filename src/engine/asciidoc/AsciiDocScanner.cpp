// SPDX-License-Identifier: GPL-3.0-or-later
// AsciiDoc's blocks: delimited blocks, block attributes and titles, lists, and the paragraphs between.
#include "asciidoc/AsciiDocScanner.h"

#include "asciidoc/AsciiDocLines.h"

#include <algorithm>
#include <array>

namespace brantlewick::asciidoc {

namespace {

using prose::IsAsciiDigit;
using prose::IsAsciiLetter;
using prose::IsBlank;
using prose::LineReading;
using prose::LineRole;

std::string_view TrimEnd(std::string_view line) {
    while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

bool StartsWithWord(std::string_view line, std::string_view word) {
    return line.starts_with(word) || (line.starts_with('\\') && line.substr(1).starts_with(word));
}

// "include::", "ifdef::" and their kin, which Asciidoctor's preprocessor reads on any line, a paragraph's
// too, before it reads blocks.
bool IsPreprocessorLine(std::string_view line) {
    return std::any_of(kDirectives.begin(), kDirectives.end(),
                       [line](std::string_view directive) { return StartsWithWord(line, directive); });
}

// ":name: value", ":name!:", ":!name:".
bool IsAttributeEntry(std::string_view line) {
    if (!line.starts_with(':')) {
        return false;
    }
    std::size_t at = line.size() > 1 && line[1] == '!' ? 2 : 1;
    const std::size_t name = at;
    while (at < line.size() &&
           (IsAsciiLetter(line[at]) || IsAsciiDigit(line[at]) || line[at] == '_' || line[at] == '-')) {
        ++at;
    }
    if (at == name) {
        return false;
    }
    at += at < line.size() && line[at] == '!' ? 1 : 0;
    return at < line.size() && line[at] == ':' && (at + 1 == line.size() || IsBlank(line[at + 1]));
}

// The first positional attribute of a block attribute line ("[source,ruby]", "[NOTE]", "[quote#id]"):
// the block's style, without its shorthands.
std::string_view StyleOf(std::string_view line) {
    std::string_view inside = line.substr(1, line.size() - 2);
    inside = inside.substr(0, std::min(inside.find(','), inside.size()));
    return inside.substr(0, std::min(inside.find_first_of("#.%"), inside.size()));
}

bool IsProseStyle(std::string_view style) {
    return std::any_of(kProseStyles.begin(), kProseStyles.end(), [style](std::string_view known) {
        return style.size() == known.size() &&
               std::equal(style.begin(), style.end(), known.begin(),
                          [](char a, char b) { return (a | 0x20) == (b | 0x20); });
    });
}

// A delimited block's opening or closing line, or empty.
std::string_view Delimiter(std::string_view line) {
    if (line == "--" || (line.size() >= 3 && line.starts_with("```"))) {
        return line.starts_with("```") ? line.substr(0, 3) : line;
    }
    if (line.size() >= 4 && std::string_view("|,:!").find(line[0]) != std::string_view::npos &&
        line.find_first_not_of('=', 1) == std::string_view::npos) {
        return line; // a table
    }
    if (line.size() >= 4 && std::string_view("-.+/*=_").find(line[0]) != std::string_view::npos &&
        line.find_first_not_of(line[0]) == std::string_view::npos) {
        return line;
    }
    return {};
}

// Listing, literal, passthrough and comment blocks and tables; sidebars, examples, quotes and open
// blocks hold blocks of their own.
bool IsVerbatimDelimiter(std::string_view delimiter) {
    return delimiter.starts_with("```") ||
           (delimiter != "--" && std::string_view("-|,:!.+/").find(delimiter[0]) != std::string_view::npos);
}

} // namespace

LineReading AsciiDocScanner::Read(std::string_view line) {
    const std::string_view trimmed = TrimEnd(line);
    if (!verbatimEnd_.empty()) {
        if (trimmed == verbatimEnd_) {
            verbatimEnd_.clear();
        }
        return {};
    }
    if (attributeGoesOn_) {
        attributeGoesOn_ = trimmed.ends_with(" \\") || trimmed.ends_with(" +");
        return {};
    }
    const bool afterDirective = afterDirective_;
    afterDirective_ = false;
    if (trimmed.find_first_not_of(" \t") == std::string_view::npos) {
        paragraph_ = literal_ = header_ = afterTerm_ = false;
        return {};
    }
    if (literal_ || header_) {
        return {};
    }
    if (IsPreprocessorLine(trimmed)) {
        afterDirective_ = true;
        return {};
    }
    // A comment line is taken out of a paragraph before it is read: the paragraph goes on after it.
    if (trimmed.starts_with("//") && !trimmed.starts_with("///")) {
        return {paragraph_ ? LineRole::Continuation : LineRole::Other, 0, {}, false};
    }
    LineReading reading = ReadText(line, trimmed);
    reading.keep = reading.keep || afterDirective || hardBreaks_;
    return reading;
}

LineReading AsciiDocScanner::ReadText(std::string_view line, std::string_view trimmed) {
    const bool paragraphOpen = paragraph_;
    if (const std::string_view delimiter = Delimiter(trimmed); !delimiter.empty()) {
        return ReadDelimiter(delimiter, paragraphOpen);
    }
    if (trimmed.starts_with('[') && trimmed.ends_with(']')) {
        // A block attribute line or an anchor ends a paragraph and belongs to the next block.
        paragraph_ = false;
        ReadAttributeLine(trimmed);
        return {};
    }
    if (trimmed == "+") {
        paragraph_ = false; // a list continuation
        return {};
    }
    // A list marker ends a paragraph in a list item (and may be text in one outside lists, which a
    // paragraph attached to an item by "+" is not always): it always starts a paragraph of its own.
    const bool listItem = ListItemText(trimmed) > 0;
    if (paragraphOpen && !listItem) {
        return {LineRole::Continuation, 0, {}, false};
    }
    if (trimmed.starts_with("= ") || trimmed.starts_with("# ")) {
        header_ = true; // the document's title, then its author, revision and attributes
        return {};
    }
    if (IsAttributeEntry(trimmed)) {
        hardBreaks_ = hardBreaks_ || trimmed.find("hardbreaks") != std::string_view::npos;
        attributeGoesOn_ = trimmed.ends_with(" \\") || trimmed.ends_with(" +");
        return {};
    }
    if (IsSectionTitle(trimmed) || IsBlockTitle(trimmed) || IsBlockMacro(trimmed) || trimmed == "'''" ||
        trimmed == "<<<") {
        // Under a list item's text, Asciidoctor reads ".Title x:: y" as a nested term on the item's second
        // line and as a block title further down: the text above keeps its lines.
        LineReading reading;
        reading.keepBefore = paragraphOpen && IsBlockTitle(trimmed);
        return reading;
    }
    const std::size_t indent = std::min(line.find_first_not_of(" \t"), line.size());
    if (listItem) {
        const std::size_t text = ListItemText(trimmed);
        if (text >= trimmed.size()) {
            afterTerm_ = true; // a term alone, its definition on the lines after
            return {};
        }
        // A term's text is read with its term, whose line stays as it is.
        const bool term = HasTermMarker(trimmed.substr(0, text));
        return StartParagraph(term ? indent : text, std::string(line.substr(0, indent)));
    }
    if (indent > 0 && !afterTerm_) {
        literal_ = true;
        return {};
    }
    // A quoted paragraph's shape, and a first line that joined to the next could end as a block macro.
    const bool quoted = trimmed.starts_with('"') || trimmed.starts_with("> ") || StartsWithMacroName(trimmed);
    LineReading reading =
        StartParagraph(std::max(indent, AdmonitionLabel(trimmed)), std::string(line.substr(0, indent)));
    reading.keep = reading.keep || quoted;
    return reading;
}

LineReading AsciiDocScanner::ReadDelimiter(std::string_view delimiter, bool paragraphOpen) {
    paragraph_ = false;
    LineReading reading;
    // A paragraph of one line over a line of "=", "-", "~", "^" or "+" as long as it (give or take two)
    // is a section title; its lines joined, any paragraph could become one.
    if (paragraphOpen && std::string_view("=-~^+").find(delimiter[0]) != std::string_view::npos) {
        reading.role = LineRole::Closes;
    }
    const auto open = std::find(compound_.begin(), compound_.end(), delimiter);
    if (open != compound_.end()) {
        compound_.erase(open, compound_.end());
    } else if (IsVerbatimDelimiter(delimiter) || (!style_.empty() && !IsProseStyle(style_)) || styleKeeps_) {
        verbatimEnd_ = delimiter;
    } else {
        compound_.emplace_back(delimiter);
    }
    style_.clear();
    styleKeeps_ = false;
    return reading;
}

void AsciiDocScanner::ReadAttributeLine(std::string_view line) {
    if (line.starts_with("[[")) {
        return; // an anchor
    }
    style_ = StyleOf(line);
    styleKeeps_ = line.find("hardbreaks") != std::string_view::npos;
}

LineReading AsciiDocScanner::StartParagraph(std::size_t textStart, std::string continuation) {
    LineReading reading{LineRole::ParagraphStart, textStart, std::move(continuation), false};
    reading.keep = styleKeeps_ || (!style_.empty() && !IsProseStyle(style_));
    style_.clear();
    styleKeeps_ = false;
    paragraph_ = true;
    afterTerm_ = false;
    return reading;
}

} // namespace brantlewick::asciidoc
