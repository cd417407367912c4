// The two languages the game can speak to the player, their names on the
// command line and in the settings file, and the one the desktop asks for.
// Japanese is the game's own; English is the translation.
#pragma once

#include <optional>
#include <string_view>

namespace platform {

enum class Language { kJapanese, kEnglish };

// "ja" or "en"; nullopt for anything else.
[[nodiscard]] std::optional<Language> LanguageNamed(std::string_view name);
const char* LanguageName(Language language);

// As desktop programs read the locale: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty decides; Japanese where it begins with "ja",
// English otherwise (also when none is set). A null pointer is an unset one.
Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);
// The desktop's language: the same, read from this process's environment; on
// Windows, where these are seldom set, the player's display language.
Language EnvironmentLanguage();

}  // namespace platform
