// SPDX-License-Identifier: GPL-3.0-or-later
// Markdown's paragraphs as CommonMark and GitHub's reader have them, for the re-breaking of their prose.
#include "markdown/MarkdownSyntax.h"

#include "markdown/FlavourLines.h"
#include "markdown/Syntax.h"

#include <algorithm>

namespace brantlewick::markdown {

namespace {

std::size_t Run(std::string_view text, char c) {
    std::size_t n = 0;
    while (n < text.size() && text[n] == c) {
        ++n;
    }
    return n;
}

bool BlankOrEnd(std::string_view text, std::size_t at) {
    return at >= text.size() || IsBlank(text[at]) || text[at] == '\n';
}

// A paragraph that starts with "[label]:" may be link reference definitions, which must stay as they
// are; so may a footnote's text.
bool MayDefineLinks(std::string_view text) {
    std::size_t open = text.find_first_not_of(" \t");
    // GitHub's reader takes a task box off before it looks for definitions.
    for (const std::string_view box : {"[ ] ", "[x] ", "[X] "}) {
        if (open != std::string_view::npos && text.substr(open, box.size()) == box) {
            open = text.find_first_not_of(" \t", open + box.size());
        }
    }
    if (open == std::string_view::npos || text[open] != '[') {
        return false;
    }
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == ']') {
            return i + 1 < text.size() && text[i + 1] == ':';
        }
    }
    return false;
}

// A line that is text only because nothing follows it on its line: a list marker alone ("-", "1."), a
// definition's (":", "~"), or "*", "-" and "_" that are no thematic break yet ("**"). Joined to the next
// line, it could become one.
bool IsBareMarker(std::string_view line) {
    const std::size_t start = std::min(line.find_first_not_of(" \t\n"), line.size());
    const std::size_t end = line.find_last_not_of(" \t\n") + 1;
    if (start >= end) {
        return false;
    }
    const std::string_view text = line.substr(start, end - start);
    if (text.find_first_not_of("*-_ \t\n") == std::string_view::npos || text == "+" || text == ":" ||
        text == "~") {
        return true;
    }
    const std::size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
    return digits > 0 && digits + 1 == text.size() && (text.back() == '.' || text.back() == ')');
}

// Whether `line` starts with list markers and a task box ("1. [x] ..."): GitHub's reader may tick its
// list item's box for it even where the line only goes on with a paragraph.
bool StartsWithMarkedBox(std::string_view line) {
    bool marker = false;
    for (;;) {
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        const std::size_t digits = std::min(line.find_first_not_of("0123456789"), line.size());
        std::size_t length = 0;
        if (!line.empty() && (line[0] == '-' || line[0] == '+' || line[0] == '*')) {
            length = 1;
        } else if (digits > 0 && digits < 10 && digits < line.size() &&
                   (line[digits] == '.' || line[digits] == ')')) {
            length = digits + 1;
        }
        if (length == 0 || length >= line.size() || !IsBlank(line[length])) {
            break;
        }
        marker = true;
        line.remove_prefix(length);
    }
    return marker && (line.starts_with("[ ]") || line.starts_with("[x]") || line.starts_with("[X]"));
}

