// SPDX-License-Identifier: GPL-3.0-or-later
// reStructuredText's blocks by indentation: paragraphs, list items, directives and what they hold.
#include "rst/RstScanner.h"

#include "rst/RstLines.h"

#include <algorithm>
#include <array>

namespace brantlewick::rst {

namespace {

using prose::IsAsciiLetter;
using prose::IsBlank;
using prose::LineReading;
using prose::LineRole;

// Directives whose content is body elements written as prose (admonitions, topics, version notes):
// their paragraphs are re-broken. Any other directive's content stays as it is.
constexpr std::array<std::string_view, 21> kProseDirectives = {
    "admonition", "attention", "caution",  "compound",   "container", "danger",       "deprecated",
    "epigraph",   "error",     "glossary", "highlights", "hint",      "important",    "note",
    "pull-quote", "seealso",   "sidebar",  "tip",        "topic",     "versionadded", "warning"};

bool IsProseDirective(std::string_view name) {
    return name == "versionchanged" ||
           std::find(kProseDirectives.begin(), kProseDirectives.end(), name) != kProseDirectives.end();
}

// "=== ===": a simple table's border.
bool IsTableBorder(std::string_view text) {
    return text.starts_with("==") && text.find_first_not_of("= ") == std::string_view::npos &&
           text.find(' ') != std::string_view::npos;
}

std::string_view TrimEnd(std::string_view line) {
    while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

} // namespace

LineReading RstScanner::Read(std::string_view whole) {
    const std::string_view line = TrimEnd(whole);
    const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
    const bool blank = indent == line.size();
    if (!blank && line[indent] == '\t') {
        // Tabs stand for indentation to the next multiple of eight; such lines stay as they are.
        LineReading reading = SkipTo(kNone);
        reading.keepBefore = paragraph_;
        paragraph_ = false;
        skipToBlank_ = true;
        return reading;
    }
    if (blank) {
        if (paragraph_ && endsLiteral_) {
            literalAfter_ = indent_;
        }
        paragraph_ = skipToBlank_ = inOptions_ = false;
        if (simpleTable_ && borderLast_ && borders_ >= 2) {
            simpleTable_ = false;
        }
        borderLast_ = false;
        return {};
    }
    if (skipToBlank_) {
        return {};
    }
    if (simpleTable_) {
        borderLast_ = IsTableBorder(line.substr(indent));
        borders_ += borderLast_ ? 1 : 0;
        return {};
    }
    if (skipDeeperThan_ != kNone) {
        if (indent > skipDeeperThan_) {
            return {};
        }
        skipDeeperThan_ = kNone;
    }
    if (inOptions_) {
        // A directive's options, and anything else before its first blank line, are no prose.
        return {};
    }
    if (paragraph_) {
        return ReadInParagraph(line, indent);
    }
    if (literalAfter_ != kNone) {
        const std::size_t after = literalAfter_;
        literalAfter_ = kNone;
        if (indent > after) {
            return SkipTo(after); // an indented literal block
        }
        if (indent == after && IsAdornment(line.substr(indent, 1))) {
            skipToBlank_ = true; // a quoted literal block
            return {};
        }
    }
    return ReadBlockStart(line, indent);
}

LineReading RstScanner::ReadInParagraph(std::string_view line, std::size_t indent) {
    if (indent == indent_) {
        if (lines_ == 1 && !listItem_ && IsAdornment(line.substr(indent))) {
            paragraph_ = false; // a section title's underline
            return {LineRole::Closes, 0, {}, false, false};
        }
        if (IsTableBorder(line.substr(indent)) || !MayStartProseLine(line.substr(indent))) {
            // A simple table's border, an adornment or a line of marks under text that is no title: docutils
            // may report it or read it as a block, and its output then depends on these lines.
            LineReading reading = SkipTo(kNone);
            reading.keepBefore = true;
            paragraph_ = false;
            skipToBlank_ = true;
            return reading;
        }
        ++lines_;
        endsLiteral_ = line.ends_with("::");
        return {LineRole::Continuation, indent, {}, false, false};
    }
    paragraph_ = false;
    if (listItem_ && indent < indent_ && ListMarkerEnd(line.substr(indent)) > 0) {
        // Only a bullet list's next item, with the same bullet at the same place, is sure to belong to the
        // list: docutils reads an item that another list's item follows at once as a paragraph, that item
        // its next line. Either way both lines stay as they are.
        if (!itemMarker_.empty() && line.substr(0, indent + 1) == itemMarker_) {
            return ReadBlockStart(line, indent);
        }
        paragraph_ = true;
        listItem_ = false;
        indent_ = indent;
        ++lines_;
        endsLiteral_ = line.ends_with("::");
        return {LineRole::Continuation, indent, {}, true, true};
    }
    if (indent > indent_ && lines_ == 1 && !listItem_) {
        // The paragraph was a definition's term; its body starts here.
        LineReading reading = ReadBlockStart(line, indent);
        reading.keepBefore = true;
        return reading;
    }
    // A line at another indentation right after a paragraph: a warning or error to docutils, whose output
    // then depends on exactly these lines.
    skipToBlank_ = true;
    return {LineRole::Closes, 0, {}, false, false};
}

LineReading RstScanner::ReadBlockStart(std::string_view line, std::size_t indent) {
    const std::string_view text = line.substr(indent);
    if (text.starts_with("..") && (text.size() == 2 || IsBlank(text[2]))) {
        return ReadExplicitMarkup(text, indent);
    }
    if (text == "::") {
        literalAfter_ = indent;
        return {};
    }
    if (IsTableBorder(text)) {
        simpleTable_ = true;
        borders_ = 1;
        borderLast_ = true;
        return {};
    }
    if (IsAdornment(text) || text.starts_with("+-") || text.starts_with("+=") || text.starts_with(">>>") ||
        text.starts_with("| ") || text == "|") {
        // Transitions and overlines, grid tables, doctest blocks, line blocks.
        skipToBlank_ = !IsAdornment(text);
        return {};
    }
    if (IsFieldOrOption(text)) {
        return SkipTo(indent);
    }
    const std::size_t marker = ListMarkerEnd(text);
    if (marker > 0) {
        if (marker >= text.size()) {
            return {}; // an item whose body starts on the next line
        }
        if (StartsBodyElement(text.substr(marker))) {
            return SkipTo(indent); // an item that starts with a comment, a field, a line block...
        }
        LineReading reading = StartParagraph(line, indent + marker);
        listItem_ = true;
        if (text[0] == '-' || text[0] == '*' || text[0] == '+') {
            itemMarker_.assign(line.substr(0, indent + 1));
        }
        return reading;
    }
    return StartParagraph(line, indent);
}

LineReading RstScanner::ReadExplicitMarkup(std::string_view text, std::size_t indent) {
    // ".. name:: arguments": a directive. Anything else after ".." (a comment, a target, a footnote, a
    // citation, a substitution) stays as it is with everything indented under it.
    const std::size_t nameEnd = text.find("::");
    std::string_view name = nameEnd == std::string_view::npos ? "" : text.substr(3, nameEnd - 3);
    const bool directive = text.size() > 3 && IsAsciiLetter(text[3]) && nameEnd != std::string_view::npos &&
                           name.find_first_of(" \t`:|[]") == std::string_view::npos;
    if (!directive || !IsProseDirective(name)) {
        return SkipTo(indent);
    }
    inOptions_ = true;
    return {};
}

LineReading RstScanner::StartParagraph(std::string_view line, std::size_t indent) {
    paragraph_ = true;
    listItem_ = false;
    itemMarker_.clear();
    indent_ = indent;
    lines_ = 1;
    endsLiteral_ = line.ends_with("::");
    return {LineRole::ParagraphStart, indent, std::string(indent, ' '), false, false};
}

LineReading RstScanner::SkipTo(std::size_t indent) {
    skipDeeperThan_ = indent;
    return {};
}

} // namespace brantlewick::rst
