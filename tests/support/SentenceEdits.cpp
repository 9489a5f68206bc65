// Walks input and output side by side, character by character.
#include "SentenceEdits.h"

#include "sentences/Characters.h"

namespace brantlewick::testing {

namespace {

using sentences::Char;
using sentences::DecodeAt;

bool StartsBreak(std::string_view text, std::size_t at) {
    return text.substr(at, 2) == "\r\n";
}

// A CR and an LF with only blanks between: once the blanks go, they read as one CR LF.
bool StartsSpacedLineEnd(std::string_view text, std::size_t at) {
    if (text.substr(at, 1) != "\r") {
        return false;
    }
    for (std::size_t i = at + 1; i < text.size();) {
        const Char c = DecodeAt(text.data() + i, text.data() + text.size());
        if (!sentences::IsBlank(c.code)) {
            return c.code == '\n';
        }
        i += static_cast<std::size_t>(c.size);
    }
    return false;
}

} // namespace

SentenceEdits CompareSentenceEdits(std::string_view input, std::string_view output) {
    SentenceEdits edits;
    const char* const in = input.data();
    std::size_t i = 0, o = 0;
    while (i < input.size() || o < output.size()) {
        // Characters as the input has them: dropping a blank may make two stray bytes look like one.
        const Char a = DecodeAt(in + i, in + input.size());
        // An inserted break, unless the input's own CR LF stands here too.
        if (StartsBreak(output, o) && !StartsSpacedLineEnd(input, i) && !sentences::IsBlank(a.code)) {
            const Char before = sentences::DecodeBefore(in, in + i);
            if (i > 0 && i < input.size() && sentences::IsWordChar(before.code) &&
                sentences::IsWordChar(a.code) && !sentences::IsCjk(before.code) &&
                !sentences::IsCjk(a.code)) {
                edits.fault = "a break inside a word at input byte " + std::to_string(i);
                return edits;
            }
            ++edits.breaks;
            o += 2;
        } else if (a.size != 0 && input.substr(i, a.size) == output.substr(o, a.size)) {
            i += a.size;
            o += a.size;
        } else if (sentences::IsBlank(a.code)) {
            ++edits.blanks;
            i += a.size;
        } else if (StartsBreak(output, o)) {
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