bool HasDelimiterRow(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (IsDelimiterRow(text.substr(start, end - start))) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

prose::Marks& MarkdownSyntax::Read(std::string_view text) {
    text_ = text;
    if (MayDefineLinks(text) || HasDelimiterRow(text)) {
        marks_.Clear();
        marks_.emphasisEnds.clear();
        marks_.unsure = true;
        return marks_;
    }
    ReadInlines(text, marks_);
    // GitHub's reader ticks a task box when an "[x]" follows anywhere on its line, and a box alone on
    // its line would become one joined to the next: that line stays whole and alone. So does a lone
    // "[", which a "]" on the next line would close into a box.
    const std::size_t first = std::min(text.find_first_not_of(" \t"), text.size());
    const std::string_view box = text.substr(first, 3);
    const char after = first + 3 < text.size() ? text[first + 3] : '\n';
    const std::size_t firstEnd = std::min(text.find('\n'), text.size());
    const std::size_t lastOnLine = text.find_last_not_of(" \t", firstEnd - 1);
    const bool isBox = box == "[ ]" || box == "[x]" || box == "[X]";
    if ((isBox && (IsBlank(after) || after == '\n')) ||
        (first < firstEnd && text[first] == '[' && lastOnLine == first)) {
        marks_.shielded.push_back({0, firstEnd});
        marks_.verbatim.push_back({firstEnd, std::min(firstEnd + 1, text.size())});
        prose::Normalize(marks_.shielded);
        prose::Normalize(marks_.verbatim);
    }
    // A box with only blanks after it ends its item's paragraph for GitHub's reader, so the lines after
    // it are a paragraph or heading of their own there ("* [X] ", "[", "="): they stay as they are.
    marks_.unsure =
        marks_.unsure || (isBox && IsBlank(after) && lastOnLine == first + 2 && firstEnd < text.size());
    return marks_;
}

bool MarkdownSyntax::KeepsLineEnd(std::string_view before, std::string_view after, bool alone) const {
    // Two spaces or a backslash before a line end make a hard break, which stays. A line that starts
    // with list markers and a task box stays as it is, neither joined to the line before nor given the
    // next: whatever its line holds may tick the box. A bare marker is one only on a line of its own:
    // lines joined to a line with anything else in it make none.
    // Nor may a join make a line that MyST reads as a target, "(" at its start and ")=" at its end; a line
    // ending so keeps both its line ends, so that a second run finds it as the first did.
    const std::string_view last = after.substr(0, after.find_last_not_of(" \t") + 1);
    const std::string_view previous = before.substr(0, before.find_last_not_of(" \t") + 1);
    return before.ends_with("  ") || before.ends_with("\t ") || before.ends_with(" \t") ||
           before.ends_with("\\") || StartsWithMarkedBox(after) || StartsWithMarkedBox(before) ||
           (alone && IsBareMarker(before)) || last.ends_with(")=") || previous.ends_with(")=") ||
           !MayEndLineAt(static_cast<std::size_t>(before.data() + before.size() - text_.data()));
}

bool MarkdownSyntax::MayEndLineAt(std::size_t at) const {
    if (at == 0 || (text_[at - 1] != '*' && text_[at - 1] != '_')) {
        return true;
    }
    return std::binary_search(marks_.emphasisEnds.begin(), marks_.emphasisEnds.end(), at);
}

bool MarkdownSyntax::MayBreak(std::size_t from, std::size_t /*to*/) const {
    return MayEndLineAt(from);
}

std::string MarkdownSyntax::Hang(std::string_view line) const {
    // A definition's text goes on under itself, past its ": " marker, as every definition list's reader
    // keeps it.
    std::string hang = ProseSyntax::Hang(line);
    if (ReadFlavourLine(line).kind == FlavourLine::Kind::Definition) {
        hang += ' ';
        const std::string_view after = line.substr(hang.size());
        hang.append(after.substr(0, std::min(after.find_first_not_of(" \t"), after.size())));
    }
    return hang;
}

bool MarkdownSyntax::MayCut(std::string_view line) const {
    // A line of three backticks and more is text only because a backtick follows later on it: cut
    // before that, it would open a code block. GitHub's reader looks for a task box after list markers
    // on every line of an item: such a line stays whole, since cut anywhere it would lose a box the item
    // showed, or show one a run over the cut lines would take away again. A line ending like a MyST
    // target keeps its line ends; cut, its first part would not, and a second run would join it.
    const std::size_t first = std::min(line.find_first_not_of(" \t"), line.size());
    const std::string_view last = line.substr(0, line.find_last_not_of(" \t\r\n") + 1);
    return line.substr(first, 3) != "```" && !StartsWithMarkedBox(line) && !last.ends_with(")=");
}

bool MarkdownSyntax::MayStartLine(std::string_view next) const {
    return !MayStartBlock(next) && ReadFlavourLine(next).kind == FlavourLine::Kind::Prose;
}

bool MayStartBlock(std::string_view line) {
    if (line.empty()) {
        return true;
    }
    const char c = line[0];
    switch (c) {
    case '>':
    case '|':
        return true;
    case '#':
        return BlankOrEnd(line, Run(line, '#'));
    case '-':
        return BlankOrEnd(line, Run(line, '-')) || line[Run(line, '-')] == '|' || line[Run(line, '-')] == ':';
    case '*':
    case '+':
    case '_':
    case '=':
        return BlankOrEnd(line, Run(line, c));
    case '`':
    case '~':
        return Run(line, c) >= 3;
    case ':':
        return line.size() > 1 && (line[1] == '-' || IsBlank(line[1]));
    case '<':
        return line.size() > 1 &&
               (IsAsciiLetter(line[1]) || line[1] == '/' || line[1] == '!' || line[1] == '?');
    case '[':
        return line.size() > 1 && line[1] == '^';
    default:
        break;
    }
    std::size_t digits = 0;
    while (digits < line.size() && IsAsciiDigit(line[digits])) {
        ++digits;
    }
    return digits > 0 && digits < line.size() && (line[digits] == '.' || line[digits] == ')') &&
           BlankOrEnd(line, digits + 1);
}

} // namespace brantlewick::markdown
