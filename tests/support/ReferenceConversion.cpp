// SPDX-License-Identifier: GPL-3.0-or-later
// Slow, obvious reference of the conversion.
#include "ReferenceConversion.h"

#include "brantlewick/base/Utf8.h"
#include "sentences/Characters.h"

// GCC 12 at -O2 with the sanitizers takes a member of its own regex compiler for uninitialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>

namespace brantlewick::testing {
namespace {

struct Line {
    std::string text;
    std::string terminator; // "\r\n", "\n", "\r", or nothing for a last line without one
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            lines.back().text += text[i];
            continue;
        }
        const bool pair = text.compare(i, 2, "\r\n") == 0;
        lines.back().terminator = pair ? "\r\n" : std::string(1, text[i]);
        i += pair ? 1 : 0;
        lines.emplace_back();
    }
    if (lines.size() > 1 && lines.back().text.empty()) {
        lines.pop_back(); // a terminator at the very end starts no new line
    }
    return lines;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Every match of `pattern`, ASCII case ignored, left to right and without overlaps, becomes `replacement`.
std::string ReplaceAll(const std::string& text, const std::string& pattern, const std::string& replacement,
                       std::uint64_t& matches) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t k = 0;
        while (k < pattern.size() && i + k < text.size() && Lower(text[i + k]) == Lower(pattern[k])) {
            ++k;
        }
        if (k == pattern.size()) {
            out += replacement;
            i += pattern.size();
            ++matches;
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string Rewrite(std::string line, const std::vector<std::string>& entries, const std::string& breaks,
                    int enterCount, ConversionCounts& counts) {
    for (const std::string& entry : entries) {
        std::uint64_t matches = 0;
        std::string spaced = entry;
        spaced += ' ';
        std::string broken = entry;
        broken += breaks;
        line = ReplaceAll(line, spaced, entry, counts.spacesDropped);
        line = ReplaceAll(line, entry, broken, matches);
        counts.breaksInserted += matches * static_cast<std::uint64_t>(enterCount);
    }
    return line;
}

// Whether text[at, at + length) is one whole UTF-8 character of Chinese or Japanese: CJK and kana blocks,
// compatibility and full-width forms.
bool WideAt(const std::string& text, std::size_t at, std::size_t length) {
    if (at + length > text.size()) {
        return false;
    }
    const utf8::Char c = utf8::DecodeAt(text.data() + at, text.data() + at + length);
    const char32_t code = c.code;
    return c.size == static_cast<int>(length) &&
           ((code >= 0x2E80 && code <= 0x9FFF) || (code >= 0xF900 && code <= 0xFAFF) ||
            (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFFEF) ||
            (code >= 0x20000 && code <= 0x3FFFF));
}

// A bullet or dash, "1." "12)" "a." "A)" "(3)" "(b)", then a blank or nothing.
bool StartsListItem(const std::string& line) {
    static const std::regex numbered(R"(^(\((\d{1,3}|[A-Za-z])\)|\d{1,3}[.)]|[a-z][.)]|[A-Z]\))([ \t]|$))");
    const sentences::Char first = sentences::DecodeAt(line.data(), line.data() + line.size());
    const bool bullet = sentences::IsBullet(first.code) || sentences::IsDash(first.code) ||
                        first.code == '*' || first.code == '+';
    const auto after = static_cast<std::size_t>(first.size);
    return std::regex_search(line, numbered) ||
           (bullet && (after == line.size() || line[after] == ' ' || line[after] == '\t'));
}

// Hard-wrapped paragraphs: the lines of each, without their blanks at both ends, joined with a space,
// or with none between two wide characters; a list item keeps its line (a CR marks where it starts).
std::vector<std::string> Paragraphs(const std::vector<Line>& lines) {
    std::vector<std::string> paragraphs;
    bool open = false;
    for (const Line& line : lines) {
        const auto first = line.text.find_first_not_of(" \t");
        if (first == std::string::npos) {
            open = false;
            continue;
        }
        const std::string text = line.text.substr(first, line.text.find_last_not_of(" \t") - first + 1);
        if (!open) {
            paragraphs.emplace_back();
        } else if (StartsListItem(text)) {
            paragraphs.back() += "\r";
        } else {
            const std::string& last = paragraphs.back();
            const bool wideEnd = (last.size() >= 3 && WideAt(last, last.size() - 3, 3)) ||
                                 (last.size() >= 4 && WideAt(last, last.size() - 4, 4));
            paragraphs.back() += wideEnd && (WideAt(text, 0, 3) || WideAt(text, 0, 4)) ? "" : " ";
        }
        paragraphs.back() += text;
        open = true;
    }
    return paragraphs;
}

// Where the input's lines are kept or rejoined, a break is the first line end the text has, unless a
// lone CR.
std::string BreakLineEnd(const std::string& text, LineBreaks lineBreaks) {
    for (const Line& line : SplitLines(text)) {
        if (lineBreaks != LineBreaks::Join && !line.terminator.empty()) {
            return line.terminator == "\n" ? "\n" : "\r\n";
        }
    }
    return "\r\n";
}

// A list item starts on a line of its own, on the breaks inserted before it if there are any. Every
// paragraph ends its line, and one empty line follows all but the last.
std::string ReflowParagraph(const std::string& paragraph, bool last, const std::vector<std::string>& entries,
                            const std::string& breaks, const std::string& lineEnd, int enterCount,
                            ConversionCounts& tally) {
    std::string converted;
    for (std::size_t start = 0;;) {
        const std::size_t mark = paragraph.find('\r', start);
        converted += Rewrite(paragraph.substr(start, mark - start), entries, breaks, enterCount, tally);
        if (mark == std::string::npos) {
            break;
        }
        converted += converted.ends_with(lineEnd) ? "" : lineEnd;
        start = mark + 1;
    }
    std::size_t pairs = 0;
    while (converted.size() >= lineEnd.size() * (pairs + 1) &&
           converted.compare(converted.size() - lineEnd.size() * (pairs + 1), lineEnd.size(), lineEnd) == 0) {
        ++pairs;
    }
    for (; pairs < (last ? 1U : 2U); ++pairs) {
        converted += lineEnd;
    }
    return converted;
}

} // namespace

std::string ReferenceConvert(const std::string& text, const std::vector<std::string>& allEntries,
                             int enterCount, LineBreaks lineBreaks, ConversionCounts* counts) {
    ConversionCounts ignored;
    ConversionCounts& tally = counts != nullptr ? *counts : ignored;
    const std::string lineEnd = BreakLineEnd(text, lineBreaks);
    std::string breaks;
    for (int i = 0; i < enterCount; ++i) {
        breaks += lineEnd;
    }
    std::vector<std::string> entries;
    for (const std::string& entry : allEntries) {
        if (!entry.empty() &&
            (lineBreaks == LineBreaks::Join || entry.find_first_of("\r\n") == std::string::npos)) {
            entries.push_back(entry);
        }
    }
    std::string out;
    if (lineBreaks != LineBreaks::Reflow) {
        for (const Line& line : SplitLines(text)) {
            out += Rewrite(line.text, entries, breaks, enterCount, tally);
            out += lineBreaks == LineBreaks::Keep ? line.terminator : "";
        }
        return out;
    }
    const std::vector<std::string> paragraphs = Paragraphs(SplitLines(text));
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        out += ReflowParagraph(paragraphs[i], i + 1 == paragraphs.size(), entries, breaks, lineEnd,
                               enterCount, tally);
    }
    return out;
}

std::uint64_t EditorLines(std::string_view text) {
    std::uint64_t lines = !text.empty() && text.back() != '\n' && text.back() != '\r' ? 1 : 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        lines +=
            text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) ? 1 : 0;
    }
    return lines;
}

} // namespace brantlewick::testing
