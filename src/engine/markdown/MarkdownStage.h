// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for Markdown: paragraphs as the block scanner finds them, their prose re-broken by
// Markdown's rules.
#pragma once

#include "markdown/BlockScanner.h"
#include "markdown/MarkdownSyntax.h"
#include "prose/ProseStage.h"

namespace brantlewick::markdown {

class MarkdownStage final : public prose::ProseStage {
public:
    using ProseStage::ProseStage;

private:
    LineReading ReadLine(std::string_view line) override { return scanner_.Read(line); }
    std::unique_ptr<prose::ProseSyntax> NewSyntax() const override {
        return std::make_unique<MarkdownSyntax>();
    }
    void Restart() override { scanner_ = BlockScanner(); }

    BlockScanner scanner_;
};

} // namespace brantlewick::markdown
