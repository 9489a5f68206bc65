// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for LaTeX: prose lines of the document's body, re-broken by LaTeX's rules.
#pragma once

#include "latex/LatexScanner.h"
#include "latex/LatexSyntax.h"
#include "prose/ProseStage.h"

namespace brantlewick::latex {

class LatexStage final : public prose::ProseStage {
public:
    using ProseStage::ProseStage;

private:
    prose::LineReading ReadLine(std::string_view line) override { return scanner_.Read(line); }
    std::unique_ptr<prose::ProseSyntax> NewSyntax() const override { return std::make_unique<LatexSyntax>(); }
    void Restart() override { scanner_ = LatexScanner(); }

    LatexScanner scanner_;
};

} // namespace brantlewick::latex
