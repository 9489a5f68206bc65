// SPDX-License-Identifier: GPL-3.0-or-later
// AsciiDoc's line starts: list markers, titles, block macros and what a new line must not begin with.
#include "asciidoc/AsciiDocLines.h"

#include "prose/ProseSyntax.h"

#include <algorithm>

namespace brantlewick::asciidoc {

namespace {

using prose::IsAsciiDigit;
using prose::IsAsciiLetter;
using prose::IsBlank;

std::size_t RunOf(std::string_view text, std::size_t at, char c) {
    std::size_t n = 0;
    while (at + n < text.size() && text[at + n] == c) {
        ++n;
    }
    return n;
}

// Past the blanks after a marker that ends at `at`, when at least one follows and text after them.
std::size_t TextAfterMarker(std::string_view line, std::size_t at) {
    if (at >= line.size() || !IsBlank(line[at])) {
        return 0;
    }
    while (at < line.size() && IsBlank(line[at])) {
        ++at;
    }
    return at < line.size() ? at : 0;
}

// The end of an ordered list's explicit marker at `at` ("10.", "b.", "iv)"), or 0.
std::size_t OrderedMarkerEnd(std::string_view line, std::size_t at) {
    std::size_t end = at;
    while (end < line.size() && IsAsciiDigit(line[end])) {
        ++end;
    }
    if (end > at || end == line.size() || !IsAsciiLetter(line[end])) {
        return end > at && end < line.size() && line[end] == '.' ? end + 1 : 0;
    }
    ++end;
    if (end < line.size() && line[end] == '.') {
        return end + 1; // "a."
    }
    constexpr std::string_view kRoman = "ivxIVX";
    while (end < line.size() && kRoman.find(line[end]) != std::string_view::npos) {
        ++end;
    }
    const bool roman = kRoman.find(line[at]) != std::string_view::npos;
    return roman && end < line.size() && line[end] == ')' ? end + 1 : 0;
}

// The end of an ordered or unordered list's marker at `at`, or 0.
std::size_t ListMarkerEnd(std::string_view line, std::size_t at) {
    const char c = line[at];
    if (c == '*' || c == '.') {
        const std::size_t n = RunOf(line, at, c);
        return n <= 5 ? at + n : 0;
    }
    if (c == '-') {
        return at + 1;
    }
    if (c == '<') {
        const std::size_t close = line.find('>', at);
        const std::string_view inside =
            close == std::string_view::npos ? "" : line.substr(at + 1, close - at - 1);
        const bool callout =
            inside == "." || (!inside.empty() && std::all_of(inside.begin(), inside.end(), IsAsciiDigit));
        return callout ? close + 1 : 0;
    }
    return OrderedMarkerEnd(line, at);
}

// Where a description list's marker ("::", ":::", "::::", ";;") after a term ends, or 0.
std::size_t DescriptionMarkerEnd(std::string_view line) {
    if (line.starts_with("//")) {
        return 0;
    }
    for (std::size_t at = line.find_first_of(":;"); at != std::string_view::npos;
         at = line.find_first_of(":;", at + 1)) {
        const std::size_t colons = RunOf(line, at, ':');
        const bool marker = (colons >= 2 && colons <= 4) || (colons == 0 && RunOf(line, at, ';') == 2);
        const std::size_t end = at + (colons == 0 ? 2 : colons);
        if (marker && at > 0 && !IsBlank(line[at - 1]) && (end == line.size() || IsBlank(line[end]))) {
            return end;
        }
        at += colons == 0 ? 0 : colons - 1;
    }
    return 0;
}

} // namespace

bool IsMarkerAlone(std::string_view line) {
    const std::size_t at = std::min(line.find_first_not_of(" \t"), line.size());
    const std::size_t marker = at < line.size() ? ListMarkerEnd(line, at) : 0;
    return marker > 0 && line.find_first_not_of(" \t\r", marker) == std::string_view::npos;
}

std::size_t ListItemText(std::string_view line) {
    const std::size_t at = std::min(line.find_first_not_of(" \t"), line.size());
    if (at == line.size()) {
        return 0;
    }
    if (const std::size_t marker = ListMarkerEnd(line, at)) {
        if (const std::size_t text = TextAfterMarker(line, marker)) {
            return text;
        }
    }
    const std::size_t term = DescriptionMarkerEnd(line);
    if (term == 0) {
        return 0;
    }
    const std::size_t text = TextAfterMarker(line, term);
    return text == 0 ? line.size() : text;
}

std::size_t AdmonitionLabel(std::string_view line) {
    for (const std::string_view label : {"NOTE: ", "TIP: ", "IMPORTANT: ", "WARNING: ", "CAUTION: "}) {
        if (line.starts_with(label)) {
            return label.size();
        }
    }
    return 0;
}

bool HasTermMarker(std::string_view text) {
    for (std::size_t at = text.find_first_of(":;"); at != std::string_view::npos;
         at = text.find_first_of(":;", at + 1)) {
        const char c = text[at];
        std::size_t n = 1;
        while (at + n < text.size() && text[at + n] == c) {
            ++n;
        }
        const bool marker = c == ':' ? n >= 2 && n <= 4 : n == 2;
        if (marker && at > 0 && !IsBlank(text[at - 1]) && text[at - 1] != '\n' &&
            (at + n == text.size() || IsBlank(text[at + n]) || text[at + n] == '\n')) {
            return true;
        }
        at += n - 1;
    }
    return false;
}

bool IsSectionTitle(std::string_view line) {
    const char c = line.empty() ? '\0' : line[0];
    const std::size_t n = RunOf(line, 0, c);
    return (c == '=' || c == '#') && n <= 6 && n + 1 < line.size() && IsBlank(line[n]) &&
           !IsBlank(line[n + 1]);
}

bool IsBlockTitle(std::string_view line) {
    return line.size() > 1 && line[0] == '.' && !IsBlank(line[1]) && line[1] != '.';
}

bool IsBlockMacro(std::string_view line) {
    if (!StartsWithMacroName(line) || !line.ends_with(']')) {
        return false;
    }
    const std::size_t at = line.find("::");
    const std::size_t open = line.find('[', at);
    return open != std::string_view::npos &&
           line.substr(at, open - at).find_first_of(" \t") == std::string_view::npos;
}

bool MayStartProseLine(std::string_view next) {
    // A list item's text reads an admonition's label at a line's start as a block of its own.
    if (next.empty() || ListItemText(next) > 0 || AdmonitionLabel(next) > 0) {
        return false;
    }
    // Nor a list marker alone ("A."): joined, the next line's words follow it, and a second run would find
    // an item where the first found none.
    if (IsMarkerAlone(next)) {
        return false;
    }
    const char c = next[0];
    const char d = next.size() > 1 ? next[1] : '\n';
    switch (c) {
    case '*':
    case '-':
    case '+':
    case '=':
    case '_':
    case '~':
    case '^':
    case '\'':
    case '`':
        // List markers, block delimiters, underlines, thematic breaks, fences.
        return d != c && !IsBlank(d) && d != '\n';
    case '#': {
        // A run of "#" before a blank or the line's end opens a section title.
        const std::size_t run = std::min(next.find_first_not_of('#'), next.size());
        return run < next.size() && !IsBlank(next[run]) && next[run] != '\n';
    }
    case '/':
        return d != '/';
    case '|':
    case ',':
    case '!':
        return d != '=';
    case '<':
        return d != '<' && d != '.' && !IsAsciiDigit(d);
    case '.':
    case ':':
    case '[':
    case '>':
    case '\\':
        return false;
    default:
        // Preprocessor lines and block macros are read by their first word.
        return !StartsWithMacroName(next);
    }
}

bool StartsWithMacroName(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && (IsAsciiLetter(line[at]) || IsAsciiDigit(line[at]) || line[at] == '_' ||
                                (at > 0 && line[at] == '-'))) {
        ++at;
    }
    return at > 0 && line.substr(at, 2) == "::";
}

} // namespace brantlewick::asciidoc
