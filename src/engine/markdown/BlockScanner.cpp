// SPDX-License-Identifier: GPL-3.0-or-later
// The block structure: container matching, block starts, and the leaf blocks that hide paragraphs.
//
// Which reader it follows. CommonMark 0.30 as cmark-gfm, GitHub's reader, implements it, with the
// extensions of GitHub's that change the blocks: tables, task list items, footnote definitions (which cut
// a paragraph short there); and front matter ("---" or "+++" on the first line) as static site
// generators read it. Columns follow CommonMark: a tab moves to the next multiple of four and may be
// used up in part, so that "-\tx" and ">\tx" read as they do in every CommonMark reader. A test checks
// its paragraphs, line by line, against cmark-gfm's source positions.
//
// Why a scanner of our own. cmark-gfm builds the whole document as a tree before anything is written;
// the sentence mode promises memory that does not grow with the file (a paragraph and one entry per
// open block quote or list item), so it reads one line at a time and forgets it. And it needs what a
// tree drops: for each line of a paragraph, where its text starts after its quote markers and list
// indentation, and how a new line must start to go on in the same containers. The engine depends on
// no Markdown library; cmark-gfm is only a test's judge.
//
// Where readers disagree, and which way the mode goes: it follows cmark-gfm's structure, and where
// another reader a document is written for would read the same lines otherwise, it keeps them as they
// are (a long line is a small cost; a wrong join breaks a document).
// - Lazy lines, deep nesting, blocks that cannot cut a paragraph short in CommonMark (a list that does
//   not start at 1, an empty item) or can in other readers, and tables kramdown finds wherever a line
//   holds a "|": such a line stays whole on a line of its own (MarkdownStage), whatever reads it.
// - A block quote right after a paragraph's line is text to pandoc and Python-Markdown, which want a
//   blank line before it: its new lines go without ">", lazily, which CommonMark reads the same.
// - A further line of a paragraph keeps its own markers (a lazy line its lack of them) on the new
//   lines cut from it; every new line keeps the line's leading blanks, which definition lists and
//   admonitions count.
// - HTML blocks: the seven kinds of CommonMark 0.30; "<!x" and "<search>", blocks only for newer
//   readers, leave their paragraph as it is. Readers of 0.29 (Debian's cmark-gfm among them) read a
//   "<textarea>" line as inline HTML inside the paragraph; the mode ends the paragraph there and keeps
//   that line and the ones after it as they are, which both readings render the same.
// - The lines that the flavours read as structure and CommonMark as text (FlavourLines.h) stay whole.
// - markdown-it, md4c and pandoc's CommonMark reader part from cmark-gfm on some finer points of deep
//   nesting, lazy lines and tabs; the mode goes with cmark-gfm there.
#include "markdown/BlockScanner.h"

#include "markdown/Syntax.h"

#include <algorithm>
#include <array>

namespace brantlewick::markdown {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(),
                                                      [](char p, char t) { return p == Lower(t); });
}

bool ContainsFolded(std::string_view text, std::string_view needle) {
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        if (StartsWithFolded(text.substr(i), needle)) {
            return true;
        }
    }
    return false;
}

bool IsBlankText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsBlank);
}

// How many times `c` repeats at the start of `text`.
std::size_t RunOf(std::string_view text, char c) {
    std::size_t n = 0;
    while (n < text.size() && text[n] == c) {
        ++n;
    }
    return n;
}

// TableCells, quick for the many lines without a "|".
std::size_t CellsOf(std::string_view row) {
    return row.find('|') == std::string_view::npos ? 1 : TableCells(row);
}

// "[^label]:", which starts a footnote's definition.
bool IsFootnote(std::string_view rest) {
    if (!rest.starts_with("[^")) {
        return false;
    }
    const std::size_t close = rest.find(']');
    return close != std::string_view::npos && close > 2 && close + 1 < rest.size() && rest[close + 1] == ':';
}

bool IsAtxHeading(std::string_view rest) {
    const std::size_t hashes = RunOf(rest, '#');
    return hashes >= 1 && hashes <= 6 && (hashes == rest.size() || IsBlank(rest[hashes]));
}

bool IsUnderline(std::string_view rest) {
    const char c = rest.empty() ? '\0' : rest[0];
    return (c == '=' || c == '-') && IsBlankText(rest.substr(RunOf(rest, c)));
}

