// SPDX-License-Identifier: GPL-3.0-or-later
// The LaTeX rules for re-breaking a paragraph's prose: math, verbatim, comments and the arguments of
// commands that are not prose are shielded, a line ending in "\\", "\newline" or a comment keeps its line
// end, and the prose arguments of "\emph", "\footnote" and their kin are read as the text around them.
#pragma once

#include "prose/ProseSyntax.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace brantlewick::latex {

class LatexSyntax final : public prose::ProseSyntax {
public:
    prose::Marks& Read(std::string_view text) override;
    bool KeepsLineEnd(std::string_view before, std::string_view after, bool alone) const override;
    bool MayCut(std::string_view /*line*/) const override { return true; }
    bool MayStartLine(std::string_view next) const override;
    void Trim() override;

private:
    struct Command {
        std::size_t at;
        std::size_t nameEnd;
        bool prose; // its braced argument is prose
    };

    // Reads the command at `at`: verbatim, inline math and "\" are shielded at once, the others kept for
    // their arguments. Returns where reading goes on.
    std::size_t ReadCommand(std::string_view text, std::size_t at);
    // Where the "}" of the "{" at `open` is, or npos.
    std::size_t Closing(std::size_t open) const;
    // Past the arguments starting at `end`; `noBracketEnd`: no "]" is left to find.
    std::size_t ArgumentsEnd(std::string_view text, std::size_t end, bool& noBracketEnd) const;
    // Shields each command's arguments that are not prose, and hides the marks around those that are.
    void ReadArguments(std::string_view text);

    prose::Marks marks_;
    // Room the reading reuses from one paragraph to the next.
    std::vector<Command> commands_;
    std::vector<std::size_t> open_;                          // "{" not yet closed
    std::vector<std::pair<std::size_t, std::size_t>> pairs_; // each "{" with its "}"
};

} // namespace brantlewick::latex
