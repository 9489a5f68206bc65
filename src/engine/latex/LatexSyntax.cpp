// SPDX-License-Identifier: GPL-3.0-or-later
// One pass over a LaTeX paragraph's text: comments, verbatim and math first, as TeX's eyes read them,
// the braces paired on the way; then each command's arguments by those pairs.
#include "latex/LatexSyntax.h"

#include "StopScan.h"
#include "latex/LatexLines.h"

#include <algorithm>
#include <utility>

namespace brantlewick::latex {

namespace {

using prose::Span;

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool Escaped(std::string_view text, std::size_t at) {
    std::size_t backslashes = 0;
    while (backslashes < at && text[at - backslashes - 1] == '\\') {
        ++backslashes;
    }
    return backslashes % 2 == 1;
}

std::size_t LineEnd(std::string_view text, std::size_t at) {
    return std::min(text.find('\n', at), text.size());
}

} // namespace

void LatexSyntax::Trim() {
    marks_ = prose::Marks();
    commands_ = std::vector<Command>();
    open_ = std::vector<std::size_t>();
    pairs_ = std::vector<std::pair<std::size_t, std::size_t>>();
}

prose::Marks& LatexSyntax::Read(std::string_view text) {
    marks_.Clear();
    commands_.clear();
    open_.clear();
    pairs_.clear();
    bool noMathEnd = false;
    constexpr StopBytes kMarks("%${}\\");
    for (std::size_t i = kMarks.FindIn(text); i < text.size(); i = kMarks.FindIn(text, i)) {
        const char c = text[i];
        if (c == '%') {
            // A comment hides the rest of its line and its line end: both stay, unread.
            const std::size_t end = LineEnd(text, i);
            marks_.shielded.push_back({i, end});
            marks_.hidden.push_back({i, end});
            marks_.verbatim.push_back({i, std::min(end + 1, text.size())});
            i = end;
        } else if (c == '$' && !noMathEnd) {
            std::size_t end = text.find('$', i + 1);
            while (end != std::string_view::npos && Escaped(text, end)) {
                end = text.find('$', end + 1);
            }
            noMathEnd = end == std::string_view::npos;
            const std::size_t to = noMathEnd ? text.size() : end + 1;
            marks_.shielded.push_back({i, to});
            marks_.verbatim.push_back({i, to});
            i = to;
        } else if (c == '{' || c == '}') {
            if (c == '{') {
                open_.push_back(i);
            } else if (!open_.empty()) {
                pairs_.emplace_back(open_.back(), i);
                open_.pop_back();
            }
            ++i;
        } else if (c == '\\') {
            i = ReadCommand(text, i);
        } else {
            ++i;
        }
    }
    ReadArguments(text);
    prose::Normalize(marks_.shielded);
    prose::Normalize(marks_.verbatim);
    prose::Normalize(marks_.hidden);
    return marks_;
}

std::size_t LatexSyntax::Closing(std::size_t open) const {
    const auto found = std::lower_bound(pairs_.begin(), pairs_.end(), std::make_pair(open, std::size_t{0}));
    return found != pairs_.end() && found->first == open ? found->second : kNone;
}

std::size_t LatexSyntax::ArgumentsEnd(std::string_view text, std::size_t end, bool& noBracketEnd) const {
    // Braced and bracketed arguments one after another; one that does not close takes the rest.
    while (end < text.size() && (text[end] == '{' || text[end] == '[')) {
        std::size_t close = kNone;
        if (text[end] == '{') {
            close = Closing(end);
        } else if (!noBracketEnd) {
            close = text.find(']', end);
            noBracketEnd = close == std::string_view::npos;
        }
        end = close == kNone ? text.size() : close + 1;
    }
    return end;
}

void LatexSyntax::ReadArguments(std::string_view text) {
    std::sort(pairs_.begin(), pairs_.end());
    bool noBracketEnd = false;
    for (const Command& command : commands_) {
        std::size_t end = command.nameEnd;
        if (command.prose) {
            const std::size_t close = end < text.size() && text[end] == '{' ? Closing(end) : kNone;
            if (close != kNone) {
                marks_.shielded.push_back({command.at, end + 1});
                marks_.hidden.push_back({command.at, end + 1});
                marks_.hidden.push_back({close, close + 1});
            }
            continue;
        }
        end = ArgumentsEnd(text, end + (end < text.size() && text[end] == '*' ? 1 : 0), noBracketEnd);
        if (end > command.nameEnd) {
            marks_.shielded.push_back({command.at, end});
            marks_.verbatim.push_back({command.at, end});
        }
    }
}

std::size_t LatexSyntax::ReadCommand(std::string_view text, std::size_t at) {
    const std::string_view name = CommandNameAt(text, at);
    if (name.empty()) {
        return at + 1;
    }
    const std::size_t nameEnd = at + 1 + name.size();
    if (name == "verb" || name == "lstinline") {
        // "\verb|...|": the delimiter is the first character after the name (and its star).
        const std::size_t open = nameEnd + (nameEnd < text.size() && text[nameEnd] == '*' ? 1 : 0);
        const std::size_t close =
            open < text.size() ? text.find(text[open], open + 1) : std::string_view::npos;
        // Unclosed, it runs to its line's end, which stays: joined, the next line would run on inside it.
        const std::size_t end =
            close == std::string_view::npos ? std::min(LineEnd(text, at) + 1, text.size()) : close + 1;
        marks_.shielded.push_back({at, end});
        marks_.verbatim.push_back({at, end});
        return end;
    }
    if (name == "(") {
        const std::size_t close = text.find("\\)", nameEnd);
        const std::size_t end = close == std::string_view::npos ? text.size() : close + 2;
        marks_.shielded.push_back({at, end});
        marks_.verbatim.push_back({at, end});
        return end;
    }
    if (!prose::IsAsciiLetter(name[0])) {
        // "\\", "\ ", "\%", "\{": a line break, a space that ends no sentence, an escaped character.
        marks_.shielded.push_back(
            {at, nameEnd + (name == "\\" && nameEnd < text.size() && text[nameEnd] == '*' ? 1 : 0)});
        return nameEnd;
    }
    commands_.push_back({at, nameEnd, TakesProse(name)});
    return nameEnd;
}

bool LatexSyntax::KeepsLineEnd(std::string_view before, std::string_view after, bool /*alone*/) const {
    // A line that no break may start is joined to none before it either.
    if (!MayStartLine(after)) {
        return true;
    }
    std::string_view end = before.substr(0, before.find_last_not_of(" \t") + 1);
    if (end.ends_with(']') && end.rfind('[') != std::string_view::npos) {
        end = end.substr(0, end.rfind('[')); // "\\[2pt]"
    }
    end = end.ends_with('*') ? end.substr(0, end.size() - 1) : end;
    if ((end.ends_with("\\\\") && !Escaped(end, end.size() - 2)) || end.ends_with("\\newline") ||
        end.ends_with("\\linebreak")) {
        return true;
    }
    // TeX skips the line end after a command's name as it does a space, but pandoc's reader keeps it
    // there ("{\bf" and "word}" on two lines): such a line end stays.
    std::size_t letters = 0;
    while (letters < end.size() && prose::IsAsciiLetter(end[end.size() - 1 - letters])) {
        ++letters;
    }
    return letters > 0 && letters < end.size() && end[end.size() - 1 - letters] == '\\' &&
           !Escaped(end, end.size() - 1 - letters);
}

bool LatexSyntax::MayStartLine(std::string_view next) const {
    if (next.empty() || std::string_view("%[*&}").find(next[0]) != std::string_view::npos) {
        return false;
    }
    const std::string_view command = CommandNameAt(next, 0);
    return command.empty() || (StartsProse(command) && command != "item");
}

} // namespace brantlewick::latex
