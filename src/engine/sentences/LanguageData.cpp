// SPDX-License-Identifier: GPL-3.0-or-later
// Language names and the parsed word lists.
#include "sentences/LanguageData.h"

#include "brantlewick/engine/AsciiCase.h"
#include "sentences/Characters.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace brantlewick {

std::optional<Language> LanguageFromCode(std::string_view code) {
    if (code.size() != 2) {
        return std::nullopt;
    }
    const std::string folded{FoldAscii(code[0]), FoldAscii(code[1])};
    for (const LanguageRow& row : kLanguages) {
        if (row.code == folded) {
            return row.language;
        }
    }
    return std::nullopt;
}

Language LanguageFromLocale(std::string_view localeName) {
    // "de_DE.UTF-8@euro", "pt-BR": the language is what comes before the territory.
    const std::size_t end = localeName.find_first_of("_-.@");
    return LanguageFromCode(localeName.substr(0, end)).value_or(Language::English);
}

Language UserLanguage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') {
            return LanguageFromLocale(value);
        }
    }
    return Language::English;
}

std::string_view LanguageCode(Language language) {
    const auto row = static_cast<std::size_t>(language);
    return row < kLanguages.size() ? kLanguages[row].code : "en";
}

} // namespace brantlewick

namespace brantlewick::sentences {

namespace {

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

struct AbbreviationSection {
    std::string_view name;
    AbbreviationKind kind;
    bool capital;
};

constexpr AbbreviationSection kAbbreviationSections[] = {
    {"never", AbbreviationKind::Never, false},
    {"final", AbbreviationKind::Final, false},
    {"abbreviations", AbbreviationKind::General, false},
    {"capitalized", AbbreviationKind::General, true},
    {"numeric", AbbreviationKind::Numeric, false},
    {"numeric-capitalized", AbbreviationKind::Numeric, true},
    {"units", AbbreviationKind::Unit, false},
    {"endings", AbbreviationKind::General, false},
};

constexpr std::pair<std::string_view, WordList> kWordSections[] = {
    {"starters", WordList::Starters},         {"ordinal-nouns", WordList::OrdinalNouns},
    {"conjunctions", WordList::Conjunctions}, {"marked-names", WordList::MarkedNames},
    {"speech-verbs", WordList::SpeechVerbs},  {"name-particles", WordList::NameParticles},
    {"common-words", WordList::CommonWords},  {"file-endings", WordList::FileEndings},
};

void SortLongestFirst(std::vector<std::string>& list) {
    std::stable_sort(list.begin(), list.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

} // namespace

const LanguageData& LanguageData::For(Language language) {
    static const std::vector<LanguageData> all = [] {
        std::vector<LanguageData> data;
        data.reserve(kLanguages.size());
        for (const LanguageRow& row : kLanguages) {
            data.push_back(LanguageData({DataFile(row.wordList), DataFile("common.txt")}));
        }
        return data;
    }();
    return all[static_cast<std::size_t>(language)];
}

LanguageData::LanguageData(const std::vector<std::string_view>& files) {
    for (std::string_view file : files) {
        std::string_view section;
        while (!file.empty()) {
            const std::size_t newline = file.find('\n');
            std::string_view line = file.substr(0, newline);
            file.remove_prefix(newline == std::string_view::npos ? file.size() : newline + 1);
            line = Trim(line.substr(0, line.find('#')));
            if (line.empty()) {
                continue;
            }
            if (line.front() == '[') {
                section = line.substr(1, line.find(']') - 1);
            } else {
                Add(section, line);
            }
        }
    }
    // The first listing of a word wins: a language's own file is read before the common one.
    std::stable_sort(abbreviations_.begin(), abbreviations_.end(),
                     [](const Abbreviation& a, const Abbreviation& b) { return a.key < b.key; });
    abbreviations_.erase(
        std::unique(abbreviations_.begin(), abbreviations_.end(),
                    [](const Abbreviation& a, const Abbreviation& b) { return a.key == b.key; }),
        abbreviations_.end());
    for (std::size_t i = 0; i < abbreviations_.size(); ++i) {
        abbreviationAt_.emplace(abbreviations_[i].key, i);
        longestAbbreviation_ = std::max(longestAbbreviation_, abbreviations_[i].key.size());
    }
    longestAbbreviation_ = endings_.empty() ? longestAbbreviation_ : SIZE_MAX;
    for (std::size_t list = 0; list < kWordLists; ++list) {
        std::sort(words_[list].begin(), words_[list].end());
        wordSets_[list].insert(words_[list].begin(), words_[list].end());
    }
    SortLongestFirst(particles_);
    SortLongestFirst(quoting_);
}

void LanguageData::Add(std::string_view section, std::string_view line) {
    for (const auto& [name, list] : kWordSections) {
        if (section == name) {
            words_[static_cast<std::size_t>(list)].push_back(FoldedKey(line));
            return;
        }
    }
    for (const AbbreviationSection& kind : kAbbreviationSections) {
        if (section == kind.name) {
            const std::string_view word = line.back() == '.' ? line.substr(0, line.size() - 1) : line;
            (section == "endings" ? endings_ : abbreviations_)
                .push_back({FoldedKey(word), kind.kind, kind.capital});
            return;
        }
    }
    if (section == "particles") {
        particles_.emplace_back(line);
    } else if (section == "quoting") {
        quoting_.emplace_back(line);
    } else if (section == "options") {
        ordinalNumbers_ = ordinalNumbers_ || line == "ordinal-numbers";
        quotesStandAlone_ = quotesStandAlone_ || line == "quotes-stand-alone";
        capitalizedNouns_ = capitalizedNouns_ || line == "capitalized-nouns";
        lowerCaseStarts_ = lowerCaseStarts_ || line == "lower-case-starts";
    }
}

const Abbreviation* LanguageData::FindAbbreviation(std::string_view key, bool capitalized) const {
    if (const auto it = abbreviationAt_.find(key); it != abbreviationAt_.end()) {
        const Abbreviation& listed = abbreviations_[it->second];
        if (capitalized || !listed.capital) {
            return &listed;
        }
    }
    for (const Abbreviation& ending : endings_) {
        if (key.size() > ending.key.size() && key.ends_with(ending.key)) {
            return &ending;
        }
    }
    return nullptr;
}

bool LanguageData::Lists(WordList list, std::string_view key) const {
    const KeySet& words = wordSets_[static_cast<std::size_t>(list)];
    return words.find(key) != words.end();
}

std::size_t LanguageData::ParticleLength(std::string_view text, bool quotingOnly) const {
    for (const std::string& particle : quotingOnly ? quoting_ : particles_) {
        if (text.starts_with(particle)) {
            return particle.size();
        }
    }
    return 0;
}

} // namespace brantlewick::sentences