constexpr std::array<std::string_view, 62> kBlockTags = {
    "address",  "article",    "aside",  "base",    "basefont", "blockquote", "body",     "caption",  "center",
    "col",      "colgroup",   "dd",     "details", "dialog",   "dir",        "div",      "dl",       "dt",
    "fieldset", "figcaption", "figure", "footer",  "form",     "frame",      "frameset", "h1",       "h2",
    "h3",       "h4",         "h5",     "h6",      "head",     "header",     "hr",       "html",     "iframe",
    "legend",   "li",         "link",   "main",    "menu",     "menuitem",   "nav",      "noframes", "ol",
    "optgroup", "option",     "p",      "param",   "section",  "source",     "summary",  "table",    "tbody",
    "td",       "tfoot",      "th",     "thead",   "title",    "tr",         "track",    "ul"};

// An HTML block's tag name ends at a blank, a vertical tab or a form feed, as GitHub's reader has it.
bool EndsTagName(std::string_view text, std::size_t at) {
    return at == text.size() || IsBlank(text[at]) || text[at] == '\v' || text[at] == '\f' ||
           text[at] == '>' || text.substr(at, 2) == "/>";
}

// Newer CommonMark readers start an HTML block at "<!" and a small letter (a declaration) and at the
// "search" tag; GitHub's reader takes either for paragraph text. A paragraph holding such a line stays as
// it is, for either reader.
bool StartsHtmlForNewerReaders(std::string_view rest) {
    if (rest.size() > 2 && rest.starts_with("<!") && rest[2] >= 'a' && rest[2] <= 'z') {
        return true;
    }
    const std::size_t name = rest.starts_with("</") ? 2 : 1;
    return rest.starts_with('<') && StartsWithFolded(rest.substr(name), "search") &&
           EndsTagName(rest, name + 6);
}

// The kind of HTML block starting at `rest` (1 to 7 as CommonMark numbers them), or 0.
int HtmlBlockStart(std::string_view rest, bool interrupting) {
    if (rest.empty() || rest[0] != '<') {
        return 0;
    }
    for (const std::string_view tag : {"<script", "<pre", "<style", "<textarea"}) {
        if (StartsWithFolded(rest, tag) && EndsTagName(rest, tag.size()) &&
            rest.substr(tag.size(), 2) != "/>") {
            return 1;
        }
    }
    if (rest.starts_with("<!--")) {
        return 2;
    }
    if (rest.starts_with("<?")) {
        return 3;
    }
    if (rest.size() > 2 && rest[1] == '!' && rest[2] >= 'A' && rest[2] <= 'Z') {
        return 4;
    }
    if (rest.starts_with("<![CDATA[")) {
        return 5;
    }
    const std::size_t nameStart = rest.size() > 1 && rest[1] == '/' ? 2 : 1;
    std::size_t nameEnd = nameStart;
    while (nameEnd < rest.size() && (IsAsciiLetter(rest[nameEnd]) || IsAsciiDigit(rest[nameEnd]))) {
        ++nameEnd;
    }
    const std::string_view name = rest.substr(nameStart, nameEnd - nameStart);
    if (EndsTagName(rest, nameEnd) &&
        std::any_of(kBlockTags.begin(), kBlockTags.end(), [name](std::string_view tag) {
            return tag.size() == name.size() && StartsWithFolded(name, tag);
        })) {
        return 6;
    }
    const std::size_t tag = HtmlTagLength(rest);
    if (!interrupting && tag > 0 && IsBlankText(rest.substr(tag)) &&
        rest.substr(0, tag).find('\n') == std::string_view::npos) {
        return 7;
    }
    return 0;
}

bool HtmlBlockEnds(int kind, std::string_view line) {
    switch (kind) {
    case 1:
        return ContainsFolded(line, "</script>") || ContainsFolded(line, "</pre>") ||
               ContainsFolded(line, "</style>") || ContainsFolded(line, "</textarea>");
    case 2:
        return line.find("-->") != std::string_view::npos;
    case 3:
        return line.find("?>") != std::string_view::npos;
    case 4:
        return line.find('>') != std::string_view::npos;
    case 5:
        return line.find("]]>") != std::string_view::npos;
    default:
        return false; // 6 and 7 end before a blank line
    }
}

