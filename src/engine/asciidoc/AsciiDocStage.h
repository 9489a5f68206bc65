// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for AsciiDoc: paragraphs as Asciidoctor finds them, their prose re-broken by
// AsciiDoc's rules.
#pragma once

#include "asciidoc/AsciiDocScanner.h"
#include "asciidoc/AsciiDocSyntax.h"
#include "prose/ProseStage.h"

namespace brantlewick::asciidoc {

class AsciiDocStage final : public prose::ProseStage {
public:
    using ProseStage::ProseStage;

private:
    prose::LineReading ReadLine(std::string_view line) override { return scanner_.Read(line); }
    std::unique_ptr<prose::ProseSyntax> NewSyntax() const override {
        return std::make_unique<AsciiDocSyntax>();
    }
    void Restart() override { scanner_ = AsciiDocScanner(); }

    AsciiDocScanner scanner_;
};

} // namespace brantlewick::asciidoc
