// SPDX-License-Identifier: GPL-3.0-or-later
// The word lists of one language, read once from the text files compiled into the program.
#pragma once

#include "brantlewick/engine/Language.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace brantlewick::sentences {

// The text of a list file compiled in from data/ ("common.txt", "en.txt", ...); empty when there is none.
std::string_view DataFile(std::string_view name);

enum class AbbreviationKind : unsigned char {
    Never,   // titles and the like: a name or number follows, never a new sentence
    Final,   // often the last word of a sentence: a capital after it starts the next one
    General, // a capital after it starts a sentence only when it is a typical first word
    Numeric, // an abbreviation only before a number ("no. 5"); a word otherwise
    Unit,    // a unit: after a number, a capital starts a sentence ("40 min. Great"); General otherwise
};

struct Abbreviation {
    std::string key; // folded, inner periods kept, blanks and the final period left out
    AbbreviationKind kind = AbbreviationKind::General;
    bool capital = false; // counts only with a capital: "No." is an abbreviation, "no." a word
};

// Lists of whole words, looked up by their folded spelling.
enum class WordList : unsigned char {
    Starters,      // words that typically start a sentence
    OrdinalNouns,  // words after an ordinal number written with a period: "5. Mai"
    Conjunctions,  // words that join two items of a list into one sentence: "(1) and (2)"
    MarkedNames,   // names with a "!" or "?" in them, the mark included: "Yahoo!"
    SpeechVerbs,   // verbs that say who spoke after a quote: "Why?" Jenny asked.
    NameParticles, // particles of surnames after an initial: "G. Di Maio"
    CommonWords,   // the most frequent short words, by which a text is told to be in the language
    FileEndings,   // what follows the last period of a file or host name: "setup.Exe", "example.Com"
};
inline constexpr std::size_t kWordLists = 8;

class LanguageData {
public:
    static const LanguageData& For(Language language);
    // Reads list files: '#' starts a comment, "[section]" starts a section, every other line is an entry.
    explicit LanguageData(const std::vector<std::string_view>& files);

    // `key` as FoldedKey makes it, without the final period.
    const Abbreviation* FindAbbreviation(std::string_view key, bool capitalized) const;
    // No key that FindAbbreviation finds is longer than this, unless the last parts of compounds are
    // listed, which any word may end in: then there is no such length.
    std::size_t LongestAbbreviation() const { return longestAbbreviation_; }
    // Whether `list` holds `key`, as FoldedKey makes it.
    bool Lists(WordList list, std::string_view key) const;
    // The whole of `list`, folded and sorted.
    const std::vector<std::string>& Words(WordList list) const {
        return words_[static_cast<std::size_t>(list)];
    }
    // The length of a listed particle that `text` begins with, 0 when none does; `quotingOnly` asks only
    // for the particles that quote what came before.
    std::size_t ParticleLength(std::string_view text, bool quotingOnly = false) const;
    // Whether "am 3. Oktober" writes ordinal numbers with a period.
    bool OrdinalNumbers() const { return ordinalNumbers_; }
    // Whether a quote that ends with a mark is a sentence of its own unless a particle carries it on
    // (Japanese 「すごい！」彼は…), rather than one the speaker's words after it go on (Chinese “好！”他说).
    bool QuotesStandAlone() const { return quotesStandAlone_; }
    // Whether nouns are written with a capital, so that a sentence may end in one ("Version.Wenn").
    bool CapitalizedNouns() const { return capitalizedNouns_; }
    // Whether sentences start with a capital, so that web text that starts one with a small letter after
    // an ordinary word's period can be told ("it works now. thanks").
    bool LowerCaseStarts() const { return lowerCaseStarts_; }

private:
    // Looked up by a word in the text at every end: hashed, where the sorted lists took a dozen compares.
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };
    using KeySet = std::unordered_set<std::string, KeyHash, std::equal_to<>>;

    void Add(std::string_view section, std::string_view line);

    std::vector<Abbreviation> abbreviations_; // sorted by key
    std::vector<Abbreviation> endings_;       // the last parts of compounds: "Hauptstr."
    std::unordered_map<std::string, std::size_t, KeyHash, std::equal_to<>> abbreviationAt_; // by key
    std::array<std::vector<std::string>, kWordLists> words_; // by WordList, folded, sorted
    std::array<KeySet, kWordLists> wordSets_;                // the same, hashed
    std::vector<std::string> particles_;                     // longest first
    std::vector<std::string> quoting_;                       // longest first
    std::size_t longestAbbreviation_ = 0;
    bool ordinalNumbers_ = false;
    bool quotesStandAlone_ = false;
    bool capitalizedNouns_ = false;
    bool lowerCaseStarts_ = false;
};

} // namespace brantlewick::sentences
