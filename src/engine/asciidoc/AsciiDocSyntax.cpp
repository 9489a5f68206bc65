// SPDX-License-Identifier: GPL-3.0-or-later
// One pass over an AsciiDoc paragraph's text, left to right as Asciidoctor's substitutions find inline
// markup: passthroughs and monospace first, then macros, references and formatting. A run whose end is
// not found shields nothing and is not looked for again, so the pass stays linear.
#include "asciidoc/AsciiDocSyntax.h"

#include "asciidoc/AsciiDocLines.h"

#include <array>

namespace brantlewick::asciidoc {

namespace {

using prose::IsAsciiDigit;
using prose::IsAsciiLetter;
using prose::IsBlank;
using prose::Span;

bool IsWhite(char c) {
    return IsBlank(c) || c == '\n';
}

bool IsWord(char c) {
    return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

class InlineReader {
public:
    InlineReader(std::string_view text, prose::Marks& marks) : text_(text), marks_(marks) {}

    void Read() {
        for (std::size_t i = 0; i < text_.size();) {
            i = ReadAt(i);
        }
    }

private:
    std::size_t ReadAt(std::size_t i) {
        const char c = text_[i];
        if ((i == 0 || text_[i - 1] == '\n') && text_.substr(i, 2) == "//" && text_.substr(i, 3) != "///") {
            return CommentLine(i);
        }
        switch (c) {
        case '\\':
            return prose::ReadEscape(text_, i, marks_);
        case '`':
        case '+':
        case '*':
        case '_':
        case '#':
        case '^':
        case '~':
            return Formatting(i);
        case '{':
            return Enclosed(i, "{", "}", false, 0);
        case '<':
            return text_.substr(i, 2) == "<<" ? Enclosed(i, "<<", ">>", false, 1) : i + 1;
        case '[':
            return text_.substr(i, 2) == "[[" ? Enclosed(i, "[[", "]]", true, 2) : i + 1;
        case '(':
            return text_.substr(i, 3) == "((("  ? Enclosed(i, "(((", ")))", true, 3)
                   : text_.substr(i, 2) == "((" ? Enclosed(i, "((", "))", false, 4)
                                                : i + 1;
        case ':':
            return Macro(i);
        default:
            return i + 1;
        }
    }

    // A comment line inside a paragraph: Asciidoctor takes it out before it reads the paragraph. It stays
    // on a line of its own, unread by the sentence rules.
    std::size_t CommentLine(std::size_t i) {
        const std::size_t end = std::min(text_.find('\n', i), text_.size());
        marks_.shielded.push_back({i, end});
        marks_.hidden.push_back({i, end});
        marks_.verbatim.push_back({i > 0 ? i - 1 : i, std::min(end + 1, text_.size())});
        return end;
    }

    // "[[id]]", "<<id,text>>", "{name}", "((term))": no break inside; the hidden ones are not read.
    std::size_t Enclosed(std::size_t i, std::string_view open, std::string_view close, bool hide,
                         std::size_t kind) {
        const std::size_t end =
            noEnclosure_[kind] ? std::string_view::npos : text_.find(close, i + open.size());
        if (end == std::string_view::npos) {
            noEnclosure_[kind] = true; // nor will a later one find its end
            return i + open.size();
        }
        Shield(i, end + close.size(), hide);
        return end + close.size();
    }

    void Shield(std::size_t from, std::size_t to, bool hide) {
        marks_.shielded.push_back({from, to});
        marks_.verbatim.push_back({from, to});
        if (hide) {
            marks_.hidden.push_back({from, to});
        }
    }

    // "name:target[text]" and "https://host/path[text]": no break inside; a footnote is not read.
    std::size_t Macro(std::size_t colon) {
        std::size_t start = colon;
        while (start > 0 && (IsAsciiLetter(text_[start - 1]) || IsAsciiDigit(text_[start - 1]))) {
            --start;
        }
        if (start == colon || (start > 0 && IsWord(text_[start - 1]))) {
            return colon + 1;
        }
        // Every colon of a run without blanks stops at the same place: it is looked for once.
        if (colon >= targetEnd_) {
            targetEnd_ = colon + 1;
            while (targetEnd_ < text_.size() && !IsWhite(text_[targetEnd_]) && text_[targetEnd_] != '[') {
                ++targetEnd_;
            }
        }
        std::size_t end = targetEnd_;
        const bool url = text_.substr(colon, 3) == "://";
        if (end < text_.size() && text_[end] == '[') {
            const std::size_t close = ClosingBracket(end);
            if (close == std::string_view::npos) {
                return url ? end : colon + 1;
            }
            end = close + 1;
        } else if (!url) {
            return colon + 1;
        }
        const std::string_view name = text_.substr(start, colon - start);
        Shield(start, end,
               name == "footnote" || name == "footnoteref" || name == "indexterm" || name == "anchor" ||
                   name == "pass");
        return end;
    }

    // The "]" that closes the "[" at `open`, brackets inside paired and escaped ones passed over.
    std::size_t ClosingBracket(std::size_t open) {
        if (noBracketCloser_) {
            return std::string_view::npos;
        }
        int depth = 0;
        for (std::size_t at = open; at < text_.size(); ++at) {
            if (text_[at] == '\\') {
                ++at;
            } else if (text_[at] == '[') {
                ++depth;
            } else if (text_[at] == ']' && --depth == 0) {
                return at;
            }
        }
        noBracketCloser_ = true; // nor will any "[" after this one find its "]"
        return std::string_view::npos;
    }

    // Formatting and passthrough marks: doubled ones anywhere, single ones at a word's edge. What lies
    // between two marks is shielded (a break inside could end it for a reader), the marks are not read.
    std::size_t Formatting(std::size_t i) {
        const char c = text_[i];
        std::size_t n = 1;
        while (i + n < text_.size() && text_[i + n] == c && n < 3) {
            ++n;
        }
        n = c == '+' ? n : std::min<std::size_t>(n, 2);
        const std::size_t kind = static_cast<std::size_t>(std::string_view("`+*_#^~").find(c)) * 3 + n - 1;
        const bool constrained = n == 1 && c != '^' && c != '~';
        if (noCloser_[kind] || i + n >= text_.size() || IsWhite(text_[i + n]) ||
            (constrained && i > 0 &&
             (IsWord(text_[i - 1]) || text_[i - 1] == ';' || text_[i - 1] == ':' || text_[i - 1] == '}'))) {
            return i + n;
        }
        const std::string_view mark = text_.substr(i, n);
        for (std::size_t at = text_.find(mark, i + n); at != std::string_view::npos;
             at = text_.find(mark, at + 1)) {
            const std::size_t after = at + n;
            const bool closes =
                !IsWhite(text_[at - 1]) && (!constrained || after >= text_.size() || !IsWord(text_[after]));
            if ((c == '^' || c == '~') &&
                text_.substr(i, at - i).find_first_of(" \t\n") != std::string_view::npos) {
                return i + n; // superscript and subscript hold no blanks
            }
            if (closes && at > i + n) {
                marks_.shielded.push_back({i, after});
                marks_.verbatim.push_back({i, after});
                marks_.hidden.push_back({i, i + n});
                marks_.hidden.push_back({at, after});
                return after;
            }
        }
        noCloser_[kind] = true;
        return i + n;
    }

    std::string_view text_;
    prose::Marks& marks_;
    std::array<bool, 21> noCloser_{};
    std::array<bool, 5> noEnclosure_{};
    bool noBracketCloser_ = false;
    std::size_t targetEnd_ = 0;
};

} // namespace

prose::Marks& AsciiDocSyntax::Read(std::string_view text) {
    marks_.Clear();
    InlineReader(text, marks_).Read();
    // A line that starts with a bracket may be a checklist's box ("[x]") or a block's attribute list,
    // which the next line joined to it could make one ("[" and "]" make "[ ]"); and the lines after a
    // description list's term and its text are read as a block of their own, the first of them as a
    // block's first line: such a line stays whole and alone.
    const std::size_t end = std::min(text.find('\n'), text.size());
    const bool term = HasTermMarker(text.substr(0, end));
    for (std::size_t start = 0, lineEnd = end; start < text.size();
         start = lineEnd + 1, lineEnd = std::min(text.find('\n', start), text.size())) {
        if (text[start] == '[' || (start == 0 && term)) {
            marks_.shielded.push_back({start, lineEnd});
            marks_.verbatim.push_back({lineEnd, std::min(lineEnd + 1, text.size())});
        }
    }
    // After a term, the next line may be a block title or any block's first line: such a list item stays
    // as it is.
    marks_.unsure = term && end < text.size() && !MayStartProseLine(text.substr(end + 1));
    prose::Normalize(marks_.shielded);
    prose::Normalize(marks_.verbatim);
    prose::Normalize(marks_.hidden);
    return marks_;
}

bool AsciiDocSyntax::KeepsLineEnd(std::string_view before, std::string_view after, bool alone) const {
    // " +" at a line end is a hard break. A line that no break may start is joined to none before it
    // either, as a reader may have read it as a block of its own; and Asciidoctor reads a block's first
    // line as a description list's term wherever a "::" or ";;" stands in it. A list marker alone on its
    // line is given no words: they would make it an item; nor is a section title's marker ("=", "##"),
    // whose words would make a title.
    const std::string_view marks = before.substr(0, before.find_last_not_of(" \t\r") + 1);
    const bool titleMarker = !marks.empty() && marks.size() <= 6 && (marks[0] == '=' || marks[0] == '#') &&
                             marks.find_first_not_of(marks[0]) == std::string_view::npos;
    return before == "+" || before.ends_with(" +") || before.ends_with("\t+") || !MayStartProseLine(after) ||
           HasTermMarker(after) || titleMarker || (alone && IsMarkerAlone(before));
}

bool AsciiDocSyntax::MayCut(std::string_view /*line*/) const {
    return true;
}

bool AsciiDocSyntax::MayStartLine(std::string_view next) const {
    return MayStartProseLine(next);
}

} // namespace brantlewick::asciidoc
