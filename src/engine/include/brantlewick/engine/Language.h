// SPDX-License-Identifier: GPL-3.0-or-later
// The languages the sentence mode has lists for, and how a language is named by a code or a locale.
#pragma once

#include <optional>
#include <string_view>

namespace brantlewick {

enum class Language { English, German, French, Spanish, Italian, Russian, Dutch, Japanese, Chinese };

// "en", "de", "fr", "es", "it", "ru", "nl", "ja", "zh" (ASCII case ignored); nothing for anything else.
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
// The language a front matter at the text's start names by a top-level "lang:" or "language:" key
// ("de", "fr-CA"); nothing when there is none or it names none of ours.
std::optional<Language> FrontMatterLanguage(std::string_view text);

} // namespace brantlewick
