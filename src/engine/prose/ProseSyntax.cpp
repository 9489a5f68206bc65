// SPDX-License-Identifier: GPL-3.0-or-later
// The few helpers every format's paragraph rules share.
#include "prose/ProseSyntax.h"

#include <algorithm>

namespace brantlewick::prose {

void Normalize(std::vector<Span>& spans) {
    if (!std::is_sorted(spans.begin(), spans.end(),
                        [](const Span& a, const Span& b) { return a.from < b.from; })) {
        std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.from < b.from; });
    }
    std::size_t kept = 0;
    for (const Span& s : spans) {
        if (kept > 0 && s.from <= spans[kept - 1].to) {
            spans[kept - 1].to = std::max(spans[kept - 1].to, s.to);
        } else if (s.to > s.from) {
            spans[kept++] = s;
        }
    }
    spans.resize(kept);
}

} // namespace brantlewick::prose
