// Checks what the sentence mode promises about any output: it is the input with CR LF pairs inserted
// and blanks taken out, and nothing else; a break never lands inside a word or a number.
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

SentenceEdits CompareSentenceEdits(std::string_view input, std::string_view output);

} // namespace brantlewick::testing
