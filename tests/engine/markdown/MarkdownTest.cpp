// SPDX-License-Identifier: GPL-3.0-or-later
// The Markdown mode on literal documents: what is re-broken, how, and what stays as it is.
#include "Converting.h"
#include "Rows.h"
#include "markdown/MarkdownSyntax.h"

#include <gtest/gtest.h>

namespace brantlewick {
namespace {

constexpr LineBreaks kJoin = LineBreaks::Join;
constexpr LineBreaks kKeep = LineBreaks::Keep;

std::string Convert(std::string_view text, LineBreaks lines = kJoin, int enterCount = 1,
                    ConversionCounts* counts = nullptr) {
    ConversionOptions options = testing::SentenceModeOptions(TextFormat::Markdown, lines);
    options.enterCount = enterCount;
    return testing::ConvertExact(text, options, counts);
}

// A row without an output leaves its input as it is.
struct Case {
    const char* name;
    std::string_view in;
    std::string_view out = {};
    LineBreaks lines = kJoin;
    int enterCount = 1;

    std::string_view Out() const { return out.data() == nullptr ? in : out; }
};

TEST(Markdown, Documents) {
    const Case cases[] = {
        {"prose", "One. Two.\n", "One.\nTwo.\n"},
        {"wrapped lines joined", "Hello there. This is\none sentence.\n",
         "Hello there.\nThis is one sentence.\n"},
        {"CR LF kept", "Rain fell. Sun\r\nrose.\r\n", "Rain fell.\r\nSun rose.\r\n"},
        {"lone CR kept", "Rain fell. Sun\rrose.\r", "Rain fell.\rSun rose.\r"},
        {"last line without an end takes LF", "Rain fell. Sun rose.", "Rain fell.\nSun rose."},
        {"... or the line end the file used", "# T\r\n\r\nRain fell. Sun rose.",
         "# T\r\n\r\nRain fell.\r\nSun rose."},
        {"code span", "Run `it. Now` here. Then stop.\n", "Run `it. Now` here.\nThen stop.\n"},
        {"code span over a line end", "Use `it.\nNow` here. Then stop.\n",
         "Use `it.\nNow` here.\nThen stop.\n"},
        {"a line that starts with a link", "[Link](/u) here. Then more.\n", "[Link](/u) here.\nThen more.\n"},
        {"link text", "See [the end. Then](u) now. Next one.\n", "See [the end. Then](u) now.\nNext one.\n"},
        {"link title, a new line indented as the line it was cut from",
         "See [x](/u \"The end. Then\n more\"). Next one.\n",
         "See [x](/u \"The end. Then\n more\").\n Next one.\n"},
        // A line end inside emphasis reads as the space it replaces, for every reader.
        {"sentences inside emphasis", "*Rain fell. Sun rose.* Wind blew.\n",
         "*Rain fell.\nSun rose.*\nWind blew.\n"},
        {"sentences inside strong emphasis", "**Rain fell. Sun rose.**\n", "**Rain fell.\nSun rose.**\n"},
        {"an emphasis closer before a letter that is no ASCII", "*Rain fell. Sun rose.*日本\n",
         "*Rain fell.\nSun rose.*日本\n"},
        // The sentence rules read a code span as a capitalised word.
        {"a sentence that starts with a code span", "`git` is fast. `ls` lists.\n",
         "`git` is fast.\n`ls` lists.\n"},
        {"a code span after an abbreviation", "Use e.g. `foo` here.\n"},
        {"an abbreviation after a code span", "Use `x` e.g. Then go.\n"},
        {"a sentence end inside a link's destination in angle brackets",
         "See [the docs](<docs/the end. Next.html>) now. Then stop.\n",
         "See [the docs](<docs/the end. Next.html>) now.\nThen stop.\n"},
        {"an autolink ending in a full stop", "Go to <https://x.y/end.> Next one.\n",
         "Go to <https://x.y/end.>\nNext one.\n"},
        {"emphasis that ends with the sentence", "It is *done.* Next one.\n", "It is *done.*\nNext one.\n"},
        {"hidden markup after a period, small letters after it", "It is *done.* and [the page.](x) so.\n"},
        {"list item", "- Rain fell. Sun rose.\n", "- Rain fell.\n  Sun rose.\n"},
        {"ordered list item", "10. Rain fell. Sun rose.\n", "10. Rain fell.\n    Sun rose.\n"},
        {"ordered list item that starts empty", "1.\n   Rain fell. Sun rose.\n",
         "1.\n   Rain fell.\n   Sun rose.\n"},
        {"block quote", "> Rain fell. Sun rose.\n", "> Rain fell.\n> Sun rose.\n"},
        {"block quote without a space", ">Rain fell. Sun rose.\n", ">Rain fell.\n>Sun rose.\n"},
        {"list in a quote", "> - Rain fell. Sun rose.\n", "> - Rain fell.\n>   Sun rose.\n"},
        {"list marker beside the quote marker", ">- Rain fell. Sun rose.\n",
         ">- Rain fell.\n>   Sun rose.\n"},
        {"tab after the list marker", "-\tRain fell. Sun rose.\n", "-\tRain fell.\n    Sun rose.\n"},
        {"lazy line in a quote", "> Rain fell. Sun\nrose. Wind blew.\n",
         "> Rain fell.\n> Sun rose.\n> Wind blew.\n"},
        {"two spaces: a hard break", "Rain fell.  \nSun rose. Wind blew.\n",
         "Rain fell.  \nSun rose.\nWind blew.\n"},
        {"backslash: a hard break", "Rain fell.\\\nSun rose. Wind blew.\n",
         "Rain fell.\\\nSun rose.\nWind blew.\n"},
        {"no list item made", "It ends. - Not a list.\n"},
        {"no numbered item made, and the number stays with its sentence", "It ends. 1. Not a list.\n"},
        {"no heading made", "It ends. # Not a heading.\n"},
        {"no quote made", "It ends. > Not a quote.\n"},
        {"no underline made", "It ends. === Not a line.\n"},
        {"no fence made", "It ends. ``` Not code.\n"},
        {"no HTML made", "It ends. <div> Not HTML.\n"},
        {"no table row made", "It ends. | Not a row.\n"},
        {"no footnote made", "It ends. [^1]: Not a note.\n"},
        {"no fence made of a line's start", "``` `x` rain fell. Sun rose.\n"},
        // A task box is one only with text after it on its line (the sentence rules put a break before a
        // numbered item in running text, here after the box), and it is ticked when an "[x]" follows
        // anywhere on its line.
        {"a task box keeps its line", "* [ ] 1\\. **Go:**\n* [ ] 2\\. **Send:**\n"},
        {"a list in running text does not go on in the next paragraph",
         "Bring 1. tents [^. Food.\n\nWe met at gate 2. It was late.\n",
         "Bring 1. tents [^. Food.\n\nWe met at gate 2.\nIt was late.\n"},
        {"a line of list markers and a box is not cut before the box", "Rain\n3. 2. [X] Sun rose.\n"},
        {"a lone bracket is not closed into a task box by the next line", "- [\n]\nRain fell.\n",
         "- [\n] Rain fell.\n"},
        {"the lines after a box with only blanks after it are a heading of their own",
         "- [x] \nRain fell. Sun rose.\n===\n"},
        // GitHub's reader takes the box off and reads an item that starts with a blank line, so the next
        // line starts a paragraph of its own, in which "     >" is text, not a quote in the item; other
        // readers may take it for one, so that line stays whole.
        {"a task box alone ends its item", "- [x] \nRain fell. Sun rose.\n     > Wind blew. Snow fell.\n",
         "- [x] \nRain fell.\nSun rose.\n     > Wind blew. Snow fell.\n"},
        {"a box alone on its line is not joined into a task box", "- [X]\nRain fell. Sun rose.\n",
         "- [X]\nRain fell.\nSun rose.\n"},
        {"a task box keeps its line whole", "- [ ] Rain fell. Sun [x] rose.\n  Wind. Blew.\n",
         "- [ ] Rain fell. Sun [x] rose.\n  Wind.\n  Blew.\n"},
        // Joined to the next line, a lone "**" would make a thematic break, a lone "1." a list item.
        {"no thematic break made by a join", "**\n*\n"},
        {"no list item made by a join", "Rain fell.  \n1.\nSun rose.\n"},
        {"setext heading", "Rain fell. Sun rose\n===\n"},
        {"setext heading over lines", "Rain fell. Sun\nrose. Wind blew\n---\n"},
        {"table of one column, its row of dashes with a form feed", "Rain fell. Sun\n-\f\nWind. Blew.\n"},
        {"table", "| Rain fell. Sun rose | x |\n|---|---|\n| Wind blew. Snow fell | y |\n"},
        {"front matter", "---\ntitle: Rain fell. Sun rose\n---\n\nWind blew. Snow fell.\n",
         "---\ntitle: Rain fell. Sun rose\n---\n\nWind blew.\nSnow fell.\n"},
        {"link definitions", "[a]: /u\nRain fell. Sun rose.\n"},
        {"no link definition without its bracket", "Rain]: fell. Sun rose.\n", "Rain]: fell.\nSun rose.\n"},
        {"link definitions after a task box", "- [x] [a]: /u \"Rain fell. Sun rose\"\n"},
        {"fenced code", "```\nRain fell. Sun rose.\n```\n"},
        {"indented code", "    Rain fell. Sun rose.\n"},
        {"HTML block", "<div>\nRain fell. Sun rose.\n</div>\n"},
        {"HTML block whose tag name ends in a form feed",
         "Rain fell. Sun rose.\n<dt\f\nWind blew. Snow fell.\n",
         "Rain fell.\nSun rose.\n<dt\f\nWind blew. Snow fell.\n"},
        {"processing instruction, to the line that ends it", "<?x\nRain fell. Sun rose.\n?>\nWind. Snow.\n",
         "<?x\nRain fell. Sun rose.\n?>\nWind.\nSnow.\n"},
        {"HTML block that a list's tag starts", "Rain fell. Sun rose.\n<ul\nWind blew. Snow fell.\n",
         "Rain fell.\nSun rose.\n<ul\nWind blew. Snow fell.\n"},
        // An HTML block for newer CommonMark readers, paragraph text for GitHub's.
        {"the search tag", "Rain fell. Sun rose.\n</SEARCH>\nWind blew.\n"},
        {"a declaration in small letters", "Rain fell. Sun rose.\n<!d\nWind blew.\n"},
        {"... under a footnote marker over a line end", "Rain fell. Sun\n[^\n<!d] rose.\n"},
        {"a declaration in capitals", "Rain fell. Sun rose.\n<!D\nWind blew. Snow fell.\n",
         "Rain fell.\nSun rose.\n<!D\nWind blew. Snow fell.\n"},
        {"math", "Let $x. Then$ hold. Next one.\n", "Let $x. Then$ hold.\nNext one.\n"},
        {"prices are no math", "It costs $5. Then it costs $6.\n", "It costs $5.\nThen it costs $6.\n"},
        {"autolink", "Mail <a@b.c>. Next one.\n", "Mail <a@b.c>.\nNext one.\n"},
        {"inline HTML", "A <b title=\"The end. Then\">b</b> here. Next one.\n",
         "A <b title=\"The end. Then\">b</b> here.\nNext one.\n"},
        // GitHub's reader loses text of such a marker, more or less depending on the bytes before it.
        {"footnote marker over a line end", "Rain fell. Sun [^a\nb] rose.\n"},
        // GitHub's reader finds such markers by their brackets alone, whatever our reading sees inside.
        {"footnote marker over a line end, its end hidden in math", "Rain [^[]\n$]$ fell. Sun rose.\n"},
        {"footnote marker over a line end, its end after brackets in a link's destination",
         "Rain [^\n![]([\x01)] fell. Sun rose.\n"},
        {"footnote marker over a line end, a bracket in a link's destination before its end",
         "Rain [^[]\n![]([\x01)] fell. Sun rose.\n"},
        {"footnote marker after a \"!\", over a line end", "Rain ![^[]\n] fell. Sun rose.\n"},
        {"footnote marker with an escaped caret, over a line end", "Rain [\\^a\nb] fell. Sun rose.\n"},
        {"... with a caret by number", "Rain [&#94;a\nb] fell. Sun rose.\n"},
        {"... with a caret by name", "Rain [&Hat;a\nb] fell. Sun rose.\n"},
        {"no break inside a footnote marker that math hides", "Rain $[^$. Sun] rose. Wind blew.\n",
         "Rain $[^$. Sun] rose.\nWind blew.\n"},
        {"footnote marker", "It is true.[^1] Next one.\n", "It is true.[^1]\nNext one.\n"},
        {"footnote marker, then a link", "It is true.[^1] Next one. See [a](u).\n",
         "It is true.[^1]\nNext one.\nSee [a](u).\n"},
        {"footnote marker, a code span before a \"]\"", "[^``w`]`. Then`]`\n"},
        // Between two such characters readers show a line end as nothing.
        {"full-width ends without a space", "文です。次の文！本当？はい。\n",
         "文です。\n次の文！\n本当？\nはい。\n"},
        {"... and a closing quote after one", "「雨です。」次の文。\n", "「雨です。」\n次の文。\n"},
        {"... but not before a Latin letter", "文です。Next one.\n"},
        {"... nor beside markup", "文です。**次**の文。\n"},
        {"... nor in Korean, written with spaces", "비가 온다。내일 갠다。\n"},
        {"... nor before its first letter, U+1100", "文です。\xE1\x84\x80다。\n"},
        {"no space put between wide characters", "雨が降る\n日が出る。\n"},
        {"byte order mark",
         "\xEF\xBB\xBF"
         "Rain fell. Sun rose.\n",
         "\xEF\xBB\xBF"
         "Rain fell.\nSun rose.\n"},
        // A code fence whose info string is no UTF-8 is no fence to CommonMark readers: past such a line,
        // the structure is unsure, and nothing more is changed.
        {"not UTF-8", "Rain fell. Sun rose.\n\n```\xED\nWind blew. Snow fell.\n```\n\nSky. Sea.\n",
         "Rain fell.\nSun rose.\n\n```\xED\nWind blew. Snow fell.\n```\n\nSky. Sea.\n"},
        {"kept lines", "Rain fell. Sun\nrose. Wind blew.\n", "Rain fell.\nSun\nrose.\nWind blew.\n", kKeep},
        // A break after the next item of a list in running text must not undo the list on a second run.
        {"a list's next item before a kept line end", "n 1. 3\n0. 2.\nA\n", "n 1. 3\n0. 2.\nA\n", kKeep},
        {"a list's next item after a line that a break started with \"I.\"", "d\n2. .\nI. 3. A\n",
         "d\n2. .\nI. 3. A\n", kKeep},
        {"a number after a label that a break put at the line start is still an item number",
         "e\n.\nII. 3. A\n", "e\n.\nII. 3. A\n", kKeep},
        {"... and after one that a boundary put there, with no break it could take", ". II. 1. A 2. A\n",
         ".\nII. 1. A 2.\nA\n", kKeep},
        {"no cut before a number with a mark, which a second run would read as an item", ". 1.~ 0. T\n",
         ". 1.~ 0. T\n", kKeep},
        {"... nor before one behind markup the rules do not read", ". ~0. 2. X\n", ". ~0. 2. X\n", kKeep},
        {"a cut before a decimal number", "Rain fell. 3.5 million came.\n",
         "Rain fell.\n3.5 million came.\n"},
        {"Enter count 0: lines joined, no breaks", "Rain fell. Sun\nrose.\n", "Rain fell. Sun rose.\n", kJoin,
         0},
        {"Enter count 3: one break, no empty line", "Rain fell. Sun rose.\n", "Rain fell.\nSun rose.\n",
         kJoin, 3},
        {"Reflow reads as Join", "Rain fell. Sun\nrose.\n\n\n\nWind.\n",
         "Rain fell.\nSun rose.\n\n\n\nWind.\n", LineBreaks::Reflow},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Convert(c.in, c.lines, c.enterCount), c.Out()) << c.name;
    }
}

// Lines that a flavour reads as structure stay whole on lines of their own (and the lines between a
// body's opening and end as they are); the prose around them is still one sentence a line, and a new
// line keeps the leading blanks of the line it was cut from.
TEST(Markdown, FlavourLines) {
    const Case cases[] = {
        {"GitHub alert", "> [!NOTE]\n> Back up first. Then update.\n",
         "> [!NOTE]\n> Back up first.\n> Then update.\n"},
        {"Obsidian callout", "> [!tip] Quick start\n> Open the menu. Pick a file.",
         "> [!tip] Quick start\n> Open the menu.\n> Pick a file."},
        {"definition", "Colour\n: The hue of a thing. It can change.\n",
         "Colour\n: The hue of a thing.\n  It can change.\n"},
        {"definition with a tilde, lines joined", "Colour\n~   The hue. It\n    can change.\n",
         "Colour\n~   The hue.\n    It can change.\n"},
        // markdown-it and MyST take a definition's marker however far it is indented.
        {"definition indented as code would be", "Colour\n    ~ The hue. It can change.\n",
         "Colour\n    ~ The hue.\n      It can change.\n"},
        {"definition after a tab, two terms", "Hue\nColour\n\t: The hue. It can change.\n",
         "Hue\nColour\n\t: The hue.\n\t  It can change.\n"},
        {"a lone tilde is no definition", "Colour\n~\nThe hue. It can change.\n",
         "Colour ~ The hue.\nIt can change.\n"},
        {"nor is a lone tilde that a join would make one", "~\n. T\n", "~\n.\nT\n"},
        {"option without a value", ":::{math}\n:nowrap:\nA cat. It sleeps.\n:::\n",
         ":::{math}\n:nowrap:\nA cat.\nIt sleeps.\n:::\n"},
        {"colon fence with options",
         ":::{figure} cat.png\n:width: 50%\n:name: fig-cat\nA cat. It sleeps.\n:::\n",
         ":::{figure} cat.png\n:width: 50%\n:name: fig-cat\nA cat.\nIt sleeps.\n:::\n"},
        {"colon fences", ":::tip\nSave often. It helps.\n:::\n\n::: {.callout-note}\nOne. Two.\n::::\n",
         ":::tip\nSave often.\nIt helps.\n:::\n\n::: {.callout-note}\nOne.\nTwo.\n::::\n"},
        {"Hugo shortcode with its inner text",
         "{{< code-toggle file=hugo >}}\n[params]\ncolor = 'red'\n{{< /code-toggle >}}\nRain. Sun.\n",
         "{{< code-toggle file=hugo >}}\n[params]\ncolor = 'red'\n{{< /code-toggle >}}\nRain.\nSun.\n"},
        {"Hugo shortcodes without inner text, and with Markdown",
         "{{< figure src=\"x\" >}}\nA cat. It sleeps.\n{{% note %}}\nRain. Sun.\n{{% /note %}}\n",
         "{{< figure src=\"x\" >}}\nA cat.\nIt sleeps.\n{{% note %}}\nRain.\nSun.\n{{% /note %}}\n"},
        {"Liquid tags in a list item",
         "1. Open the page.\n{% data reusables.open-settings %}\n{% data reusables.click-save %}\n1. Close "
         "it.\n"},
        {"Liquid code over a blank line",
         "{% highlight ruby %}\nx = 1. y\n\n  y = 2. Then\n{%- endhighlight -%}\nRain. Sun.\n",
         "{% highlight ruby %}\nx = 1. y\n\n  y = 2. Then\n{%- endhighlight -%}\nRain.\nSun.\n"},
        {"Liquid tag over lines", "{% include x.html\n   title=\"A. B\" %}\nRain. Sun.\n",
         "{% include x.html\n   title=\"A. B\" %}\nRain.\nSun.\n"},
        {"attribute lines", "{: .note}\nA note. A second.\n{ #id .wide }\n",
         "{: .note}\nA note.\nA second.\n{ #id .wide }\n"},
        {"a MyST role starts prose", "{ref}`x` is here. Then more.\n", "{ref}`x` is here.\nThen more.\n"},
        {"a new line keeps the blanks before a quote", "Term\n: One.\n\n  > Quote one. Quote two.\n",
         "Term\n: One.\n\n  > Quote one.\n  > Quote two.\n", kKeep},
        {"content tab", "=== \"Tab A\"\n    First tab. Still first.\n===! \"Tab B\"\n    Second. Tab.\n",
         "=== \"Tab A\"\n    First tab.\n    Still first.\n===! \"Tab B\"\n    Second.\n    Tab.\n"},
        {"admonitions", "!!! note \"A. B\"\n    One. Two.\n???+ tip\n    Three.\n",
         "!!! note \"A. B\"\n    One.\n    Two.\n???+ tip\n    Three.\n"},
        {"pymdownx block with options", "/// note | Title\n    type: x. Y\nBody one. Body two.\n///\n",
         "/// note | Title\n    type: x. Y\nBody one.\nBody two.\n///\n"},
        {"MDX imports and components",
         "import A from './a'\nimport {\n  B. C\n} from './b'\n\nIntro. Text.\n<Tabs>\nOne. Two.\n</Tabs>\n",
         "import A from './a'\nimport {\n  B. C\n} from "
         "'./b'\n\nIntro.\nText.\n<Tabs>\nOne.\nTwo.\n</Tabs>\n"},
        {"MyST comment, target and block break",
         "% editor. Note\nVisible. More.\n(my-target)=\n+++ x. Y\nText. Here.\n",
         "% editor. Note\nVisible.\nMore.\n(my-target)=\n+++ x. Y\nText.\nHere.\n"},
        {"a line that only ends like a target keeps both its line ends", "n\nx)=\nRain fell. Sun rose.\n",
         "n\nx)=\nRain fell.\nSun rose.\n"},
        {"nor is it cut, or a second run would join its first part", "n\n. Rain x)=\n"},
        {"a footnote marker left open takes no break: a line end in it would make a second run keep its "
         "paragraph as it is, and read the one before it differently",
         ". [\n\nA[^. A\n", ".\n[\n\nA[^. A\n", kJoin, 2},
        {"display math", "The roots are\n$$\nx = 1. Y\n$$\nand\n\\[\na. B\n\\]\n"},
        {"math environment", "\\begin{align}\na &= b. C\\\\\nc &= d\n\\end{align}\n"},
        {"a body that never ends in reach is prose", "$$ x\nRain. Sun.\n", "$$ x\nRain.\nSun.\n"},
        {"tables of contents", "[[toc]]\nRain. Sun.\n[TOC]\n", "[[toc]]\nRain.\nSun.\n[TOC]\n"},
        {"footnote continuation", "[^1]: Rain. Sun.\n    Wind. Snow.\n"},
        {"no cut makes a flavour's line",
         "Rain. {: .x} Sun. ::: x Snow. $$ x Wind. !!! x Fog. import {x} from 'y'\n"},
    };
    FOR_EACH_ROW(c, cases) {
        EXPECT_EQ(Convert(c.in, c.lines, c.enterCount), c.Out());
        EXPECT_EQ(Convert(c.Out(), c.lines, c.enterCount), c.Out());
    }
}

// A line longer than any the mode holds: it and everything after it go through as they are, whatever the
// pieces the text comes in.
TEST(Markdown, LongLine) {
    const std::string line(1024 * 1024 + 1, 'x');
    const std::string text = "Rain fell. Sun rose.\n\n" + line + "\n\nWind blew. Snow fell.\n";
    const std::string expected = "Rain fell.\nSun rose.\n\n" + line + "\n\nWind blew. Snow fell.\n";
    EXPECT_TRUE(Convert(text) == expected); // not EXPECT_EQ: it would print a megabyte
    Converter converter(testing::SentenceModeOptions(TextFormat::Markdown));
    std::string out;
    StringSink sink(out);
    for (std::size_t at = 0; at < text.size(); at += 4096) {
        converter.Feed(std::string_view(text).substr(at, 4096), sink);
    }
    converter.Finish(sink);
    sink.Close();
    EXPECT_TRUE(out == expected);
    EXPECT_EQ(converter.Counts().linesIn, 5U);
    EXPECT_EQ(converter.Counts().linesOut, 6U);
}

// A break may only go where the line it starts cannot start a block of its own (nor underline or head
// a table), whatever the sentence rules propose.
TEST(Markdown, LinesThatWouldStartABlock) {
    const std::pair<std::string_view, bool> cases[] = {
        {"> x", true},   {"| x", true},   {"# x", true},       {"#5 x", false},   {"- x", true},
        {"-5 x", false}, {"--|--", true}, {"-:", true},        {"** x", true},    {"**Bold**", false},
        {"+ x", true},   {"_ x", true},   {"__init__", false}, {"= x", true},     {"==x", false},
        {"``` x", true}, {"`` x", false}, {"~~~", true},       {"~~x~~", false},  {": x", true},
        {":-", true},    {":x", false},   {"<div>", true},     {"</p>", true},    {"<!--", true},
        {"<?x", true},   {"<3 x", false}, {"[^1]: x", true},   {"[a] x", false},  {"1. x", true},
        {"1) x", true},  {"1.", true},    {"1.5 x", false},    {"1\\. x", false}, {"", true},
    };
    for (const auto& [line, starts] : cases) {
        EXPECT_EQ(markdown::MayStartBlock(line), starts) << line;
    }
}

TEST(Markdown, Counts) {
    ConversionCounts counts;
    EXPECT_EQ(Convert("Rain fell. Sun\nrose. Wind blew.\n", kJoin, 1, &counts),
              "Rain fell.\nSun rose.\nWind blew.\n");
    EXPECT_EQ(counts.breaksInserted, 2U);
    EXPECT_EQ(counts.spacesDropped, 2U);
    EXPECT_EQ(counts.linesIn, 2U);
    EXPECT_EQ(counts.linesOut, 3U);
    // A last line without a line end counts once, whatever it is.
    EXPECT_EQ(Convert("Rain fell. Sun rose.\n\n# T", kJoin, 1, &counts), "Rain fell.\nSun rose.\n\n# T");
    EXPECT_EQ(counts.linesIn, 3U);
    EXPECT_EQ(counts.linesOut, 4U);
}

} // namespace
} // namespace brantlewick
