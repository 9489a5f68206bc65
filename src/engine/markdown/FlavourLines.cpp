// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a line for the structure a flavour gives it. Everything is decided from the line's start, so
// that a join, which only adds to a line's end, never makes a line into one of these; a cut is never put
// where the new line would start like one (see MayStartFlavourLine's callers). When in doubt a line is
// kept: a line left long costs a diff a little, a flavour's structure joined into prose breaks the
// document.
#include "markdown/FlavourLines.h"

#include "markdown/Syntax.h"

#include <algorithm>
#include <array>

namespace brantlewick::markdown {

namespace {

using Kind = FlavourLine::Kind;
using End = FlavourBody::End;

bool IsNameChar(char c) {
    return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '-';
}

std::string_view SkipBlanks(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    return text;
}

std::string_view Trimmed(std::string_view text) {
    text = SkipBlanks(text);
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view NameAt(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && IsNameChar(text[n])) {
        ++n;
    }
    return text.substr(0, n);
}

bool EqualsFolded(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() &&
           std::equal(lower.begin(), lower.end(), text.begin(), [](char l, char t) {
               return l == (t >= 'A' && t <= 'Z' ? static_cast<char>(t + ('a' - 'A')) : t);
           });
}

// Whether a tag of the form `open` + blanks + `name` (and no more of a name) stands anywhere in `line`:
// "{%- endraw %}", "{{< /note >}}". `marks` may stand between `open` and the blanks.
bool HasTag(std::string_view line, std::string_view open, std::string_view marks, std::string_view name) {
    for (std::size_t at = line.find(open); at != std::string_view::npos; at = line.find(open, at + 1)) {
        std::string_view rest = line.substr(at + open.size());
        rest.remove_prefix(std::min(rest.find_first_not_of(marks), rest.size()));
        rest = SkipBlanks(rest);
        if (rest.starts_with(name) && (rest.size() == name.size() || !IsNameChar(rest[name.size()]))) {
            return true;
        }
    }
    return false;
}

FlavourBody TextBody(std::string_view line, std::size_t from, std::string_view closer) {
    return line.find(closer, from) == std::string_view::npos ? FlavourBody{End::Text, std::string(closer)}
                                                             : FlavourBody{};
}

// Liquid's tags whose bodies are no Markdown: code, text shown as it is, and comments.
FlavourBody LiquidBody(std::string_view line) {
    const std::size_t close = line.find("%}");
    if (close == std::string_view::npos) {
        return {End::Text, "%}"}; // a tag over several lines
    }
    std::string_view rest = line.substr(2);
    rest.remove_prefix(std::min(rest.find_first_not_of('-'), rest.size()));
    const std::string_view name = NameAt(SkipBlanks(rest));
    if (name != "highlight" && name != "raw" && name != "comment") {
        return {};
    }
    const std::string end = "end" + std::string(name);
    return HasTag(line.substr(close), "{%", "-", end) ? FlavourBody{} : FlavourBody{End::LiquidTag, end};
}

// A Hugo shortcode "{{< name >}}" hands its inner text to its template as it is; whether it has inner
// text at all only its closing tag, somewhere below, tells.
FlavourBody HugoBody(std::string_view line) {
    const std::string_view closer = line[2] == '<' ? ">}}" : "%}}";
    const std::size_t close = line.find(closer, 3);
    if (close == std::string_view::npos) {
        return {End::Text, std::string(closer)};
    }
    const std::string_view name = NameAt(SkipBlanks(line.substr(3)));
    if (line[2] != '<' || name.empty() || line[close - 1] == '/') {
        return {}; // "{{% %}}" holds Markdown; "{{< x />}}" closes itself
    }
    const std::string end = "/" + std::string(name);
    return HasTag(line.substr(close), "{{", "<%", end) ? FlavourBody{} : FlavourBody{End::HugoTag, end};
}

FlavourBody BraceBody(std::string_view line) {
    if (line.starts_with("{%")) {
        return LiquidBody(line);
    }
    if (line.starts_with("{{<") || line.starts_with("{{%")) {
        return HugoBody(line);
    }
    if (line.starts_with("{{")) {
        return TextBody(line, 2, "}}");
    }
    if (line.starts_with("{::")) { // kramdown's extensions: "{::comment}" to "{:/comment}" or "{:/}"
        return line.find("/}") == std::string_view::npos ? TextBody(line, 3, "{:/") : FlavourBody{};
    }
    if (line.starts_with("{/*")) { // an MDX comment
        return TextBody(line, 3, "*/}");
    }
    return {};
}

// "(name)=", a MyST target: MyST takes any line that starts with "(" and ends with ")=" for one.
bool IsTarget(std::string_view text) {
    const std::string_view t = Trimmed(text);
    return t.size() > 3 && t.starts_with('(') && t.ends_with(")=");
}

// ":name:" or ":name: value", a directive's option.
bool IsOption(std::string_view text) {
    const std::string_view name = NameAt(text.substr(1));
    const std::size_t after = name.size() + 2;
    return !name.empty() && after <= text.size() && text[after - 1] == ':' &&
           (after == text.size() || IsBlank(text[after]));
}

// MDX's "import X from './x'" and "export const x = ...", but not a line of prose that starts with the
// word ("import the file").
bool IsImportOrExport(std::string_view text) {
    if (text.starts_with("import") && text.size() > 7 && IsBlank(text[6])) {
        const std::string_view rest = SkipBlanks(text.substr(7));
        return rest.starts_with('{') || rest.starts_with('*') || rest.starts_with('\'') ||
               rest.starts_with('"') || text.find(" from ") != std::string_view::npos;
    }
    if (text.starts_with("export") && text.size() > 7 && IsBlank(text[6])) {
        const std::string_view word = NameAt(SkipBlanks(text.substr(7)));
        static constexpr std::array<std::string_view, 8> kDeclarations = {
            "const", "let", "var", "function", "default", "class", "async", "type"};
        const std::string_view rest = SkipBlanks(text.substr(7));
        return rest.starts_with('{') || rest.starts_with('*') ||
               std::find(kDeclarations.begin(), kDeclarations.end(), word) != kDeclarations.end();
    }
    return false;
}

// "{ref}`x` says ...": a MyST role at the start of a line of prose.
bool StartsWithRole(std::string_view text) {
    const std::size_t close = text.find('}');
    if (close == std::string_view::npos || close < 2 || close + 1 >= text.size() || text[close + 1] != '`') {
        return false;
    }
    return std::all_of(text.begin() + 1, text.begin() + static_cast<std::ptrdiff_t>(close),
                       [](char c) { return IsNameChar(c) || c == ':'; });
}

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

FlavourLine Fixed(FlavourBody body = {}) {
    return {Kind::Fixed, false, false, std::move(body)};
}

FlavourLine ReadBracketLine(std::string_view t) {
    const std::string_view whole = Trimmed(t);
    if (EqualsFolded(whole, "[[toc]]") || EqualsFolded(whole, "[[_toc_]]") || EqualsFolded(whole, "[toc]")) {
        return Fixed();
    }
    // "[!NOTE]", "[!tip]- Title", DocFX's "[!INCLUDE [x](y)]" and "[!code-cs[x](y)]".
    if (t.size() > 2 && t[1] == '!' && IsAsciiLetter(t[2])) {
        return Fixed();
    }
    return {};
}

FlavourLine ReadColonLine(std::string_view t) {
    std::size_t colons = 0;
    while (colons < t.size() && t[colons] == ':') {
        ++colons;
    }
    if (colons >= 3) {
        return Fixed(); // a colon fence, opening or closing
    }
    // However far it is indented: markdown-it's and MyST's definition lists take it at any depth.
    if (colons == 1 && t.size() > 1 && IsBlank(t[1])) {
        return {Kind::Definition, false, false, {}};
    }
    return IsOption(t) ? Fixed() : FlavourLine{};
}

FlavourLine ReadMarkLine(std::string_view t) {
    switch (t[0]) {
    case ':':
        return ReadColonLine(t);
    case '~':
        return t.size() > 1 && IsBlank(t[1]) ? FlavourLine{Kind::Definition, false, false, {}}
                                             : FlavourLine{};
    case '$':
        return t.starts_with("$$") ? Fixed(TextBody(t, 2, "$$")) : FlavourLine{};
    case '\\':
        if (t.starts_with("\\[")) {
            return Fixed(TextBody(t, 2, "\\]"));
        }
        if (t.starts_with("\\begin{")) {
            const std::size_t close = t.find('}');
            const std::string end =
                close == std::string_view::npos ? "\\end{" : "\\end" + std::string(t.substr(6, close - 5));
            return Fixed(TextBody(t, 7, end));
        }
        return {};
    case '%': // a MyST comment, or Obsidian's "%%" over several lines
        return Fixed(t.starts_with("%%") ? TextBody(t, 2, "%%") : FlavourBody{});
    case '(':
        return IsTarget(t) ? Fixed() : FlavourLine{};
    case '^': // kramdown's end of a block
        return Trimmed(t) == "^" ? Fixed() : FlavourLine{};
    case '*': // an abbreviation: "*[HTML]: HyperText Markup Language"
        return t.starts_with("*[") && t.find("]:") != std::string_view::npos ? Fixed() : FlavourLine{};
    default:
        break;
    }
    return {};
}

FlavourLine ReadRunLine(std::string_view t) {
    const char c = t[0];
    const std::size_t run = std::min(t.find_first_not_of(c), t.size());
    if (run < 3) {
        return c == '!' && t.starts_with("![[") ? Fixed() : FlavourLine{}; // an Obsidian embed
    }
    switch (c) {
    case '!': // MkDocs admonitions: "!!! note", "??? note", "???+ note"
    case '?':
    case '=': // content tabs: '=== "Tab"', '===! "Tab"'
    case '+': // a MyST block break
        return Fixed();
    case '/': // a "///" block of pymdownx
        return {Kind::Fixed, false, true, {}};
    default:
        return {};
    }
}

FlavourLine ReadTagLine(std::string_view t) {
    // A capitalised JSX component opening or closing, or a fragment; "<<<", VitePress's snippet.
    const std::size_t name = t.starts_with("</") ? 2 : 1;
    const bool component = name < t.size() && (IsUpper(t[name]) || t[name] == '>');
    if (!component && !t.starts_with("<<<")) {
        return {};
    }
    return Fixed(component ? TextBody(t, name, ">") : FlavourBody{});
}

} // namespace

FlavourLine ReadFlavourLine(std::string_view text) {
    const std::string_view t = SkipBlanks(text);
    if (t.empty()) {
        return {};
    }
    switch (t[0]) {
    case '{':
        // Liquid, Hugo, kramdown's and attr_list's attributes, MDX expressions; not a MyST role.
        return StartsWithRole(t) ? FlavourLine{} : Fixed(BraceBody(t));
    case '[':
        return ReadBracketLine(t);
    case '<':
        return ReadTagLine(t);
    case 'i':
    case 'e':
        return IsImportOrExport(t) ? FlavourLine{Kind::Fixed, true, false, {}} : FlavourLine{};
    case '!':
    case '?':
    case '=':
    case '+':
    case '/':
        return ReadRunLine(t);
    default:
        return ReadMarkLine(t);
    }
}

bool EndsBody(std::string_view line, const FlavourBody& body) {
    switch (body.end) {
    case End::Text:
        return line.find(body.name) != std::string_view::npos;
    case End::LiquidTag:
        return HasTag(line, "{%", "-", body.name);
    case End::HugoTag:
        return HasTag(line, "{{", "<%", body.name);
    case End::None:
        break;
    }
    return false;
}

} // namespace brantlewick::markdown
