#include "core/language.h"

namespace {
platform::Language g_language = platform::Language::kJapanese;
}  // namespace

void SetLanguage(platform::Language language) {
  g_language = language;
}

platform::Language GetLanguage() {
  return g_language;
}

const char* Localized(const char* japanese, const char* english) {
  return g_language == platform::Language::kEnglish ? english : japanese;
}
