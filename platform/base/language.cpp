#include "platform/base/language.h"

namespace platform {

std::optional<Language> LanguageNamed(std::string_view name) {
  if (name == "ja") return Language::kJapanese;
  if (name == "en") return Language::kEnglish;
  return std::nullopt;
}

const char* LanguageName(Language language) {
  return language == Language::kJapanese ? "ja" : "en";
}

Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value == nullptr || value[0] == '\0') continue;
    return std::string_view(value).starts_with("ja") ? Language::kJapanese : Language::kEnglish;
  }
  return Language::kEnglish;
}

}  // namespace platform
