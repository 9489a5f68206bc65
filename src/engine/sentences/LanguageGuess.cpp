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

struct CommonWord {
    std::string word;
    std::uint8_t languages = 0; // a bit for each of kLatinLanguages that lists it
};

// All the languages' common words in one sorted table: one look-up a word.
const std::vector<CommonWord>& CommonWords() {
    static const std::vector<CommonWord> table = [] {
        std::vector<CommonWord> all;
        for (std::size_t i = 0; i < kLatinLanguages.size(); ++i) {
            for (const std::string& word :
                 LanguageData::For(kLatinLanguages[i]).Words(WordList::CommonWords)) {
                all.push_back({word, static_cast<std::uint8_t>(1U << i)});
            }
        }
        std::stable_sort(all.begin(), all.end(),
                         [](const auto& a, const auto& b) { return a.word < b.word; });
        std::vector<CommonWord> merged;
        for (CommonWord& entry : all) {
            if (!merged.empty() && merged.back().word == entry.word) {
                merged.back().languages |= entry.languages;
            } else {
                merged.push_back(std::move(entry));
            }
        }
        return merged;
    }();
    return table;
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

    void Word(const std::string& word) {
        const std::vector<CommonWord>& table = CommonWords();
        const auto it =
            std::lower_bound(table.begin(), table.end(), word,
                             [](const CommonWord& a, const std::string& w) { return a.word < w; });
        if (it == table.end() || it->word != word) {
            return;
        }
        const int weight = kOwnWord / std::popcount(it->languages);
        for (std::size_t i = 0; i < common.size(); ++i) {
            common[i] += ((it->languages >> i) & 1U) != 0 ? weight : 0;
        }
    }
};

Evidence Gather(std::string_view text) {
    Evidence evidence;
    std::string word;
    bool tooLong = false;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const sentences::Char c = DecodeAt(p, end);
        p += c.size;
        const bool latin = c.code < 0x250 && sentences::IsWordChar(c.code) && !sentences::IsDigit(c.code);
        if (latin) {
            ++evidence.latin;
            tooLong = tooLong || word.size() >= kLongestCommonWord;
            if (!tooLong) {
                utf8::AppendChar(word, sentences::Fold(c.code));
            }
            evidence.Letter(sentences::Fold(c.code));
            continue;
        }
        if (!word.empty() && !tooLong) {
            evidence.Word(word);
        }
        evidence.Letter(c.code);
        word.clear();
        tooLong = false;
        evidence.cyrillic += IsCyrillic(c.code) ? 1 : 0;
        evidence.kana += IsKana(c.code) ? 1 : 0;
        evidence.han += IsHan(c.code) ? 1 : 0;
    }
    // A word cut off by the sample's end may be the start of a longer one: it is not counted.
    return evidence;
}

} // namespace

std::optional<Language> LanguageOfText(std::string_view text) {
    const Evidence e = Gather(text);
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