std::size_t SkipAttributeValue(std::string_view text, std::size_t at) {
    if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
        const std::size_t close = text.find(text[at], at + 1);
        return close == std::string_view::npos ? 0 : close + 1;
    }
    const std::size_t start = at;
    while (at < text.size() && std::string_view(" \t\n\"'=<>`").find(text[at]) == std::string_view::npos) {
        ++at;
    }
    return at > start ? at : 0;
}

std::size_t SkipSpace(std::string_view text, std::size_t at) {
    while (at < text.size() && (IsBlank(text[at]) || text[at] == '\n')) {
        ++at;
    }
    return at;
}

bool IsAttributeNameChar(char c, bool first) {
    return IsAsciiLetter(c) || c == '_' || c == ':' || (!first && (IsAsciiDigit(c) || c == '.' || c == '-'));
}

// One past an attribute (a name, and maybe "=" and a value) starting at `at`, or npos.
std::size_t SkipAttribute(std::string_view text, std::size_t at) {
    if (!IsAttributeNameChar(text[at], true)) {
        return std::string_view::npos;
    }
    ++at;
    while (at < text.size() && IsAttributeNameChar(text[at], false)) {
        ++at;
    }
    const std::size_t equals = SkipSpace(text, at);
    if (equals < text.size() && text[equals] == '=') {
        at = SkipAttributeValue(text, SkipSpace(text, equals + 1));
        return at == 0 ? std::string_view::npos : at;
    }
    return at;
}

} // namespace

std::size_t SkipLinkSpace(std::string_view text, std::size_t at) {
    bool lineEnd = false;
    for (; at < text.size(); ++at) {
        if (text[at] == '\n') {
            if (lineEnd) {
                return std::string_view::npos;
            }
            lineEnd = true;
        } else if (!IsBlank(text[at])) {
            break;
        }
    }
    return at;
}

namespace {

// One past a destination in "<...>" starting at `at`, or npos.
std::size_t AngleDestinationEnd(std::string_view text, std::size_t at) {
    for (++at; at < text.size() && text[at] != '>'; ++at) {
        if (text[at] == '\n' || text[at] == '<') {
            return std::string_view::npos;
        }
        at += text[at] == '\\' ? 1 : 0;
    }
    return at < text.size() ? at + 1 : std::string_view::npos;
}

} // namespace

std::size_t LinkDestinationEnd(std::string_view text, std::size_t at) {
    if (at < text.size() && text[at] == '<') {
        return AngleDestinationEnd(text, at);
    }
    // As in cmark and markdown-it, parentheses nest 32 deep at most: past that it is no destination,
    // and text full of "(" is not read to its end from each of them.
    constexpr int kDeepestParentheses = 32;
    const std::size_t start = at;
    int depth = 0;
    for (; at < text.size() && static_cast<unsigned char>(text[at]) > ' '; ++at) {
        if (text[at] == '\\') {
            ++at;
        } else if (text[at] == '(') {
            if (++depth > kDeepestParentheses) {
                return std::string_view::npos;
            }
        } else if (text[at] == ')' && depth-- == 0) {
            break;
        }
    }
    return at > start && depth <= 0 ? std::min(at, text.size()) : std::string_view::npos;
}

std::size_t LinkTitleEnd(std::string_view text, std::size_t at) {
    if (at >= text.size() || (text[at] != '"' && text[at] != '\'' && text[at] != '(')) {
        return std::string_view::npos;
    }
    const char close = text[at] == '(' ? ')' : text[at];
    for (++at; at < text.size() && text[at] != close; ++at) {
        if (text[at] == '\\') {
            ++at;
        } else if (text[at] == '\n' && SkipLinkSpace(text, at) == std::string_view::npos) {
            return std::string_view::npos;
        }
    }
    return at < text.size() ? at + 1 : std::string_view::npos;
}

