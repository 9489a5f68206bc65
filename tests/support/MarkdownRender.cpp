// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering Markdown with cmark-gfm, the reader GitHub uses, with its extensions.
#include "MarkdownRender.h"

#include "brantlewick/base/Utf8.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>
#include <md4c-html.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace brantlewick::testing {

namespace {

char32_t FirstCharacter(std::string_view text) {
    return utf8::DecodeAt(text.data(), text.data() + text.size()).code;
}

char32_t LastCharacter(std::string_view text) {
    return utf8::DecodeBefore(text.data(), text.data() + text.size()).code;
}

// Han, kana, CJK punctuation and full-width forms (Korean, written with spaces, aside).
bool ShowsAsNothing(char32_t c) {
    return (c >= 0x2E80 && c < 0x3130) || (c >= 0x3190 && c < 0xA000) || (c >= 0xF900 && c < 0xFB00) ||
           (c >= 0xFE30 && c < 0xFE50) || (c >= 0xFF00 && c < 0xFFF0) || (c >= 0x20000 && c < 0x40000);
}

using Parser = std::unique_ptr<cmark_parser, void (*)(cmark_parser*)>;

Parser GitHubParser(int options) {
    static const bool registered = [] {
        cmark_gfm_core_extensions_ensure_registered();
        return true;
    }();
    (void)registered;
    Parser parser(cmark_parser_new(options), cmark_parser_free);
    for (const char* name : {"table", "strikethrough", "autolink", "tasklist"}) {
        cmark_parser_attach_syntax_extension(parser.get(), cmark_find_syntax_extension(name));
    }
    return parser;
}

} // namespace

std::vector<std::pair<int, int>> ParagraphLines(std::string_view markdown,
                                                std::vector<std::pair<int, int>>& inFootnotes) {
    const Parser parser = GitHubParser(CMARK_OPT_FOOTNOTES | CMARK_OPT_SOURCEPOS);
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    cmark_node* document = cmark_parser_finish(parser.get());
    std::vector<std::pair<int, int>> lines;
    cmark_iter* iter = cmark_iter_new(document);
    for (cmark_event_type event = cmark_iter_next(iter); event != CMARK_EVENT_DONE;
         event = cmark_iter_next(iter)) {
        cmark_node* node = cmark_iter_get_node(iter);
        if (event != CMARK_EVENT_ENTER || cmark_node_get_type(node) != CMARK_NODE_PARAGRAPH) {
            continue;
        }
        bool inFootnote = false;
        for (cmark_node* up = cmark_node_parent(node); up != nullptr; up = cmark_node_parent(up)) {
            inFootnote = inFootnote || cmark_node_get_type(up) == CMARK_NODE_FOOTNOTE_DEFINITION;
        }
        (inFootnote ? inFootnotes : lines)
            .emplace_back(cmark_node_get_start_line(node), cmark_node_get_end_line(node));
    }
    cmark_iter_free(iter);
    cmark_node_free(document);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string RenderCollapsed(std::string_view markdown) {
    const int options = CMARK_OPT_UNSAFE | CMARK_OPT_FOOTNOTES;
    const Parser parser = GitHubParser(options);
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    cmark_node* document = cmark_parser_finish(parser.get());
    char* html = cmark_render_html(document, options, cmark_parser_get_syntax_extensions(parser.get()));
    std::string collapsed = Collapsed(html);
    std::free(html);
    cmark_node_free(document);
    return collapsed;
}

std::string RenderMd4cCollapsed(std::string_view markdown) {
    std::string html;
    const auto append = [](const MD_CHAR* text, MD_SIZE size, void* to) {
        static_cast<std::string*>(to)->append(text, size);
    };
    md_html(markdown.data(), static_cast<MD_SIZE>(markdown.size()), append, &html,
            MD_DIALECT_GITHUB | MD_FLAG_LATEXMATHSPANS | MD_FLAG_WIKILINKS, 0);
    return Collapsed(html);
}

std::string Collapsed(std::string_view html) {
    // A no-break space is white space too: pandoc puts one after an abbreviation that a space follows,
    // not where a line end follows.
    const auto whiteAt = [html](std::size_t at) -> std::size_t {
        const char c = html[at];
        return c == ' ' || c == '\n' || c == '\t' || c == '\r' ? 1 : html.substr(at, 2) == "\xC2\xA0" ? 2 : 0;
    };
    std::string collapsed;
    for (std::size_t at = 0; at < html.size();) {
        const std::size_t white = at;
        bool lineEnd = false;
        for (std::size_t n = whiteAt(at); n > 0; n = at < html.size() ? whiteAt(at) : 0) {
            lineEnd = lineEnd || html[at] == '\n';
            at += n;
        }
        // A line end between two characters of the scripts written without spaces shows as nothing, as
        // browsers render it.
        if (at > white && !(lineEnd && ShowsAsNothing(LastCharacter(collapsed)) &&
                            ShowsAsNothing(FirstCharacter(html.substr(std::min(at, html.size()), 4))))) {
            collapsed += ' ';
        }
        while (at < html.size() && whiteAt(at) == 0) {
            collapsed += html[at++];
        }
    }
    return collapsed;
}

} // namespace brantlewick::testing
