// SPDX-License-Identifier: GPL-3.0-or-later
// Lines that the flavours Markdown is written in read as structure where CommonMark reads paragraph
// text: GitHub alerts, definition lists, colon fences and their options, Liquid and Hugo tags, attribute
// lines, admonitions and tabs, display math, MDX imports and components, and the like.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brantlewick::markdown {

// The lines after an opening line up to the one that ends them, passed through as they are: the code of
// a Liquid "highlight", display math, a Hugo shortcode's inner text, a tag written over several lines.
struct FlavourBody {
    enum class End : std::uint8_t {
        None,
        Text,      // a line that holds `name`
        LiquidTag, // a "{% name %}" tag ("endraw")
        HugoTag,   // a "{{< name >}}" or "{{% name %}}" shortcode ("/note")
    };
    End end = End::None;
    std::string name;
};

struct FlavourLine {
    enum class Kind : std::uint8_t {
        Prose,
        Fixed,      // kept whole on a line of its own: never joined to another, never cut
        Definition, // a definition's ": " or "~ ": never joined to the term before; its text is prose
    };
    Kind kind = Kind::Prose;
    bool holdsRest = false;     // an MDX import or export: the paragraph's further lines belong to it
    bool optionsFollow = false; // a "///" block: the indented lines right after it are its options
    FlavourBody body;
};

// Reads a line of paragraph text: `text` is what follows its block quote markers and list indentation,
// its own leading blanks included.
FlavourLine ReadFlavourLine(std::string_view text);

// Whether `line` ends `body`.
bool EndsBody(std::string_view line, const FlavourBody& body);

} // namespace brantlewick::markdown