namespace {

// One past the line end (or the text's end) if only blanks come before it from `at`, or npos.
std::size_t EndOfLine(std::string_view text, std::size_t at) {
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    if (at == text.size()) {
        return at;
    }
    return text[at] == '\n' ? at + 1 : std::string_view::npos;
}

// One past the link reference definition at the start of `text`, or npos.
std::size_t SkipDefinition(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && at < 3 && text[at] == ' ') {
        ++at;
    }
    if (at >= text.size() || text[at] != '[') {
        return std::string_view::npos;
    }
    const std::size_t labelStart = ++at;
    for (; at < text.size() && text[at] != ']'; ++at) {
        if (text[at] == '[' || at - labelStart > 999) {
            return std::string_view::npos;
        }
        at += text[at] == '\\' ? 1 : 0;
    }
    const std::string_view label = text.substr(labelStart, at - labelStart);
    if (at + 1 >= text.size() || text[at + 1] != ':' ||
        label.find_first_not_of(" \t\n") == std::string_view::npos) {
        return std::string_view::npos;
    }
    at = SkipLinkSpace(text, at + 2);
    at = at == std::string_view::npos ? at : LinkDestinationEnd(text, at);
    if (at == std::string_view::npos) {
        return at;
    }
    // A title, if one follows after white space; else the destination must end its line.
    const std::size_t titleStart = SkipLinkSpace(text, at);
    if (titleStart != std::string_view::npos && titleStart > at) {
        const std::size_t title = LinkTitleEnd(text, titleStart);
        if (title != std::string_view::npos && EndOfLine(text, title) != std::string_view::npos) {
            return EndOfLine(text, title);
        }
    }
    return EndOfLine(text, at);
}

} // namespace

bool OnlyLinkDefinitions(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = SkipDefinition(text);
        if (end == std::string_view::npos || end == 0) {
            return false;
        }
        text.remove_prefix(end);
    }
    return true;
}

std::size_t HtmlTagLength(std::string_view text) {
    if (text.size() < 3 || text[0] != '<') {
        return 0;
    }
    const bool closing = text[1] == '/';
    std::size_t at = closing ? 2 : 1;
    if (at >= text.size() || !IsAsciiLetter(text[at])) {
        return 0;
    }
    while (at < text.size() && (IsAsciiLetter(text[at]) || IsAsciiDigit(text[at]) || text[at] == '-')) {
        ++at;
    }
    if (closing) {
        at = SkipSpace(text, at);
        return at < text.size() && text[at] == '>' ? at + 1 : 0;
    }
    for (;;) {
        const std::size_t spaced = SkipSpace(text, at);
        if (spaced == text.size()) {
            return 0;
        }
        if (text[spaced] == '>') {
            return spaced + 1;
        }
        if (text.substr(spaced, 2) == "/>") {
            return spaced + 2;
        }
        // Attributes need white space before them.
        at = spaced == at ? std::string_view::npos : SkipAttribute(text, spaced);
        if (at == std::string_view::npos) {
            return 0;
        }
    }
}

bool IsDelimiterRow(std::string_view line) {
    bool dash = false;
    bool mark = false;
    for (const char c : line) {
        if (c == '-') {
            dash = true;
        } else if (c == '|' || c == ':' || c == '\v' || c == '\f') {
            mark = true;
        } else if (!IsBlank(c)) {
            return false;
        }
    }
    return dash && mark;
}

std::size_t TableCells(std::string_view row) {
    std::size_t start = 0;
    while (start < row.size() && IsBlank(row[start])) {
        ++start;
    }
    std::size_t end = row.size();
    while (end > start && IsBlank(row[end - 1])) {
        --end;
    }
    std::size_t pipes = 0;
    bool leading = false;
    bool trailing = false;
    for (std::size_t i = start; i < end; ++i) {
        if (row[i] == '\\') {
            ++i;
        } else if (row[i] == '|') {
            ++pipes;
            leading = leading || i == start;
            trailing = i + 1 == end;
        }
    }
    const std::size_t cells = pipes + 1 - (leading ? 1 : 0) - (trailing ? 1 : 0);
    return end > start ? std::max<std::size_t>(cells, 1) : 0;
}

// A position in the line, in bytes and in columns; `partialTab` when the tab at `at` is partly used up.
// A line is looked at once for each container it may go on in or open, so nothing here reads further
// than the question needs: a line of nested list markers, or the indentation of a deeply nested item,
// costs time in proportion to its length.
struct BlockScanner::Cursor {
    explicit Cursor(std::string_view text) : line(text) {
        while (contentEnd > 0 && IsBlank(line[contentEnd - 1])) {
            --contentEnd;
        }
    }

    std::string_view line;
    std::size_t at = 0;
    int column = 0;
    bool partialTab = false;
    std::size_t contentEnd = line.size(); // one past the line's last byte that is not blank
    // No thematic break of `ruledOutChar` starts before `ruledOutBefore`.
    char ruledOutChar = 0;
    std::size_t ruledOutBefore = 0;

