// Walks input and output side by side, character by character as the input has them (dropping a blank
// may make two stray bytes look like one character).
#include "SentenceEdits.h"

#include "sentences/Characters.h"

namespace brantlewick::testing {

using namespace sentences;

SentenceEdits CompareSentenceEdits(std::string_view input, std::string_view output) {
    SentenceEdits edits;
    const auto at = [&input](std::size_t i) {
        return DecodeAt(input.data() + i, input.data() + input.size());
    };
    // A CR and an LF with only blanks between read as one CR LF once the blanks go: that is no break.
    const auto spacedLineEnd = [&](std::size_t i) {
        if (input.substr(i, 1) != "\r") {
            return false;
        }
        for (++i; i < input.size() && IsBlank(at(i).code); i += static_cast<std::size_t>(at(i).size)) {
        }
        return i < input.size() && input[i] == '\n';
    };
    std::size_t i = 0, o = 0;
    while (i < input.size() || o < output.size()) {
        const Char a = at(i);
        const bool breaks = output.substr(o, 2) == "\r\n";
        if (breaks && !spacedLineEnd(i) && !IsBlank(a.code)) {
            const Char before = DecodeBefore(input.data(), input.data() + i);
            if (i > 0 && IsWordChar(before.code) && IsWordChar(a.code) && !IsCjk(before.code) &&
                !IsCjk(a.code)) {
                edits.fault = "a break inside a word at input byte " + std::to_string(i);
                return edits;
            }
            ++edits.breaks;
            o += 2;
        } else if (a.size != 0 && input.substr(i, a.size) == output.substr(o, a.size)) {
            i += a.size;
            o += a.size;
        } else if (IsBlank(a.code)) {
            ++edits.blanks;
            i += a.size;
        } else if (breaks) {
            ++edits.breaks;
            o += 2;
        } else {
            edits.fault =
                "input byte " + std::to_string(i) + " and output byte " + std::to_string(o) + " differ";
            return edits;
        }
    }
    return edits;
}

} // namespace brantlewick::testing
