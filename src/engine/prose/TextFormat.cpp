// SPDX-License-Identifier: GPL-3.0-or-later
// The text formats' names, and the one a file's name suggests.
#include "brantlewick/engine/Conversion.h"

#include "brantlewick/engine/AsciiCase.h"

#include <algorithm>
#include <array>

namespace brantlewick {

namespace {

constexpr std::array<std::string_view, 5> kFormatNames = {"plain", "markdown", "asciidoc", "rst", "latex"};

struct Extension {
    std::string_view name;
    TextFormat format;
};

// A LaTeX style or class file (.sty, .cls) is code, and a bibliography (.bib) is data: none is here.
constexpr std::array<Extension, 11> kExtensions = {{
    {"md", TextFormat::Markdown},
    {"markdown", TextFormat::Markdown},
    {"mdown", TextFormat::Markdown},
    {"mkd", TextFormat::Markdown},
    {"adoc", TextFormat::AsciiDoc},
    {"asciidoc", TextFormat::AsciiDoc},
    {"asc", TextFormat::AsciiDoc},
    {"rst", TextFormat::ReStructuredText},
    {"rest", TextFormat::ReStructuredText},
    {"tex", TextFormat::LaTeX},
    {"ltx", TextFormat::LaTeX},
}};

bool EqualsFolded(std::string_view text, std::string_view lower) {
    return std::equal(text.begin(), text.end(), lower.begin(), lower.end(),
                      [](char a, char b) { return FoldAscii(a) == b; });
}

} // namespace

std::optional<TextFormat> TextFormatFromName(std::string_view name) {
    for (std::size_t i = 0; i < kFormatNames.size(); ++i) {
        if (EqualsFolded(name, kFormatNames[i])) {
            return static_cast<TextFormat>(i);
        }
    }
    return std::nullopt;
}

std::string_view TextFormatName(TextFormat format) {
    return kFormatNames.at(static_cast<std::size_t>(format));
}

TextFormat TextFormatOfFile(std::string_view path) {
    // Letter case is ignored: README.MD is common where files come from systems that ignore it, and
    // nobody names a plain text file *.MD.
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) {
        return TextFormat::Plain;
    }
    const std::string_view extension = name.substr(dot + 1);
    for (const Extension& known : kExtensions) {
        if (EqualsFolded(extension, known.name)) {
            return known.format;
        }
    }
    return TextFormat::Plain;
}

} // namespace brantlewick
