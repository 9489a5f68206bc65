// SPDX-License-Identifier: GPL-3.0-or-later
// Reads an AsciiDoc document's block structure line by line, as Asciidoctor does, and says for each line
// whether it is paragraph prose.
//
// Asciidoctor is the reader AsciiDoc's writers use; it reads blocks with regular expressions over whole
// lines and keeps no grammar anyone else follows, so this is a scanner of our own, one line at a time in
// constant memory (one entry per open delimited block). Where the reading is unsure it keeps the lines:
// a paragraph that a preprocessor line, a hard-breaks option, a non-prose style or a quoted paragraph's
// shape bears on stays as it is, and so does everything inside verbatim blocks, tables and the header.
#pragma once

#include "prose/ProseStage.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::asciidoc {

class AsciiDocScanner {
public:
    prose::LineReading Read(std::string_view line);

private:
    prose::LineReading ReadText(std::string_view line, std::string_view trimmed);
    // A delimiter line: opens or closes a block. `paragraphOpen`: a paragraph came right before it.
    prose::LineReading ReadDelimiter(std::string_view delimiter, bool paragraphOpen);
    prose::LineReading StartParagraph(std::size_t textStart, std::string continuation);
    void ReadAttributeLine(std::string_view line);

    std::string verbatimEnd_;           // inside a verbatim block: the line that closes it
    std::vector<std::string> compound_; // the delimiters of the open blocks whose content is read
    bool paragraph_ = false;            // a paragraph is open
    bool literal_ = false;              // an indented, literal paragraph, up to a blank line
    bool header_ = false;               // the document header, up to a blank line
    bool attributeGoesOn_ = false;      // the attribute entry read last goes on on this line
    bool afterDirective_ = false;       // the line before was a preprocessor directive
    bool afterTerm_ = false;            // the line before was a description list's term alone
    bool hardBreaks_ = false;           // every line end of the document's paragraphs is a hard break
    bool styleKeeps_ = false;           // the next block's style or options keep it as it is
    std::string style_;                 // the next block's style
};

} // namespace brantlewick::asciidoc
