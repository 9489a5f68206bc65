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

} // namespace brantlewick
