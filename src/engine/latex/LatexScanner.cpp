// SPDX-License-Identifier: GPL-3.0-or-later
// LaTeX's lines: the preamble, environments and display math, and the prose lines between.
#include "latex/LatexScanner.h"

#include "StopScan.h"
#include "latex/LatexLines.h"

#include <algorithm>

namespace brantlewick::latex {

namespace {

using prose::IsBlank;
using prose::LineReading;
using prose::LineRole;

std::string_view Trim(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string_view::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

// The name in braces at `at` ("{name}"), or empty.
std::string_view BracedName(std::string_view text, std::size_t at) {
    if (at >= text.size() || text[at] != '{') {
        return {};
    }
    const std::size_t close = text.find('}', at);
    return close == std::string_view::npos ? std::string_view() : text.substr(at + 1, close - at - 1);
}

std::size_t Count(std::string_view text, std::string_view needle) {
    std::size_t n = 0;
    for (std::size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1)) {
        ++n;
    }
    return n;
}

} // namespace

LineReading LatexScanner::Read(std::string_view line) {
    if (ended_) {
        return {};
    }
    if (!skipUntil_.empty()) {
        // Verbatim ends at its first end; other environments kept as they are may nest.
        const std::string_view code =
            IsVerbatimEnvironment(skipName_) ? line : line.substr(0, CommentStart(line));
        if (!IsVerbatimEnvironment(skipName_) && !skipName_.empty()) {
            skipDepth_ += Count(code, "\\begin{" + skipName_ + "}");
        }
        const std::size_t ends = Count(code, skipUntil_);
        if (ends >= skipDepth_) {
            skipUntil_.clear();
            skipDepth_ = 0;
        } else {
            skipDepth_ -= ends;
        }
        return {};
    }
    const std::string_view code = Trim(line.substr(0, CommentStart(line)));
    if (code.empty()) {
        // A blank line ends a paragraph; a comment's line does not, in TeX.
        if (Trim(line).empty()) {
            paragraph_ = false;
            return {};
        }
        return {paragraph_ ? LineRole::Continuation : LineRole::Other, 0, {}, false, false};
    }
    if (!started_) {
        started_ = true;
        preamble_ = code.starts_with("\\documentclass") || code.starts_with("\\documentstyle");
    }
    if (preamble_) {
        preamble_ = code.find("\\begin{document}") == std::string_view::npos;
        return {};
    }
    if (!ReadStructure(code)) {
        paragraph_ = false;
        return {};
    }
    return ReadProse(line, code);
}

bool LatexScanner::ReadStructure(std::string_view code) {
    bool prose = true;
    constexpr StopBytes kMarks("\\$");
    for (std::size_t at = kMarks.FindIn(code); at != std::string_view::npos && skipUntil_.empty();
         at = kMarks.FindIn(code, at + 1)) {
        if (code.substr(at, 2) == "$$" || code.substr(at, 2) == "\\[") {
            at = SkipDisplayMath(code, at);
            prose = false;
            continue;
        }
        const std::string_view command = CommandNameAt(code, at);
        if (command != "begin" && command != "end") {
            at += command.size();
            continue;
        }
        prose = false;
        const std::string_view name = BracedName(code, at + command.size() + 1);
        if (command == "end") {
            ended_ = name == "document";
            depth_ -= depth_ > 0 && IsProseEnvironment(name) ? 1 : 0;
        } else if (IsProseEnvironment(name) && depth_ < kDeepest) {
            ++depth_;
        } else {
            SkipEnvironment(name, code.substr(std::min(code.size(), at + command.size() + name.size() + 3)));
            return false;
        }
    }
    return prose;
}

std::size_t LatexScanner::SkipDisplayMath(std::string_view code, std::size_t at) {
    const std::string_view close = code[at] == '$' ? "$$" : "\\]";
    const std::size_t end = code.find(close, at + 2);
    if (end != std::string_view::npos) {
        return end + 1;
    }
    skipUntil_ = close;
    skipName_.clear();
    skipDepth_ = 1;
    return at + 1;
}

void LatexScanner::SkipEnvironment(std::string_view name, std::string_view rest) {
    // Verbatim ones may end on their first line, others count their own kind inside.
    skipName_ = name;
    skipUntil_ = "\\end{" + std::string(name) + "}";
    const bool verbatim = IsVerbatimEnvironment(name);
    const std::size_t opened = verbatim ? 1 : 1 + Count(rest, "\\begin{" + std::string(name) + "}");
    const std::size_t closed =
        verbatim ? std::min<std::size_t>(Count(rest, skipUntil_), 1) : Count(rest, skipUntil_);
    if (closed >= opened) {
        skipUntil_.clear();
    } else {
        skipDepth_ = opened - closed;
    }
}

LineReading LatexScanner::ReadProse(std::string_view line, std::string_view code) {
    const std::size_t indent = std::min(line.find_first_not_of(" \t"), line.size());
    // A backslash alone is TeX's control space, named by the line end: joined to the next line it would
    // start a line with "\ ", a command that starts no prose, so it is kept as one.
    const std::string_view command = code == "\\" ? std::string_view(" ") : CommandNameAt(code, 0);
    if (code[0] == '}' || code[0] == '&' || (!command.empty() && !StartsProse(command)) ||
        code.ends_with('{')) {
        paragraph_ = false;
        return {};
    }
    if (command == "item") {
        // "\item[label] text": the text starts after the label, and further lines line up with it.
        std::size_t text = indent + 5;
        if (text < line.size() && line[text] == '[') {
            const std::size_t close = line.find(']', text);
            text = close == std::string_view::npos ? line.size() : close + 1;
        }
        text = std::min(line.find_first_not_of(" \t", text), line.size());
        paragraph_ = text < line.size();
        if (!paragraph_) {
            return {};
        }
        return {LineRole::ParagraphStart, text,
                std::string(line.substr(0, indent)) + std::string(text - indent, ' '), false, false};
    }
    if (paragraph_) {
        return {LineRole::Continuation, indent, {}, false, false};
    }
    paragraph_ = true;
    return {LineRole::ParagraphStart, indent, std::string(line.substr(0, indent)), depth_ >= kDeepest, false};
}

} // namespace brantlewick::latex
