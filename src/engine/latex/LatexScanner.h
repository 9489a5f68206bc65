// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a LaTeX document line by line and says for each line whether it is prose of the document's body.
//
// TeX has no grammar short of running it, so this scanner of our own knows only what bears on line
// breaks, one line at a time in constant memory (a fixed depth of environments): the preamble, verbatim
// and math environments, display math and environments it does not know stay as they are with their
// lines; so does every line that starts with a command other than a handful that start prose, and every
// line where an environment or display math begins or ends.
#pragma once

#include "prose/ProseStage.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace brantlewick::latex {

class LatexScanner {
public:
    prose::LineReading Read(std::string_view line);

private:
    // Follows the environments that begin and end on a line of the body; false when the line is prose.
    bool ReadStructure(std::string_view code);
    // Display math opens at `at`; returns where the line goes on (past its end on the same line).
    std::size_t SkipDisplayMath(std::string_view code, std::size_t at);
    // An environment kept as it is begins: `rest` is its first line after "\begin{name}".
    void SkipEnvironment(std::string_view name, std::string_view rest);
    prose::LineReading ReadProse(std::string_view line, std::string_view code);

    static constexpr std::size_t kDeepest = 64;

    bool started_ = false;      // a line with something but a comment in it was read
    bool preamble_ = false;     // between \documentclass and \begin{document}
    bool ended_ = false;        // past \end{document}
    std::string skipUntil_;     // inside an environment or display math kept as it is: what ends it
    std::size_t skipDepth_ = 0; // ... and how many of its kind are open
    std::string skipName_;      // ... and its name
    std::size_t depth_ = 0;     // prose environments open; past kDeepest nothing more is re-broken
    bool paragraph_ = false;
};

} // namespace brantlewick::latex
