// SPDX-License-Identifier: GPL-3.0-or-later
// The Markdown rules for re-breaking a paragraph's prose: what its inline markup shields, which line ends
// stay (hard breaks, task boxes) and which lines a break must not start.
#pragma once

#include "markdown/Inlines.h"
#include "prose/ProseSyntax.h"

#include <string>
#include <string_view>

namespace brantlewick::markdown {

class MarkdownSyntax final : public prose::ProseSyntax {
public:
    prose::Marks& Read(std::string_view text) override;
    bool KeepsLineEnd(std::string_view before, std::string_view after, bool alone) const override;
    bool MayCut(std::string_view line) const override;
    bool MayStartLine(std::string_view next) const override;
    bool MayBreak(std::size_t from, std::size_t to) const override;
    std::string Hang(std::string_view line) const override;
    void Trim() override { marks_ = InlineMarks(); }

private:
    // Whether a line may end right before `at`: pandoc reads a "*" or "_" before a line end as one that
    // may open emphasis, so none may end a line but where it closes emphasis.
    bool MayEndLineAt(std::size_t at) const;

    InlineMarks marks_;
    std::string_view text_; // what Read() read
};

// Whether a line starting with `line` could start a block that would cut a paragraph short (a list
// item, a quote, a heading, a fence, HTML, a table's delimiter row, a footnote) or underline it.
bool MayStartBlock(std::string_view line);

} // namespace brantlewick::markdown
