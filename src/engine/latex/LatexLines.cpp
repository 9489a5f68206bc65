// SPDX-License-Identifier: GPL-3.0-or-later
// LaTeX's commands and environments as far as line breaks go.
#include "latex/LatexLines.h"

#include "prose/ProseSyntax.h"

#include <algorithm>
#include <array>

namespace brantlewick::latex {

namespace {

template <std::size_t N> bool Among(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

constexpr std::array<std::string_view, 14> kProseArguments = {
    "emph",   "textbf", "textit",    "textsl",   "textsc",  "textup",     "textmd",
    "textrm", "textsf", "underline", "footnote", "enquote", "textnormal", "uline"};

constexpr std::array<std::string_view, 21> kProseStarts = {
    "item",       "noindent", "cite",  "citet",          "citep",
    "citeauthor", "ref",      "eqref", "autoref",        "cref",
    "Cref",       "pageref",  "url",   "href",           "LaTeX",
    "TeX",        "ldots",    "dots",  "textasciitilde", "textquotedblleft",
    "S"};

constexpr std::array<std::string_view, 35> kProseEnvironments = {
    "document",     "itemize",    "enumerate",    "description", "quote",     "quotation", "abstract",
    "center",       "flushleft",  "flushright",   "minipage",    "theorem",   "lemma",     "proposition",
    "corollary",    "definition", "remark",       "example",     "proof",     "note",      "frame",
    "block",        "alertblock", "exampleblock", "columns",     "column",    "multicols", "small",
    "footnotesize", "scriptsize", "large",        "Large",       "sloppypar", "verse",     "itemize*"};

constexpr std::array<std::string_view, 16> kVerbatimEnvironments = {
    "verbatim",   "verbatim*", "Verbatim", "Verbatim*",    "BVerbatim",     "LVerbatim",
    "lstlisting", "minted",    "comment",  "filecontents", "filecontents*", "spverbatim",
    "alltt",      "pyglist",   "luacode",  "luacode*"};

} // namespace

std::size_t CommentStart(std::string_view line) {
    for (std::size_t at = line.find('%'); at != std::string_view::npos; at = line.find('%', at + 1)) {
        std::size_t backslashes = 0;
        while (backslashes < at && line[at - backslashes - 1] == '\\') {
            ++backslashes;
        }
        if (backslashes % 2 == 0) {
            return at;
        }
    }
    return line.size();
}

std::string_view CommandNameAt(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size() || text[at] != '\\') {
        return {};
    }
    std::size_t end = at + 1;
    while (end < text.size() && prose::IsAsciiLetter(text[end])) {
        ++end;
    }
    return text.substr(at + 1, end == at + 1 ? 1 : end - at - 1);
}

bool TakesProse(std::string_view command) {
    return Among(kProseArguments, command);
}

bool StartsProse(std::string_view command) {
    return TakesProse(command) || Among(kProseStarts, command);
}

bool IsProseEnvironment(std::string_view name) {
    return Among(kProseEnvironments, name);
}

bool IsVerbatimEnvironment(std::string_view name) {
    return Among(kVerbatimEnvironments, name);
}

} // namespace brantlewick::latex
