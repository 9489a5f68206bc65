// SPDX-License-Identifier: GPL-3.0-or-later
// One pass over a reStructuredText paragraph's text, with docutils' rules for where inline markup starts
// and ends: a start-string after white space or an opening mark and before a non-blank, an end-string
// after a non-blank and before white space or a closing mark. An end not found is not looked for again.
#include "rst/RstSyntax.h"

#include "StopScan.h"
#include "rst/RstLines.h"

#include <algorithm>
#include <array>

namespace brantlewick::rst {

namespace {

using prose::IsBlank;

bool IsWhite(char c) {
    return IsBlank(c) || c == '\n';
}

bool MayPrecedeStart(char c) {
    return IsWhite(c) || std::string_view("'\"([{<-/:").find(c) != std::string_view::npos;
}

bool MayFollowEnd(char c) {
    return IsWhite(c) || std::string_view("'\")]}>-/:.,;!?\\").find(c) != std::string_view::npos;
}

class InlineReader {
public:
    InlineReader(std::string_view text, prose::Marks& marks) : text_(text), marks_(marks) {}

    void Read() {
        constexpr StopBytes kMarks("\\*`|_[:");
        for (std::size_t i = kMarks.FindIn(text_); i < text_.size(); i = kMarks.FindIn(text_, i)) {
            i = ReadAt(i);
        }
    }

private:
    std::size_t ReadAt(std::size_t i) {
        const char c = text_[i];
        if (c == '\\') {
            marks_.hidden.push_back({i, i + 1});
            return i + 2;
        }
        if (c == ':') {
            return Role(i);
        }
        if (i > 0 && !MayPrecedeStart(text_[i - 1])) {
            return i + 1;
        }
        switch (c) {
        case '*':
            return text_.substr(i, 2) == "**" ? Run(i, "**", "**", 0) : Run(i, "*", "*", 1);
        case '`':
            return text_.substr(i, 2) == "``" ? Run(i, "``", "``", 2) : Run(i, "`", "`", 3);
        case '|':
            return Run(i, "|", "|", 4);
        case '_':
            return text_.substr(i, 2) == "_`" ? Run(i, "_`", "`", 3) : i + 1;
        default:
            return Run(i, "[", "]_", 5); // a footnote or citation reference
        }
    }

    // ":role:`text`": the role and its text are one run.
    std::size_t Role(std::size_t i) {
        if (i > 0 && !MayPrecedeStart(text_[i - 1])) {
            return i + 1;
        }
        std::size_t at = i + 1;
        while (at < text_.size() && !IsWhite(text_[at]) && text_[at] != ':' && text_[at] != '`') {
            ++at;
        }
        if (at == i + 1 || text_.substr(at, 2) != ":`") {
            return i + 1;
        }
        const std::size_t end = Run(at + 1, "`", "`", 3);
        if (end > at + 2) {
            marks_.shielded.push_back({i, end});
            marks_.hidden.push_back({i, at + 1});
        }
        return end;
    }

    // Markup from `open` at `i` to `close` (and a "_" or "__" after it, which makes a reference): shielded,
    // its line ends kept, its marks unread.
    std::size_t Run(std::size_t i, std::string_view open, std::string_view close, std::size_t kind) {
        const std::size_t first = i + open.size();
        if (noEnd_[kind] || first >= text_.size() || IsWhite(text_[first])) {
            return first;
        }
        for (std::size_t at = text_.find(close, first + 1); at != std::string_view::npos;
             at = text_.find(close, at + 1)) {
            if (IsWhite(text_[at - 1]) || (close == "`" && text_[at - 1] == '\\')) {
                continue;
            }
            std::size_t end = at + close.size();
            while (end < text_.size() && text_[end] == '_' && end < at + close.size() + 2) {
                ++end; // "`link`_", "|sub|__"
            }
            if (end < text_.size() && text_.substr(at, 2) == "`:") {
                end = std::min(text_.find('`', end), text_.size()); // "`text`:role:"
            }
            if (end < text_.size() && !MayFollowEnd(text_[end])) {
                continue;
            }
            marks_.shielded.push_back({i, end});
            marks_.verbatim.push_back({i, end});
            marks_.hidden.push_back({i, first});
            marks_.hidden.push_back({at, end});
            return end;
        }
        noEnd_[kind] = true;
        return first;
    }

    std::string_view text_;
    prose::Marks& marks_;
    std::array<bool, 6> noEnd_{};
};

} // namespace

prose::Marks& RstSyntax::Read(std::string_view text) {
    marks_.Clear();
    InlineReader(text, marks_).Read();
    prose::Normalize(marks_.shielded);
    prose::Normalize(marks_.verbatim);
    prose::Normalize(marks_.hidden);
    return marks_;
}

bool RstSyntax::KeepsLineEnd(std::string_view before, std::string_view after, bool alone) const {
    // An escaped line end is taken out with its backslash. A line that no break may start is joined to
    // none before it either ("::" alone is a literal block's marker, read by what stands before it). A
    // line of its own that starts with a colon is joined to nothing: the next line's words could close
    // a field's name (":." and "s: x" make ":. s: x").
    return before.ends_with('\\') || !MayStartProseLine(after) || (alone && before.starts_with(':'));
}

bool RstSyntax::MayCut(std::string_view line) const {
    // Nor is it cut, which would leave a line of its own, joined on a second run, without the colon.
    return !line.starts_with(':');
}

bool RstSyntax::MayStartLine(std::string_view next) const {
    // Nor a word of marks alone ("$" over "Sun"): joined with the next line it starts one that a second
    // run would cut, and alone it would be a line of marks. Nor a colon, which the words after it could
    // make a field's marker.
    const std::string_view word = next.substr(0, next.find_first_of(" \t"));
    return !next.starts_with(':') && MayStartProseLine(next) && MayStartProseLine(word);
}

bool RstSyntax::MayEndLine(std::string_view head) const {
    // The head may hold lines joined to it, which are written apart by a space.
    std::string written(head);
    std::replace(written.begin(), written.end(), '\n', ' ');
    return MayStartProseLine(written);
}

} // namespace brantlewick::rst
