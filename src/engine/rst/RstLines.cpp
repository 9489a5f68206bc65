// SPDX-License-Identifier: GPL-3.0-or-later
// reStructuredText's line starts: adornments, field and option lists, list markers.
#include "rst/RstLines.h"

#include "prose/ProseSyntax.h"

#include <algorithm>

namespace brantlewick::rst {

namespace {

using prose::IsAsciiDigit;
using prose::IsAsciiLetter;
using prose::IsAsciiPunctuation;
using prose::IsBlank;

// Past the blanks after a marker ending at `at`: the text's start, its size when nothing follows, or 0
// when no blank does.
std::size_t AfterMarker(std::string_view text, std::size_t at) {
    if (at == text.size()) {
        return at;
    }
    if (!IsBlank(text[at])) {
        return 0;
    }
    return std::min(text.find_first_not_of(" \t", at), text.size());
}

bool IsEnumerator(std::string_view label) {
    if (label == "#" || (label.size() == 1 && IsAsciiLetter(label[0]))) {
        return true;
    }
    if (!label.empty() && std::all_of(label.begin(), label.end(), IsAsciiDigit)) {
        return true;
    }
    const bool lower = label.find_first_not_of("ivxlcdm") == std::string_view::npos;
    const bool upper = label.find_first_not_of("IVXLCDM") == std::string_view::npos;
    return !label.empty() && (lower || upper);
}

} // namespace

bool IsAdornment(std::string_view text) {
    return !text.empty() && IsAsciiPunctuation(text[0]) &&
           text.find_first_not_of(text[0]) == std::string_view::npos;
}

bool IsFieldOrOption(std::string_view text) {
    if (text.size() > 1 && text[0] == ':' && text[1] != ':' && !IsBlank(text[1])) {
        const std::size_t close = text.find(':', 2);
        return close != std::string_view::npos && (close + 1 == text.size() || IsBlank(text[close + 1]));
    }
    const std::size_t dashes = text.starts_with("--")                           ? 2
                               : text.starts_with('-') || text.starts_with('/') ? 1
                                                                                : 0;
    return dashes > 0 && dashes < text.size() && (IsAsciiLetter(text[dashes]) || IsAsciiDigit(text[dashes]));
}

std::size_t ListMarkerEnd(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    for (const std::string_view bullet : {"-", "*", "+", "\u2022", "\u2023", "\u2043"}) {
        if (text.starts_with(bullet)) {
            return AfterMarker(text, bullet.size());
        }
    }
    const bool parenthesised = text[0] == '(';
    const std::size_t start = parenthesised ? 1 : 0;
    // An enumerator is letters, digits or "#": the search for its "." or ")" stops at anything else.
    std::size_t end = start;
    while (end < text.size() && (IsAsciiLetter(text[end]) || IsAsciiDigit(text[end]) || text[end] == '#')) {
        ++end;
    }
    if (end == text.size() || (text[end] != '.' && text[end] != ')') || end == start ||
        (parenthesised && text[end] != ')') || !IsEnumerator(text.substr(start, end - start))) {
        return 0;
    }
    return AfterMarker(text, end + 1);
}

bool StartsBodyElement(std::string_view text) {
    return text.starts_with("..") || text.starts_with("::") || text.starts_with("+-") ||
           text.starts_with("+=") || text.starts_with(">>>") || text.starts_with('|') || IsAdornment(text) ||
           IsFieldOrOption(text) || ListMarkerEnd(text) > 0;
}

bool MayStartProseLine(std::string_view next) {
    // A line of punctuation alone would underline the line before as a section title; the others could
    // start a block where docutils looks for one, and are kept out whatever the line's place.
    const std::size_t end = next.find_last_not_of(" \t");
    if (next.empty() || IsAdornment(next.substr(0, end + 1)) ||
        next.substr(0, end + 1).find_first_not_of("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ \t") ==
            std::string_view::npos) {
        return false;
    }
    return !StartsBodyElement(next);
}

} // namespace brantlewick::rst
