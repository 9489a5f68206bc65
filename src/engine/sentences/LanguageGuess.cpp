// SPDX-License-Identifier: GPL-3.0-or-later
// The language a text is written in, told from its start: by its script, and for Latin letters by the
// most frequent short words of each language. Deterministic and cheap, so that a repository of
// translations converts each file by its own language without a word from the user.
#include "brantlewick/engine/Language.h"
#include "sentences/Characters.h"
#include "sentences/LanguageData.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace brantlewick {

namespace {

using sentences::DecodeAt;
using sentences::LanguageData;
using sentences::WordList;

constexpr std::array kLatinLanguages = {Language::English, Language::German,  Language::French,
                                        Language::Spanish, Language::Italian, Language::Dutch};

// Fewer letters than this tell nothing: a title, a date, a line of code.
constexpr int kFewestLetters = 40;
// A common word counts kOwnWord for a language that alone lists it, less the more languages share it.
constexpr int kOwnWord = 6;
// Less evidence than two words of one language's own, or a lead of less than half of one, leaves a
// text in Latin letters undecided.
constexpr int kLeastEvidence = 2 * kOwnWord;
constexpr int kLeastLead = kOwnWord / 2;
// A paragraph in Latin letters leaves its text's Latin language for another only by two words of the
// other's own.
constexpr int kParagraphLead = 2 * kOwnWord;
// A lead of three words of one language's own over every other settles a paragraph's guess: what
// follows is not read.
constexpr int kSettledLead = 3 * kOwnWord;
// Longer words are on no list; a word is cut here and not looked up.
constexpr std::size_t kLongestCommonWord = 16;

// Letters and marks that one of the languages alone writes, each worth a third of a word of its own.
constexpr int kOwnLetter = kOwnWord / 3;
constexpr std::pair<char32_t, Language> kOwnLetters[] = {
    {U'ß', Language::German},  {U'ç', Language::French},  {U'ê', Language::French},
    {U'â', Language::French},  {U'î', Language::French},  {U'û', Language::French},
    {U'œ', Language::French},  {U'ñ', Language::Spanish}, {U'¿', Language::Spanish},
    {U'¡', Language::Spanish}, {U'ì', Language::Italian}, {U'ò', Language::Italian},
};

// A folded word as the table keeps it: its bytes packed into three numbers, which hash and compare at
// once. Longer words are cut off and not looked up.
struct WordKey {
    std::array<std::uint64_t, 3> parts{};
    std::size_t size = 0;
    bool tooLong = false;

    void AppendByte(char byte) {
        parts[size / 8] |= std::uint64_t{static_cast<unsigned char>(byte)} << (8 * (size % 8));
        ++size;
    }
    void Add(char32_t folded) {
        tooLong = tooLong || size >= kLongestCommonWord;
        if (tooLong) {
            return;
        }
        if (folded < 0x80) {
            AppendByte(static_cast<char>(folded));
            return;
        }
        std::string bytes;
        utf8::AppendChar(bytes, folded);
        for (const char byte : bytes) {
            AppendByte(byte);
        }
    }
    std::size_t Hash() const {
        const std::uint64_t hash = (parts[0] * 0x9E3779B97F4A7C15U) ^ (parts[1] * 0xC2B2AE3D27D4EB4FU) ^
                                   (parts[2] * 0x165667B19E3779F9U) ^ size;
        return static_cast<std::size_t>(hash ^ (hash >> 29));
    }
    bool operator==(const WordKey&) const = default;
};

struct CommonWord {
    WordKey key;
    std::uint8_t languages = 0; // a bit for each of kLatinLanguages that lists it
    int weight = 0;             // less, the more languages list it
};

constexpr std::size_t kCommonWordSlots = std::size_t{1} << 11;

// All the languages' common words in one hash table, a third full at most: a probe or two a word, since
// every word of a paragraph's start is looked up.
const std::vector<CommonWord>& CommonWords() {
    static const std::vector<CommonWord> table = [] {
        std::vector<CommonWord> slots(kCommonWordSlots);
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = 0; i < kLatinLanguages.size(); ++i) {
            for (const std::string& word :
                 LanguageData::For(kLatinLanguages[i]).Words(WordList::CommonWords)) {
                WordKey key;
                for (const char byte : word) {
                    key.tooLong = key.tooLong || key.size >= kLongestCommonWord + 4;
                    if (!key.tooLong) {
                        key.AppendByte(byte);
                    }
                }
                std::size_t at = key.Hash() & mask;
                while (slots[at].languages != 0 && !(slots[at].key == key)) {
                    at = (at + 1) & mask;
                }
                slots[at].key = key;
                slots[at].languages |= static_cast<std::uint8_t>(1U << i);
                slots[at].weight = kOwnWord / std::popcount(slots[at].languages);
            }
        }
        return slots;
    }();
    return table;
}

