// SPDX-License-Identifier: GPL-3.0-or-later
// What the sentence rules read around a place, and the types their parts share. Internal to the rules.
#pragma once

#include "sentences/Characters.h"
#include "sentences/CodePoints.h"
#include "sentences/SentenceRules.h"

#include <string_view>

namespace brantlewick::sentences {

inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// The blanks and line ends the rules step over are nearly always ASCII: these read a byte at a time
// and decode only what is not.
inline const char* SkipBlanks(const char* p, const char* end) {
    for (;;) {
        while (p < end && IsAsciiBlank(static_cast<unsigned char>(*p))) {
            ++p;
        }
        if (p == end || static_cast<unsigned char>(*p) < 0x80) {
            return p;
        }
        const Char c = DecodeAt(p, end);
        if (!IsBlank(c.code)) {
            return p;
        }
        p += c.size;
    }
}

// The first character after the spaces (blanks and line ends) at `p`, and how many line ends they hold.
inline const char* SkipSpaces(const char* p, const char* end, int& lineEnds) {
    lineEnds = 0;
    while (p < end) {
        if (IsAsciiBlank(static_cast<unsigned char>(*p))) {
            ++p;
            continue;
        }
        // A CR LF pair is one line end.
        if (*p == '\n' || *p == '\r') {
            lineEnds += *p == '\r' && p + 1 < end && p[1] == '\n' ? 0 : 1;
            ++p;
            continue;
        }
        // Any other ASCII byte ends the spaces: it stands for no character, which is no blank.
        const Char c = static_cast<unsigned char>(*p) < 0x80 ? Char{} : DecodeAt(p, end);
        if (!IsBlank(c.code)) {
            break;
        }
        p += c.size;
    }
    return p;
}

inline const char* SpaceStartBefore(const Window& w, const char* p) {
    for (;;) {
        while (p > w.begin &&
               (IsAsciiBlank(static_cast<unsigned char>(p[-1])) || p[-1] == '\n' || p[-1] == '\r')) {
            --p;
        }
        if (p == w.begin || static_cast<unsigned char>(p[-1]) < 0x80) {
            return p;
        }
        const Char c = DecodeBefore(w.begin, p);
        if (!IsBlank(c.code)) {
            return p;
        }
        p -= c.size;
    }
}

// The word or number that ends right before `end`: letters, digits and the marks inside abbreviations
// and numbers ("U.S", "1.000", "c.-à-d", "AT&T"), without marks at its start.
std::string_view TokenBefore(const Window& w, const char* end);

// What the word before a period is. Never to Unit follow the order of AbbreviationKind.
enum class WordKind : unsigned char {
    Empty,
    Number,
    Initial,
    Never,
    Final,
    General,
    Numeric,
    Unit,
    Unlisted, // no listed abbreviation, but written like one: "Mgmt", "B.Sc"
    Word
};

// A list item's number, letter or numeral and its punctuation.
struct Marker {
    enum Label { Number, Letter, Roman } label;
    int value;
    int style; // label and punctuation together: "1." and "1)" are different lists
    bool upper;
    const char* start;
    const char* punctuation;
    const char* text; // the item's first character
};

// What follows the blanks after an end.
struct Next {
    enum Kind { Upper, Lower, Digit, Cjk, Opening, Symbol, Other } kind = Other;
    bool starter = false; // a word that typically starts a sentence
    bool initial = false; // a single letter followed by a period
    bool dash = false;    // a dash opened it, as a reply in dialogue does
    std::string_view word;
};

// What a run of ending marks ("?!", "...", "。") is made of.
struct RunShape {
    bool wide = false; // a wide end other than the full-width period
    bool questionOrExclamation = false;
    bool other = false;    // an entry that is no sentence mark
    int periods = 0;       // an ellipsis counts as two
    bool wideLast = false; // a wide end closes the run: the next sentence may follow directly
    bool ellipsisLast = false;
};

// The quotes and brackets after a run that close its sentence.
struct Closers {
    const char* after = nullptr; // the first character after them
    bool closed = false;         // there are any
    bool quoted = false;         // a quote mark is among them, not only brackets
};

} // namespace brantlewick::sentences
