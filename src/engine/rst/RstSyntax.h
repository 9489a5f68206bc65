// SPDX-License-Identifier: GPL-3.0-or-later
// The reStructuredText rules for re-breaking a paragraph's prose: inline markup runs (literals,
// interpreted text and roles, emphasis, references, substitutions, targets, footnote and citation
// references, bare links) are shielded, and no break starts a line docutils could read as structure.
#pragma once

#include "prose/ProseSyntax.h"

#include <string_view>

namespace brantlewick::rst {

class RstSyntax final : public prose::ProseSyntax {
public:
    prose::Marks& Read(std::string_view text) override;
    bool KeepsLineEnd(std::string_view before, std::string_view after, bool alone) const override;
    bool MayCut(std::string_view line) const override;
    bool MayStartLine(std::string_view next) const override;
    // Marks alone on a line ("=." of "=. And so") would read as a section's underline or a table's border.
    bool MayEndLine(std::string_view head) const override;
    void Trim() override { marks_ = prose::Marks(); }

private:
    prose::Marks marks_;
};

} // namespace brantlewick::rst