    // The columns of blanks from the cursor on, counted up to `enough` (the answer may pass it by a tab).
    int Indent(int enough) const {
        int c = column;
        for (std::size_t p = at; p < line.size() && IsBlank(line[p]) && c - column < enough; ++p) {
            c += line[p] == '\t' ? 4 - c % 4 : 1;
        }
        return c - column;
    }
    bool RestBlank() const { return at >= contentEnd; }
    // Whether the line from `from` on, a "-", "*" or "_", is a thematic break. Where one question found
    // a byte that rules it out, the same question from any place before that byte finds it too.
    bool ThematicBreakAt(std::size_t from) {
        const char c = line[from];
        if (c != '-' && c != '*' && c != '_') {
            return false;
        }
        if (c == ruledOutChar && from < ruledOutBefore) {
            return false;
        }
        std::size_t count = 0;
        std::size_t p = from;
        for (; p < line.size() && (line[p] == c || IsBlank(line[p])); ++p) {
            count += line[p] == c ? 1 : 0;
        }
        if (p == line.size() && count >= 3) {
            return true;
        }
        ruledOutChar = c;
        ruledOutBefore = p;
        return false;
    }
    std::size_t FirstNonBlank() const {
        std::size_t p = at;
        while (p < line.size() && IsBlank(line[p])) {
            ++p;
        }
        return p;
    }
    std::string_view Rest() const { return line.substr(FirstNonBlank()); }
    void Advance(int columns) {
        while (columns > 0 && at < line.size() && IsBlank(line[at])) {
            if (line[at] == '\t') {
                const int width = 4 - column % 4;
                if (width > columns) {
                    column += columns;
                    partialTab = true;
                    return;
                }
                column += width;
                columns -= width;
            } else {
                ++column;
                --columns;
            }
            ++at;
            partialTab = false;
        }
    }
    void SkipBytes(std::size_t n) {
        at += n;
        column += static_cast<int>(n);
        partialTab = false;
    }
};

bool BlockScanner::Continues(Cursor& cursor, Container& container) {
    if (container.quote) {
        if (cursor.Indent(4) > 3 || cursor.line[cursor.FirstNonBlank()] != '>') {
            return false;
        }
        cursor.Advance(cursor.Indent(4));
        cursor.SkipBytes(1);
        container.spaced = cursor.at < cursor.line.size() && IsBlank(cursor.line[cursor.at]);
        if (container.spaced) {
            cursor.Advance(1); // the one optional space after ">"
        }
        return true;
    }
    if (cursor.Indent(container.indent) < container.indent) {
        return false;
    }
    cursor.Advance(container.indent);
    return true;
}

bool BlockScanner::LeafGoesOn(Cursor& cursor, bool allMatched, bool blank) {
    const std::string_view rest = cursor.Rest();
    switch (leaf_) {
    case Leaf::Fence:
        if (!allMatched) {
            return false;
        }
        if (cursor.Indent(4) <= 3 && RunOf(rest, fenceChar_) >= fenceLength_ &&
            IsBlankText(rest.substr(RunOf(rest, fenceChar_)))) {
            leaf_ = Leaf::None; // the closing fence
        }
        return true;
    case Leaf::Html:
        if (!allMatched || (blank && htmlKind_ >= 6)) {
            return false;
        }
        if (HtmlBlockEnds(htmlKind_, cursor.line.substr(cursor.at))) {
            leaf_ = Leaf::None;
        }
        return true;
    case Leaf::IndentedCode:
        return allMatched && (blank || cursor.Indent(4) >= 4);
    default:
        return false;
    }
}

// The length of a list item's marker at the start of `rest` ("-", "+", "*", or up to nine digits and
// "." or ")"), followed by a blank or the line's end; 0 for none. `start` is whether an ordered list
// would start at 1.
std::size_t ListMarker(std::string_view rest, bool& one) {
    one = true;
    if (rest[0] == '-' || rest[0] == '+' || rest[0] == '*') {
        return rest.size() == 1 || IsBlank(rest[1]) ? 1 : 0;
    }
    std::size_t n = 0;
    while (n < rest.size() && n < 10 && IsAsciiDigit(rest[n])) {
        ++n;
    }
    if (n == 0 || n > 9 || n >= rest.size() || (rest[n] != '.' && rest[n] != ')')) {
        return 0;
    }
    one = rest[n - 1] == '1' && rest.substr(0, n - 1).find_first_not_of('0') == std::string_view::npos;
    return n + 1 == rest.size() || IsBlank(rest[n + 1]) ? n + 1 : 0;
}

