// SPDX-License-Identifier: GPL-3.0-or-later
// What the sentence rules read around a place, and the types their parts share. Internal to the rules.
#pragma once

#include "sentences/Characters.h"
#include "sentences/SentenceRules.h"

#include <string_view>

namespace brantlewick::sentences {

inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

inline const char* SkipBlanks(const char* p, const char* end) {
    for (Char c = DecodeAt(p, end); IsBlank(c.code); c = DecodeAt(p, end)) {
        p += c.size;
    }
    return p;
}

// The first character after the spaces (blanks and line ends) at `p`, and how many line ends they hold.
inline const char* SkipSpaces(const char* p, const char* end, int& lineEnds) {
    lineEnds = 0;
    while (p < end) {
        const Char c = DecodeAt(p, end);
        if (!IsSpace(c.code)) {
            break;
        }
        // A CR LF pair is one line end.
        if (c.code == '\n' || (c.code == '\r' && !(p + 1 < end && p[1] == '\n'))) {
            ++lineEnds;
        }
        p += c.size;
    }
    return p;
}

inline const char* SpaceStartBefore(const Window& w, const char* p) {
    for (Char c = DecodeBefore(w.begin, p); p > w.begin && IsSpace(c.code); c = DecodeBefore(w.begin, p)) {
        p -= c.size;
    }
    return p;
}

enum class SentenceRules::Kind : unsigned char {
    Empty,
    Number,
    Initial,
    Never,
    Final,
    General,
    Numeric,
    Word
};

struct SentenceRules::Marker {
    enum Label { Number, Letter, Roman } label;
    int value;
    int style; // label and punctuation together: "1." and "1)" are different lists
    bool upper;
    const char* start;
    const char* punctuation;
    const char* text; // the item's first character
};

struct SentenceRules::Next {
    enum Kind { Upper, Lower, Digit, Cjk, Opening, Symbol, Other } kind = Other;
    bool starter = false; // a word that typically starts a sentence
    bool initial = false; // a single letter followed by a period
    std::string_view word;
};

} // namespace brantlewick::sentences
