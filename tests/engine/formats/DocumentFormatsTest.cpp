// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for AsciiDoc, reStructuredText and LaTeX on literal documents: what is re-broken, and
// what stays as it is because a reader would read it differently once cut or joined.
#include "Converting.h"

#include <gtest/gtest.h>

#include <sstream>

namespace brantlewick {
namespace {

std::string Convert(std::string_view text, TextFormat format, LineBreaks lines) {
    return testing::ConvertExact(text, testing::SentenceModeOptions(format, lines));
}

// A row without an output leaves its input as it is.
struct Case {
    const char* what;
    std::string_view in;
    std::string_view out = {};
    LineBreaks lines = LineBreaks::Join;
};

void Check(TextFormat format, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const std::string once = Convert(c.in, format, c.lines);
        EXPECT_EQ(once, c.out.data() == nullptr ? c.in : c.out) << c.what;
        EXPECT_EQ(Convert(once, format, c.lines), once) << c.what << ": a second run changed it";
    }
}

TEST(DocumentFormats, AsciiDoc) {
    Check(TextFormat::AsciiDoc,
          {
              {"prose, the file's line end", "Rain fell. Sun\r\nrose.\r\n", "Rain fell.\r\nSun rose.\r\n"},
              {"list item", "* Rain fell. Sun rose.\n", "* Rain fell.\nSun rose.\n"},
              {"admonition label kept", "NOTE: Rain fell. Sun rose.\n", "NOTE: Rain fell.\nSun rose.\n"},
              {"formatting, monospace, macro", "Rain *fell. Sun* rose. See `a. B` and link:u[x. Y]. End.\n",
               "Rain *fell. Sun* rose.\nSee `a. B` and link:u[x. Y].\nEnd.\n"},
              {"hard break", "Rain fell +\nSun rose. Wind blew.\n", "Rain fell +\nSun rose.\nWind blew.\n"},
              {"a section title's marker alone is joined to no words", "=\nRain. Sun.\n##\nWind\n#\nAir.\n",
               "=\nRain.\nSun.\n##\nWind\n#\nAir.\n"},
              {"nor a bracket, whose words could make an attribute list", "=\n[\nx]\nRain. Sun.\n",
               "=\n[\nx] Rain.\nSun.\n"},
              {"comment line inside", "Rain fell. Sun\n// note. here\nrose. Wind blew.\n",
               "Rain fell.\nSun\n// note. here\nrose.\nWind blew.\n"},
              {"no list item made", "It ends. * Not a list. Then. - No. Or. 1. No.\n",
               "It ends. * Not a list.\nThen. - No.\nOr. 1. No.\n"},
              {"nor a marker alone, which a join makes an item", "It ends. A.\nB\n", "It ends. A. B\n"},
              {"a marker alone on its line is given no words", "*=\ns\n**\nA\n"},
              {"no comment, title, attribute line or block made", "A. // b. .C d. [e] f. ---- g.\n"},
              {"a one-line paragraph over a delimiter may be a title",
               "Rain fell. Sun rose\n-----\nx\n-----\n"},
              {"listing block", "[source]\n----\nRain fell. Sun rose.\n----\n"},
              {"a verse paragraph", "[verse]\nRain fell. Sun rose.\n"},
              {"sidebar content is prose", "****\nRain fell. Sun rose.\n****\n",
               "****\nRain fell.\nSun rose.\n****\n"},
              {"a sidebar styled as source", "[source]\n****\nRain fell. Sun rose.\n****\n"},
              {"header lines", "= T\nAnn Lee. Bob Ray.\n\nRain fell. Sun rose.\n",
               "= T\nAnn Lee. Bob Ray.\n\nRain fell.\nSun rose.\n"},
              {"hard breaks for the whole document", ":hardbreaks-option:\n\nRain fell. Sun rose.\n"},
              {"a paragraph a directive cuts", "ifdef::x[]\nRain fell. Sun rose.\nendif::[]\n"},
              {"literal paragraph", " Rain fell. Sun rose.\n"},
              {"table", "|===\n|Rain fell. Sun rose.\n|===\n"},
              {"a title-like term under an item's text", "* Rain fell. Sun rose.\n.Wind blew:: Snow.\n"},
              {"kept lines", "Rain fell. Sun\nrose.\n", "Rain fell.\nSun\nrose.\n", LineBreaks::Keep},
          });
}

TEST(DocumentFormats, ReStructuredText) {
    Check(
        TextFormat::ReStructuredText,
        {
            {"prose", "Rain fell. Sun rose.\n", "Rain fell.\nSun rose.\n"},
            {"list items, indented", "- Rain fell. Sun rose.\n- Wind blew. Snow fell.\n",
             "- Rain fell.\n  Sun rose.\n- Wind blew.\n  Snow fell.\n"},
            {"definition body", "Term\n   Rain fell. Sun rose.\n", "Term\n   Rain fell.\n   Sun rose.\n"},
            {"admonition body", ".. note::\n\n   Rain fell. Sun rose.\n",
             ".. note::\n\n   Rain fell.\n   Sun rose.\n"},
            {"code directive", ".. code-block:: c\n\n   Rain fell. Sun rose.\n"},
            {"directive options", ".. note::\n   :class: Rain. Sun.\n\n   Wind blew. Snow fell.\n",
             ".. note::\n   :class: Rain. Sun.\n\n   Wind blew.\n   Snow fell.\n"},
            {"literal block after \"::\"", "Rain fell. Sun rose::\n\n   Wind blew. Snow fell.\n",
             "Rain fell.\nSun rose::\n\n   Wind blew. Snow fell.\n"},
            {"section title", "Rain fell. Sun rose\n===================\n"},
            {"inline markup", "Rain *fell. Sun* rose. Use ``ls. Now`` here. See :ref:`one. Two` now. Wind.\n",
             "Rain *fell. Sun* rose.\nUse ``ls. Now`` here.\nSee :ref:`one. Two` now.\nWind.\n"},
            {"no list item, field or underline made",
             "It ends. - Not this. Or this. 1. No way. Nor :this: one. Nor. ===\n",
             "It ends. - Not this.\nOr this. 1. No way.\nNor :this: one.\nNor. ===\n"},
            {"a term's definition", "Rain fell. Sun\n  rose. Wind blew.\n",
             "Rain fell. Sun\n  rose.\n  Wind blew.\n"},
            {"a line less indented right after", "  Rain fell. Sun\nrose. Wind blew.\n"},
            {"comment", ".. Rain fell. Sun rose.\n   Wind blew. Snow fell.\n"},
            {"field list", ":a: Rain fell. Sun rose.\n"},
            {"a table's border under text", "Rain fell. Sun rose.\n=====  =====\nWind. Snow.\n"},
            {"an adornment or marks under two lines",
             "Rain fell. Sun\nrose.\n-----\nWind. Snow.\n\nA b. C\nd.\n=/== ===\nE.\n"},
            {"an item another list's item follows is a paragraph",
             "1. Rain fell. Sun rose.\n(a) Wind. Snow.\n"},
            {"no cut leaves marks alone on a line, which would not end with \"::\" before a quoted literal "
             "block",
             "x\n=. A::\n\n. D\n",
             {},
             LineBreaks::Keep},
            {"nor marks alone before it, with a joined line", "=*\n. Dog\n", "=* . Dog\n"},
            {"a line of its own that starts with a colon is neither joined, which could close a field's "
             "name, "
             "nor cut",
             ":.\ns: x. Sun.\n\n:a. Rain. Sun\nwind\n"},
            {"nor a word of marks alone, which a join gives words that a second run would cut before",
             "Rain. $\nSun\n", "Rain. $ Sun\n"},
            {"line block", "| Rain fell. Sun rose.\n"},
            {"simple table", "=====  =====\nRain.  Sun.\n\nA. B.  C.\n=====  =====\n\nWind. Snow.\n",
             "=====  =====\nRain.  Sun.\n\nA. B.  C.\n=====  =====\n\nWind.\nSnow.\n"},
        });
}

TEST(DocumentFormats, LaTeX) {
    Check(TextFormat::LaTeX,
          {
              {"prose", "Rain fell. Sun\nrose.\n", "Rain fell.\nSun rose.\n"},
              {"an environment's name cut short", "\\begin{\nRain fell. Sun rose.\n"},
              {"preamble",
               "\\documentclass{article}\n\\title{Rain. Sun.}\n\\begin{document}\nRain fell. Sun rose.\n",
               "\\documentclass{article}\n\\title{Rain. Sun.}\n\\begin{document}\nRain fell.\nSun rose.\n"},
              {"math, arguments, verbatim",
               "Rain $x. Y$ fell. See \\ref{sec. Two} now. Use \\verb|ls. Now| here. End.\n",
               "Rain $x. Y$ fell.\nSee \\ref{sec. Two} now.\nUse \\verb|ls. Now| here.\nEnd.\n"},
              {"prose argument", "Rain\\footnote{Sun rose. Wind blew.} fell. Snow fell.\n",
               "Rain\\footnote{Sun rose.\nWind blew.} fell.\nSnow fell.\n"},
              {"abbreviations with a tie or a control space", "See Fig.~3 and e.g.\\ this. End.\n",
               "See Fig.~3 and e.g.\\ this.\nEnd.\n"},
              {"a comment keeps its line end", "Rain fell. % note. here\nSun rose. Wind blew.\n",
               "Rain fell. % note. here\nSun rose.\nWind blew.\n"},
              {"a line ending in %", "Rain fell%\nSun rose. Wind blew.\n",
               "Rain fell%\nSun rose.\nWind blew.\n"},
              {"an unclosed \\verb keeps its line end", "See \\verb|ls\ng%\nSun.\n"},
              {"\\\\ keeps its line end", "Rain fell.\\\\\nSun rose. Wind blew.\n",
               "Rain fell.\\\\\nSun rose.\nWind blew.\n"},
              {"item text lines up", "\\begin{itemize}\n  \\item Rain fell. Sun rose.\n\\end{itemize}\n",
               "\\begin{itemize}\n  \\item Rain fell.\n        Sun rose.\n\\end{itemize}\n"},
              {"math environment", "\\begin{align}\na. B &= c. D\n\\end{align}\n"},
              {"an environment it does not know", "\\begin{tikzpicture}\nRain. Sun.\n\\end{tikzpicture}\n"},
              {"display math", "\\[\na. B\n\\]\nRain fell. Sun rose.\n",
               "\\[\na. B\n\\]\nRain fell.\nSun rose.\n"},
              {"no structure made", "It ends. \\section{Two} here. Then % more. Now\n",
               "It ends. \\section{Two} here.\nThen % more. Now\n"},
              {"after the document", "\\end{document}\nRain fell. Sun rose.\n"},
              {"a backslash alone on its line is a control space", "\\\n$\n:\n:"},
              {"the same before prose", "\\\nRain fell. Sun\nrose.\n", "\\\nRain fell.\nSun rose.\n"},
          });
}

TEST(DocumentFormats, FormatOfFile) {
    using enum TextFormat;
    const std::pair<TextFormat, const char*> cases[] = {
        {Markdown, "README.md notes.MD a/b.markdown x.Mdown x.mkd"},
        {AsciiDoc, "a.adoc a.ASCIIDOC a.Asc"},
        {ReStructuredText, "a.rst a.REST"},
        {LaTeX, "a.tex a.LTX"},
        {Plain, "x.txt x.md.txt x.mdx dir.md/notes .md docs/.md md a.sty a.cls a.bib a.texi a.rst.txt"},
    };
    for (const auto& [format, paths] : cases) {
        std::istringstream names(paths);
        for (std::string path; names >> path;) {
            EXPECT_EQ(TextFormatOfFile(path), format) << path;
        }
    }
    EXPECT_EQ(TextFormatOfFile(""), Plain);
    EXPECT_EQ(TextFormatFromName("AsciiDoc"), AsciiDoc);
    EXPECT_EQ(TextFormatFromName("RST"), ReStructuredText);
    EXPECT_EQ(TextFormatName(LaTeX), "latex");
}

} // namespace
} // namespace brantlewick