void BlockScanner::OpenQuote(Cursor& cursor, std::size_t& matched) {
    const int before = cursor.Indent(4);
    cursor.Advance(before);
    cursor.SkipBytes(1);
    const bool spaced = cursor.at < cursor.line.size() && IsBlank(cursor.line[cursor.at]);
    if (spaced) {
        cursor.Advance(1);
    }
    Truncate(matched);
    Push({true, 0, false, spaced, before, leaf_ == Leaf::Paragraph, ++containersOpened_});
    matched = containers_.size();
}

bool BlockScanner::OpenItem(Cursor& cursor, std::size_t& matched, bool interrupting) {
    const int indent = cursor.Indent(4);
    const std::string_view rest = cursor.Rest();
    bool one = true;
    const std::size_t marker = ListMarker(rest, one);
    const bool empty = marker > 0 && IsBlankText(rest.substr(marker));
    // Only a list that starts at 1 and has text interrupts a paragraph.
    if (marker == 0 || (interrupting && leaf_ == Leaf::Paragraph && (!one || empty))) {
        return false;
    }
    cursor.Advance(indent);
    cursor.SkipBytes(marker);
    const int spaces = cursor.Indent(5);
    const int padding = empty || spaces >= 5 ? 1 : spaces;
    cursor.Advance(padding);
    Truncate(matched);
    Push({false, indent + static_cast<int>(marker) + padding, !empty, true, 0, false, ++containersOpened_});
    matched = containers_.size();
    return true;
}

bool BlockScanner::StartsLeaf(Cursor& cursor, bool interrupting, LineReading& reading) {
    const std::string_view rest = cursor.Rest();
    const bool underParagraph = interrupting && leaf_ == Leaf::Paragraph;
    const std::size_t fence = std::max(RunOf(rest, '`'), RunOf(rest, '~'));
    if (IsAtxHeading(rest)) {
        leaf_ = Leaf::None;
        return true;
    }
    if (fence >= 3 && (rest[0] == '~' || rest.find('`', fence) == std::string_view::npos)) {
        leaf_ = Leaf::Fence;
        fenceChar_ = rest[0];
        fenceLength_ = fence;
    } else if (const int html = HtmlBlockStart(rest, interrupting)) {
        leaf_ = HtmlBlockEnds(html, rest) ? Leaf::None : Leaf::Html;
        htmlKind_ = html;
    } else if (underParagraph && IsUnderline(rest) &&
               !(maybeDefinitions_ && OnlyLinkDefinitions(definitions_))) {
        reading.role = LineRole::Closes; // a setext heading
        leaf_ = Leaf::None;
    } else if (underParagraph && IsDelimiterRow(rest) && TableCells(rest) == lastCells_) {
        reading.role = LineRole::Closes; // the paragraph's last line heads a table
        leaf_ = Leaf::Table;
    } else if (cursor.ThematicBreakAt(cursor.FirstNonBlank())) {
        leaf_ = Leaf::None;
    } else {
        return false;
    }
    return true;
}

bool BlockScanner::OpenBlocks(Cursor& cursor, bool interrupting, std::size_t matched, bool& opened,
                              LineReading& reading) {
    for (;;) {
        const std::string_view rest = cursor.Rest();
        if (rest.empty()) {
            return false;
        }
        if (cursor.Indent(4) >= 4) {
            if (leaf_ == Leaf::Paragraph && !opened) {
                return false; // indented code cannot interrupt a paragraph
            }
            leaf_ = Leaf::IndentedCode;
            return true;
        }
        if (rest[0] == '>') {
            OpenQuote(cursor, matched);
        } else if (StartsLeaf(cursor, interrupting, reading)) {
            return true;
        } else if (OpenItem(cursor, matched, interrupting)) {
            if (IsBlankText(cursor.line.substr(cursor.at))) {
                opened = true;
                return false;
            }
        } else {
            return false;
        }
        opened = true;
        interrupting = false;
    }
}

void BlockScanner::ReadFrontMatter(std::string_view line, LineReading& reading) {
    if (lines_ > 0 && frontMatterEnd_.empty()) {
        return;
    }
    std::string_view trimmed = line;
    while (!trimmed.empty() && IsBlank(trimmed.back())) {
        trimmed.remove_suffix(1);
    }
    if (lines_ == 0 && (trimmed == "---" || trimmed == "+++")) {
        frontMatterEnd_ = trimmed;
        reading.keep = true;
    } else if (!frontMatterEnd_.empty()) {
        reading.keep = true;
        if (trimmed == frontMatterEnd_ || (frontMatterEnd_ == "---" && trimmed == "...")) {
            frontMatterEnd_.clear();
        }
    }
}

