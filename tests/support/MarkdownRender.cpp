// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering Markdown with cmark-gfm, the reader GitHub uses, with its extensions.
#include "MarkdownRender.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <cstdlib>
#include <memory>

namespace brantlewick::testing {

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
    for (const char* p = html; *p != '\0'; ++p) {
        const bool white = *p == ' ' || *p == '\n' || *p == '\t' || *p == '\r';
        if (!white) {
            collapsed += *p;
        } else if (collapsed.empty() || collapsed.back() != ' ') {
            collapsed += ' ';
        }
    }
    std::free(html);
    cmark_node_free(document);
    return collapsed;
}

} // namespace brantlewick::testing
