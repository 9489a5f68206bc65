// SPDX-License-Identifier: GPL-3.0-or-later
// Checks what the sentence mode promises about any output: it is the input with line breaks inserted
// and blanks taken out, and nothing else; a break never lands inside a word or a number. Through a line
// choice other than keeping the line ends, only the text without any spaces is sure to stay.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brantlewick::testing {

struct SentenceEdits {
    std::string fault; // empty when the output keeps the promise
    std::uint64_t breaks = 0;
    std::uint64_t blanks = 0;
};

// Each break is `lineEnd`: CR LF, or an LF where the input's lines are kept and end so.
SentenceEdits CompareSentenceEdits(std::string_view input, std::string_view output,
                                   std::string_view lineEnd = "\r\n");

// Whether `output` is `input` with blanks dropped and line ends changed, and with ASCII spaces and line
// ends added: what any line choice may do in the sentence mode.
bool KeepsTheText(std::string_view input, std::string_view output);

} // namespace brantlewick::testing
