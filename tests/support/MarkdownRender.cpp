// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering Markdown with cmark-gfm, the reader GitHub uses, with its extensions.
#include "MarkdownRender.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace brantlewick::testing {

namespace {

char32_t Decode(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes.empty() ? 0 : bytes[0]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (lead < 0x80 || bytes.size() < length) {
        return lead;
    }
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        c = (c << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
    }
    return c;
}

char32_t FirstCharacter(const char* p) {
    return Decode(std::string_view(p, std::min<std::size_t>(4, std::strlen(p))));
}

char32_t LastCharacter(std::string_view text) {
    std::size_t start = text.empty() ? 0 : text.size() - 1;
    while (start > 0 && text.size() - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
        --start;
    }
    return Decode(text.substr(start));
}

// Han, kana, CJK punctuation and full-width forms (Korean, written with spaces, aside).
bool ShowsAsNothing(char32_t c) {
    return (c >= 0x2E80 && c < 0x3130) || (c >= 0x3190 && c < 0xA000) || (c >= 0xF900 && c < 0xFB00) ||
           (c >= 0xFE30 && c < 0xFE50) || (c >= 0xFF00 && c < 0xFFF0) || (c >= 0x20000 && c < 0x40000);
}

} // namespace

std::string RenderCollapsed(std::string_view markdown) {
    static const bool registered = [] {
        cmark_gfm_core_extensions_ensure_registered();
        return true;
    }();
    (void)registered;
    const int options = CMARK_OPT_UNSAFE | CMARK_OPT_FOOTNOTES;
    const std::unique_ptr<cmark_parser, void (*)(cmark_parser*)> parser(cmark_parser_new(options),
                                                                        cmark_parser_free);
    for (const char* name : {"table", "strikethrough", "autolink", "tasklist"}) {
        cmark_parser_attach_syntax_extension(parser.get(), cmark_find_syntax_extension(name));
    }
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    cmark_node* document = cmark_parser_finish(parser.get());
    char* html = cmark_render_html(document, options, cmark_parser_get_syntax_extensions(parser.get()));
    std::string collapsed;
    for (const char* p = html; *p != '\0';) {
        const char* const white = p;
        while (*p == ' ' || *p == '\n' || *p == '\t' || *p == '\r') {
            ++p;
        }
        // A line end between two characters of the scripts written without spaces shows as nothing, as
        // browsers render it.
        const bool lineEnd = std::find(white, p, '\n') != p;
        if (p > white &&
            !(lineEnd && ShowsAsNothing(LastCharacter(collapsed)) && ShowsAsNothing(FirstCharacter(p)))) {
            collapsed += ' ';
        }
        while (*p != '\0' && *p != ' ' && *p != '\n' && *p != '\t' && *p != '\r') {
            collapsed += *p++;
        }
    }
    std::free(html);
    cmark_node_free(document);
    return collapsed;
}

} // namespace brantlewick::testing
