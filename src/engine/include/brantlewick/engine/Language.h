// SPDX-License-Identifier: GPL-3.0-or-later
// The languages the sentence mode has lists for, and how a language is named by a code or a locale.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace brantlewick {

enum class Language { English, German, French, Spanish, Italian, Russian, Dutch, Japanese, Chinese };

struct LanguageRow {
    Language language;
    std::string_view code;     // ISO 639-1, as options, settings and front matter name it
    std::string_view name;     // in English, as the window lists it
    std::string_view wordList; // the file in src/engine/sentences/data the sentence mode reads
};

// The languages in the order the window lists them: the one list the command line's choices, the
// window's list, the build's word lists (CMake reads the file names from these rows) and the engine
// read. A language added here needs its word list and a place in the enum, in the same order.
inline constexpr std::array<LanguageRow, 9> kLanguages = {{
    {Language::English, "en", "English", "en.txt"},
    {Language::German, "de", "German", "de.txt"},
    {Language::French, "fr", "French", "fr.txt"},
    {Language::Spanish, "es", "Spanish", "es.txt"},
    {Language::Italian, "it", "Italian", "it.txt"},
    {Language::Russian, "ru", "Russian", "ru.txt"},
    {Language::Dutch, "nl", "Dutch", "nl.txt"},
    {Language::Japanese, "ja", "Japanese", "ja.txt"},
    {Language::Chinese, "zh", "Chinese", "zh.txt"},
}};

static_assert(
    [] {
        for (std::size_t i = 0; i < kLanguages.size(); ++i) {
            if (static_cast<std::size_t>(kLanguages[i].language) != i) {
                return false;
            }
        }
        return true;
    }(),
    "kLanguages lists the languages in the enum's order, so that a language indexes its row");

// A code of kLanguages (ASCII case ignored); nothing for anything else.
std::optional<Language> LanguageFromCode(std::string_view code);
// The language of a locale name such as "de_DE.UTF-8", "pt-BR" or "C"; English when none of ours.
Language LanguageFromLocale(std::string_view localeName);
// The language of the user's locale, as the environment names it for messages (LC_ALL, LC_MESSAGES,
// LANG, the first one set); English when none of ours.
Language UserLanguage();
std::string_view LanguageCode(Language language);
// The language the start of a UTF-8 text is written in: Russian, Japanese or Chinese by the script most
// of its letters are in; for Latin letters, the language whose most frequent short words it uses most,
// by a clear lead. Nothing when too few letters or words tell.
std::optional<Language> LanguageOfText(std::string_view text);
// The language of a paragraph, from its start, in a text in `textLanguage`: the one the start tells
// clearly, or in Latin letters by a lead of two common words over the text's own; else the text's.
Language LanguageOfParagraph(std::string_view start, Language textLanguage);
// The language a front matter at the text's start names by a top-level "lang:" or "language:" key
// ("de", "fr-CA"); nothing when there is none or it names none of ours.
std::optional<Language> FrontMatterLanguage(std::string_view text);

} // namespace brantlewick
