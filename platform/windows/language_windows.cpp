// The desktop's language on Windows: the player's display language, unless
// the locale's variables say otherwise (as they do where Wine runs the game).
#include <windows.h>

#include <cstdlib>

#include "platform/base/language.h"

namespace platform {

Language EnvironmentLanguage() {
  const char* lcAll = std::getenv("LC_ALL");
  const char* lcMessages = std::getenv("LC_MESSAGES");
  const char* lang = std::getenv("LANG");
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value != nullptr && value[0] != '\0') return LanguageOfLocale(lcAll, lcMessages, lang);
  }
  return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::kJapanese
                                                                      : Language::kEnglish;
}

}  // namespace platform