bool IsAsciiLetter(char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

bool IsKana(char32_t c) {
    return (c >= 0x3041 && c <= 0x30FF && c != 0x30FB && c != 0x30FC) || (c >= 0xFF66 && c <= 0xFF9D);
}

bool IsHan(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF);
}

bool IsCyrillic(char32_t c) {
    return c >= 0x0400 && c <= 0x04FF;
}

struct Evidence {
    int latin = 0;
    int cyrillic = 0;
    int kana = 0;
    int han = 0;
    std::array<int, kLatinLanguages.size()> common{};
    // With `onceEach`, a word counts once however often it comes: a name or a token repeated ("van",
    // "rst2man") must not make a paragraph's language.
    bool onceEach = false;
    std::bitset<kCommonWordSlots> counted;

    void Letter(char32_t c) {
        if (c < 0x80) {
            return;
        }
        for (const auto& [letter, language] : kOwnLetters) {
            if (c == letter) {
                common[static_cast<std::size_t>(
                    std::find(kLatinLanguages.begin(), kLatinLanguages.end(), language) -
                    kLatinLanguages.begin())] += kOwnLetter;
            }
        }
    }

    // Whether a language lists `word`, which then counts.
    bool Word(const WordKey& word) {
        const std::vector<CommonWord>& table = CommonWords();
        const std::size_t mask = table.size() - 1;
        std::size_t at = word.Hash() & mask;
        while (table[at].languages != 0 && !(table[at].key == word)) {
            at = (at + 1) & mask;
        }
        const unsigned languages = table[at].languages;
        if (languages == 0 || (onceEach && counted[at])) {
            return false;
        }
        counted[at] = true;
        const int weight = table[at].weight;
        for (std::size_t i = 0; i < common.size(); ++i) {
            common[i] += ((languages >> i) & 1U) != 0 ? weight : 0;
        }
        return true;
    }

    bool Settled() const {
        if (latin < kFewestLetters) {
            return false;
        }
        int best = 0;
        int second = 0;
        for (const int score : common) {
            second = std::max(second, std::min(best, score));
            best = std::max(best, score);
        }
        return best - second >= kSettledLead;
    }
};