LineReading BlockScanner::Read(std::string_view line) {
    const bool paragraphBefore = leaf_ == Leaf::Paragraph;
    LineReading reading = ReadLine(line);
    if (reading.role == LineRole::Continuation && maybeDefinitions_) {
        definitions_ += '\n';
        definitions_.append(line.substr(reading.textStart));
        maybeDefinitions_ = definitions_.size() <= kLongestDefinitions;
    } else if (paragraphBefore && reading.role != LineRole::Continuation) {
        // A paragraph of link reference definitions alone vanishes: the list item it was in holds
        // nothing again, and so ends at a blank line.
        if (maybeDefinitions_ && OnlyLinkDefinitions(definitions_)) {
            for (std::size_t i = 0; i < containers_.size() && i < contentBefore_.size(); ++i) {
                if (containers_[i].id == contentBefore_[i].first) {
                    // What this line itself brought counts all the same.
                    containers_[i].hasContent = contentBefore_[i].second || !blank_;
                }
            }
            blankStopsKnown_ = false;
        }
        maybeDefinitions_ = false;
    }
    if (reading.role == LineRole::ParagraphStart) {
        contentBefore_.swap(startContent_);
        const std::string_view text = line.substr(reading.textStart);
        maybeDefinitions_ = text.find_first_not_of(" \t") != std::string_view::npos &&
                            text[text.find_first_not_of(" \t")] == '[';
        definitions_.assign(maybeDefinitions_ ? text : std::string_view());
    }
    return reading;
}

LineReading BlockScanner::ReadLine(std::string_view line) {
    LineReading reading;
    ReadFrontMatter(line, reading);
    Cursor cursor{line};
    if (lines_++ == 0 && line.starts_with("\xEF\xBB\xBF")) {
        cursor.at = 3; // a byte order mark is no part of the text
    }
    const std::size_t matched = MatchContainers(cursor);
    const bool allMatched = matched == containers_.size();
    if (LeafGoesOn(cursor, allMatched, blank_)) {
        return reading;
    }
    if (leaf_ == Leaf::Fence || leaf_ == Leaf::Html || leaf_ == Leaf::IndentedCode) {
        leaf_ = Leaf::None;
    }
    const bool paragraphOpen = leaf_ == Leaf::Paragraph;
    bool opened = false;
    if (OpenBlocks(cursor, allMatched && (paragraphOpen || leaf_ == Leaf::Table) && !blank_, matched, opened,
                   reading)) {
        if (!opened) {
            Truncate(matched);
        }
        for (Container& container : containers_) {
            container.hasContent = true;
        }
        blankStopsKnown_ = false;
        return reading;
    }
    if (opened && OpensOnATaskBoxAlone(cursor, matched)) {
        return reading;
    }
    const bool lineBlank = cursor.RestBlank();
    // A footnote's definition cuts a paragraph short, as GitHub's reader has it.
    const bool footnote = IsFootnote(line.substr(cursor.FirstNonBlank())) && cursor.Indent(4) <= 3;
    if (!opened && paragraphOpen && !lineBlank && !footnote) {
        reading.role = LineRole::Continuation; // lazily, when not every container went on
        reading.textStart = cursor.at;
        reading.keep = reading.keep || StartsHtmlForNewerReaders(line.substr(cursor.FirstNonBlank()));
        lastCells_ = CellsOf(line.substr(cursor.at));
        return reading;
    }
    if (!opened && !lineBlank && leaf_ == Leaf::Table && allMatched) {
        return reading; // one more row
    }
    if (!opened && (!lineBlank || !allMatched)) {
        Truncate(matched);
    }
    if (lineBlank) {
        leaf_ = Leaf::None;
        return reading;
    }
    StartParagraph(line, cursor, matched, opened, reading);
    return reading;
}

