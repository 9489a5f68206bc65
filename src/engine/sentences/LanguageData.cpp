// SPDX-License-Identifier: GPL-3.0-or-later
// Language names and the parsed word lists.
#include "sentences/LanguageData.h"

#include "AsciiCase.h"
#include "sentences/Characters.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace brantlewick {

namespace {

constexpr std::array<std::pair<std::string_view, Language>, 9> kCodes = {{
    {"en", Language::English},
    {"de", Language::German},
    {"fr", Language::French},
    {"es", Language::Spanish},
    {"it", Language::Italian},
    {"ru", Language::Russian},
    {"nl", Language::Dutch},
    {"ja", Language::Japanese},
    {"zh", Language::Chinese},
}};

} // namespace

std::optional<Language> LanguageFromCode(std::string_view code) {
    if (code.size() != 2) {
        return std::nullopt;
    }
    const std::string folded{FoldAscii(code[0]), FoldAscii(code[1])};
    for (const auto& [name, language] : kCodes) {
        if (name == folded) {
            return language;
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
    for (const auto& [name, value] : kCodes) {
        if (value == language) {
            return name;
        }
    }
    return "en";
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

} // namespace

const LanguageData& LanguageData::For(Language language) {
    static const std::array<LanguageData, kCodes.size()> all = [] {
        auto make = [](std::size_t i) {
            return LanguageData({DataFile(kCodes[i].first), DataFile("common")});
        };
        return std::array<LanguageData, kCodes.size()>{make(0), make(1), make(2), make(3), make(4),
                                                       make(5), make(6), make(7), make(8)};
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
                continue;
            }
            if (section == "starters") {
                starters_.push_back(FoldedKey(line));
            } else if (section == "ordinal-nouns") {
                ordinalNouns_.push_back(FoldedKey(line));
            } else if (section == "particles") {
                particles_.emplace_back(line);
            } else if (section == "quoting") {
                quoting_.emplace_back(line);
            } else if (section == "options") {
                ordinalNumbers_ = ordinalNumbers_ || line == "ordinal-numbers";
            } else if (section == "never" || section == "final" || section == "abbreviations" ||
                       section == "capitalized" || section == "endings" || section == "numeric") {
                const std::string_view word = line.back() == '.' ? line.substr(0, line.size() - 1) : line;
                Abbreviation entry{FoldedKey(word),
                                   section == "never"     ? AbbreviationKind::Never
                                   : section == "final"   ? AbbreviationKind::Final
                                   : section == "numeric" ? AbbreviationKind::Numeric
                                                          : AbbreviationKind::General,
                                   section == "capitalized"};
                (section == "endings" ? endings_ : abbreviations_).push_back(std::move(entry));
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
    std::sort(starters_.begin(), starters_.end());
    std::sort(ordinalNouns_.begin(), ordinalNouns_.end());
    for (auto* list : {&particles_, &quoting_}) {
        std::sort(list->begin(), list->end(),
                  [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    }
}

const Abbreviation* LanguageData::FindAbbreviation(std::string_view key, bool capitalized) const {
    const auto it = std::lower_bound(abbreviations_.begin(), abbreviations_.end(), key,
                                     [](const Abbreviation& a, std::string_view k) { return a.key < k; });
    if (it != abbreviations_.end() && it->key == key && (capitalized || !it->capital)) {
        return &*it;
    }
    for (const Abbreviation& ending : endings_) {
        if (key.size() > ending.key.size() && key.ends_with(ending.key)) {
            return &ending;
        }
    }
    return nullptr;
}

bool LanguageData::IsStarter(std::string_view key) const {
    return std::binary_search(starters_.begin(), starters_.end(), key,
                              [](std::string_view a, std::string_view b) { return a < b; });
}

bool LanguageData::IsOrdinalNoun(std::string_view key) const {
    return std::binary_search(ordinalNouns_.begin(), ordinalNouns_.end(), key,
                              [](std::string_view a, std::string_view b) { return a < b; });
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