// The evidence of `text`; for a paragraph's start (`paragraph`), each word once, and only up to the end
// of the word after which one language in Latin letters leads every other by kSettledLead.
Evidence Gather(std::string_view text, bool paragraph = false) {
    Evidence evidence;
    evidence.onceEach = paragraph;
    WordKey word;
    // Whether the guess is settled after the word.
    const auto endWord = [&] {
        const bool counted = word.size != 0 && !word.tooLong && evidence.Word(word);
        word = WordKey();
        return counted && paragraph && evidence.Settled();
    };
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        // ASCII, most of any Latin text, without decoding: a letter goes into the word, anything else
        // ends it and tells nothing more.
        if (static_cast<unsigned char>(*p) < 0x80) {
            if (IsAsciiLetter(*p)) {
                ++evidence.latin;
                word.Add(static_cast<char32_t>(*p | 0x20));
            } else if (word.size != 0 && endWord()) {
                break;
            }
            ++p;
            continue;
        }
        const sentences::Char c = DecodeAt(p, end);
        p += c.size;
        if (c.code < 0x250 && sentences::IsWordChar(c.code) && !sentences::IsDigit(c.code)) {
            ++evidence.latin;
            word.Add(sentences::Fold(c.code));
            evidence.Letter(sentences::Fold(c.code));
            continue;
        }
        if (endWord()) {
            break;
        }
        evidence.Letter(c.code);
        evidence.cyrillic += IsCyrillic(c.code) ? 1 : 0;
        evidence.kana += IsKana(c.code) ? 1 : 0;
        evidence.han += IsHan(c.code) ? 1 : 0;
    }
    // A word cut off by the sample's end may be the start of a longer one: it is not counted.
    return evidence;
}

std::size_t LatinIndex(Language language) {
    return static_cast<std::size_t>(std::find(kLatinLanguages.begin(), kLatinLanguages.end(), language) -
                                    kLatinLanguages.begin());
}

// The language the evidence tells, nothing when it is too little or too even.
std::optional<Language> Decide(const Evidence& e) {
    // A character of Chinese or Japanese says about as much as a word does elsewhere.
    const int wide = 3 * (e.kana + e.han);
    if (std::max({e.latin, e.cyrillic, wide}) < kFewestLetters) {
        return std::nullopt;
    }
    if (wide >= e.latin && wide >= e.cyrillic) {
        // Japanese writes its endings and particles in kana; Chinese has none.
        return 10 * e.kana >= e.kana + e.han ? Language::Japanese : Language::Chinese;
    }
    if (e.cyrillic > e.latin) {
        return Language::Russian;
    }
    std::array<std::size_t, kLatinLanguages.size()> order{};
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&e](std::size_t a, std::size_t b) { return e.common[a] > e.common[b]; });
    const int best = e.common[order[0]];
    if (best < kLeastEvidence || best - e.common[order[1]] < kLeastLead) {
        return std::nullopt;
    }
    return kLatinLanguages[order[0]];
}

} // namespace

std::optional<Language> LanguageOfText(std::string_view text) {
    return Decide(Gather(text));
}

Language LanguageOfParagraph(std::string_view start, Language textLanguage) {
    const Evidence e = Gather(start, true);
    const std::optional<Language> found = Decide(e);
    if (!found || *found == textLanguage) {
        return textLanguage;
    }
    const std::size_t paragraph = LatinIndex(*found);
    const std::size_t text = LatinIndex(textLanguage);
    if (paragraph < kLatinLanguages.size() && text < kLatinLanguages.size()) {
        // Between two languages in Latin letters, a paragraph needs a lead over the text's own of
        // kParagraphLead: a name, a quote or a shared word must not turn it.
        return e.common[paragraph] - e.common[text] >= kParagraphLead ? *found : textLanguage;
    }
    return *found;
}

std::optional<Language> FrontMatterLanguage(std::string_view text) {
    // "---" on the first line opens it, "---" or "..." closes it.
    auto nextLine = [&text] {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
    };
    if (nextLine() != "---") {
        return std::nullopt;
    }
    while (!text.empty()) {
        const std::string_view line = nextLine();
        if (line == "---" || line == "...") {
            break;
        }
        for (const std::string_view key : {"lang:", "language:"}) {
            if (!line.starts_with(key)) {
                continue;
            }
            std::string_view value = line.substr(key.size());
            value.remove_prefix(std::min(value.find_first_not_of(" \t\"'"), value.size()));
            // "de", "de-CH", "pt_BR": the language is what comes before the territory.
            return LanguageFromCode(value.substr(0, value.find_first_of("-_ \t\"'#")));
        }
    }
    return std::nullopt;
}

} // namespace brantlewick