void BlockScanner::StartParagraph(std::string_view line, const Cursor& cursor, std::size_t matched,
                                  bool opened, LineReading& reading) {
    startContent_.clear();
    for (std::size_t i = 0; i < containers_.size(); ++i) {
        // An outer container holds the next one whatever becomes of the paragraph.
        startContent_.emplace_back(containers_[i].id,
                                   i + 1 < containers_.size() || (i < matched && containers_[i].hasContent));
        containers_[i].hasContent = true;
    }
    blankStopsKnown_ = false;
    leaf_ = Leaf::Paragraph;
    reading.role = LineRole::ParagraphStart;
    reading.textStart = cursor.at;
    std::string_view first = line.substr(cursor.FirstNonBlank());
    reading.keep = reading.keep || IsFootnote(first) || StartsHtmlForNewerReaders(first);
    // GitHub's reader takes a task box off a list item's first line before it looks for a table there.
    if (opened && !containers_.back().quote &&
        (first.starts_with("[ ] ") || first.starts_with("[x] ") || first.starts_with("[X] "))) {
        first.remove_prefix(4);
    }
    lastCells_ = CellsOf(first);
    // Further lines get the columns every container needs, in spaces: a list marker or a tab there
    // could read differently once the first line's text is not beside it.
    for (std::size_t i = 0; i < containers_.size(); ++i) {
        if (!containers_[i].quote) {
            reading.continuation.append(static_cast<std::size_t>(containers_[i].indent), ' ');
        } else if (containers_[i].lazy && containers_.size() == 1) {
            // A block quote right after a paragraph's line is that paragraph's text to pandoc and
            // Python-Markdown, which want a blank line before one: a ">" put on a new line would show
            // there, and a lazy line goes on in CommonMark's block quote as well (where it is the only
            // container: inside others, a lazy line may be read as theirs).
            reading.lazy = true;
        } else {
            // The blanks before a ">" too: a definition list's reader may count them.
            reading.continuation.append(static_cast<std::size_t>(containers_[i].before), ' ');
            reading.continuation += containers_[i].spaced || i + 1 < containers_.size() ? "> " : ">";
        }
    }
    // Every new line would start with this: past a length no real document nests to, the paragraph
    // stays as it is, so that a result never outgrows its input by more than short prefixes and line ends.
    if (reading.continuation.size() > kLongestContinuation) {
        reading.keep = true;
        reading.continuation.clear();
    }
}

std::size_t BlockScanner::MatchContainers(Cursor& cursor) {
    std::size_t matched = 0;
    while (matched < containers_.size() && !cursor.RestBlank() && Continues(cursor, containers_[matched])) {
        ++matched;
    }
    blank_ = cursor.RestBlank();
    return blank_ ? BlankLineReach(matched) : matched;
}

bool BlockScanner::OpensOnATaskBoxAlone(const Cursor& cursor, std::size_t matched) {
    // GitHub's reader takes a task box off a list item whose marker starts its line (no quote marker and
    // no other item's marker before it), and reads it as an item that starts with a blank line: the
    // lines after it go on in the item only when indented, and a blank line ends it.
    if (containers_.size() != matched + 1 || containers_.back().quote ||
        std::any_of(containers_.begin(), containers_.end() - 1, [](const Container& c) { return c.quote; })) {
        return false;
    }
    const std::string_view rest = cursor.Rest();
    const bool box = rest.starts_with("[ ]") || rest.starts_with("[x]") || rest.starts_with("[X]");
    if (!box || rest.size() < 4 || !IsBlank(rest[3]) || !IsBlankText(rest.substr(3))) {
        return false;
    }
    containers_.back().hasContent = false;
    blankStopsKnown_ = false;
    leaf_ = Leaf::None;
    return true;
}

void BlockScanner::Truncate(std::size_t size) {
    containers_.resize(std::min(size, containers_.size()));
    while (!blankStops_.empty() && blankStops_.back() >= containers_.size()) {
        blankStops_.pop_back();
    }
}

void BlockScanner::Push(const Container& container) {
    if (container.quote || !container.hasContent) {
        blankStops_.push_back(containers_.size());
    }
    containers_.push_back(container);
}

std::size_t BlockScanner::BlankLineReach(std::size_t from) {
    if (!blankStopsKnown_) {
        blankStops_.clear();
        for (std::size_t i = 0; i < containers_.size(); ++i) {
            if (containers_[i].quote || !containers_[i].hasContent) {
                blankStops_.push_back(i);
            }
        }
        blankStopsKnown_ = true;
    }
    const auto stop = std::lower_bound(blankStops_.begin(), blankStops_.end(), from);
    return stop == blankStops_.end() ? containers_.size() : *stop;
}

} // namespace brantlewick::markdown
