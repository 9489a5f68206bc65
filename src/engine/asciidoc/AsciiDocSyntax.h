// SPDX-License-Identifier: GPL-3.0-or-later
// The AsciiDoc rules for re-breaking a paragraph's prose: formatting, passthroughs, macros, references and
// comment lines are shielded, hard breaks stay, and no break starts a line that Asciidoctor reads as
// anything but text.
#pragma once

#include "prose/ProseSyntax.h"

#include <string_view>

namespace brantlewick::asciidoc {

class AsciiDocSyntax final : public prose::ProseSyntax {
public:
    prose::Marks& Read(std::string_view text) override;
    bool KeepsLineEnd(std::string_view before, std::string_view after, bool alone) const override;
    bool MayCut(std::string_view line) const override;
    bool MayStartLine(std::string_view next) const override;
    void Trim() override { marks_ = prose::Marks(); }

private:
    prose::Marks marks_;
};

} // namespace brantlewick::asciidoc
