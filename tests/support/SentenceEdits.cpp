// SPDX-License-Identifier: GPL-3.0-or-later
// Walks input and output side by side, character by character as the input has them (dropping a blank
// may make two stray bytes look like one character).
#include "SentenceEdits.h"

#include "sentences/Characters.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace brantlewick::testing {

using namespace sentences;

SentenceEdits CompareSentenceEdits(std::string_view input, std::string_view output,
                                   std::string_view lineEnd) {
    SentenceEdits edits;
    const auto at = [&input](std::size_t i) {
        return DecodeAt(input.data() + i, input.data() + input.size());
    };
    // The length of a CR, blanks and an LF at `i`, 0 where they do not start: the blanks between them stay,
    // or the two would read as one line end.
    const auto spacedLineEnd = [&](std::size_t i) -> std::size_t {
        std::size_t j = i + 1;
        while (input.substr(i, 1) == "\r" && j < input.size() && IsBlank(at(j).code)) {
            j += static_cast<std::size_t>(at(j).size);
        }
        return input.substr(i, 1) == "\r" && input.substr(j, 1) == "\n" ? j + 1 - i : 0;
    };
    std::size_t i = 0, o = 0;
    while (i < input.size() || o < output.size()) {
        const Char a = at(i);
        // An LF break before the input's own LF is told apart by what follows: the input's comes first.
        const bool breaks =
            output.substr(o, lineEnd.size()) == lineEnd && input.substr(i, lineEnd.size()) != lineEnd;
        if (const std::size_t span = spacedLineEnd(i);
            span != 0 && input.substr(i, span) == output.substr(o, span)) {
            i += span;
            o += span;
        } else if (breaks && !IsBlank(a.code)) {
            const Char before = DecodeBefore(input.data(), input.data() + i);
            if (i > 0 && IsWordChar(before.code) && IsWordChar(a.code) && !IsCjk(before.code) &&
                !IsCjk(a.code)) {
                edits.fault = "a break inside a word at input byte " + std::to_string(i);
                return edits;
            }
            ++edits.breaks;
            o += lineEnd.size();
        } else if (a.size != 0 && input.substr(i, a.size) == output.substr(o, a.size)) {
            i += a.size;
            o += a.size;
        } else if (IsBlank(a.code)) {
            ++edits.blanks;
            i += a.size;
        } else if (breaks) {
            ++edits.breaks;
            o += lineEnd.size();
        } else {
            edits.fault =
                "input byte " + std::to_string(i) + " and output byte " + std::to_string(o) + " differ";
            return edits;
        }
    }
    return edits;
}

bool KeepsTheText(std::string_view input, std::string_view output) {
    const auto asciiSpace = [](char c) { return static_cast<unsigned char>(c) < 0x80 && IsSpace(c); };
    std::string rest;
    std::copy_if(output.begin(), output.end(), std::back_inserter(rest),
                 [&](char c) { return !asciiSpace(c); });
    // Byte for byte, and every way a blank may have gone: dropping one can make stray bytes either side
    // look like another blank.
    std::vector<std::size_t> places{0}, next;
    for (const char *p = input.data(), *end = p + input.size(); p < end && !places.empty();) {
        const Char c = DecodeAt(p, end);
        const std::string_view bytes(p, static_cast<std::size_t>(c.size));
        p += c.size;
        if (asciiSpace(bytes[0])) {
            continue;
        }
        next.clear();
        for (const std::size_t o : places) {
            if (rest.compare(o, bytes.size(), bytes) == 0) {
                next.push_back(o + bytes.size());
            }
            if (IsBlank(c.code)) {
                next.push_back(o);
            }
        }
        std::sort(next.begin(), next.end());
        next.erase(std::unique(next.begin(), next.end()), next.end());
        places.swap(next);
    }
    return std::find(places.begin(), places.end(), rest.size()) != places.end();
}

} // namespace brantlewick::testing
