// SPDX-License-Identifier: GPL-3.0-or-later
// The word lists of one language, read once from the text files compiled into the program.
#pragma once

#include "sentences/Language.h"

#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::sentences {

// The text of a list file compiled in from data/ ("common", "en", ...); empty when there is none.
std::string_view DataFile(std::string_view name);

enum class AbbreviationKind : unsigned char {
    Never,   // titles and the like: a name or number follows, never a new sentence
    Final,   // often the last word of a sentence: a capital after it starts the next one
    General, // a capital after it starts a sentence only when it is a typical first word
    Numeric, // an abbreviation only before a number ("no. 5"); a word otherwise
};

struct Abbreviation {
    std::string key; // folded, inner periods kept, blanks and the final period left out
    AbbreviationKind kind = AbbreviationKind::General;
    bool capital = false; // counts only with a capital: "No." is an abbreviation, "no." a word
};

class LanguageData {
public:
    static const LanguageData& For(Language language);
    // Reads list files: '#' starts a comment, "[section]" starts a section, every other line is an entry.
    explicit LanguageData(const std::vector<std::string_view>& files);

    // `key` as FoldedKey makes it, without the final period.
    const Abbreviation* FindAbbreviation(std::string_view key, bool capitalized) const;
    bool IsStarter(std::string_view key) const;
    // Words that follow ordinal numbers: months, "Jahrhundert".
    bool IsOrdinalNoun(std::string_view key) const;
    // The length of a listed particle that `text` begins with, 0 when none does; `quotingOnly` asks only
    // for the particles that quote what came before.
    std::size_t ParticleLength(std::string_view text, bool quotingOnly = false) const;
    // Whether "am 3. Oktober" writes ordinal numbers with a period.
    bool OrdinalNumbers() const { return ordinalNumbers_; }

private:
    std::vector<Abbreviation> abbreviations_; // sorted by key
    std::vector<Abbreviation> endings_;       // the last parts of compounds: "Hauptstr."
    std::vector<std::string> starters_;       // folded, sorted
    std::vector<std::string> ordinalNouns_;   // folded, sorted
    std::vector<std::string> particles_;      // longest first
    std::vector<std::string> quoting_;        // longest first
    bool ordinalNumbers_ = false;
};

} // namespace brantlewick::sentences
