// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for reStructuredText: paragraphs as docutils finds them, their prose re-broken by
// reStructuredText's rules.
#pragma once

#include "prose/ProseStage.h"
#include "rst/RstScanner.h"
#include "rst/RstSyntax.h"

namespace brantlewick::rst {

class RstStage final : public prose::ProseStage {
public:
    using ProseStage::ProseStage;

private:
    prose::LineReading ReadLine(std::string_view line) override { return scanner_.Read(line); }
    std::unique_ptr<prose::ProseSyntax> NewSyntax() const override { return std::make_unique<RstSyntax>(); }
    void Restart() override { scanner_ = RstScanner(); }

    RstScanner scanner_;
};

} // namespace brantlewick::rst
