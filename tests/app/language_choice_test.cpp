// The language of a run: the desktop's locale, the player's kept choice and
// --lang, and what the screen settings file keeps of it afterwards.
#include "app/language_choice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/base/language.h"
#include "platform/settings/display_settings.h"

namespace {

using platform::Language;

// The "lang = ..." line of a settings file's text, or "" for none.
std::string LangLine(const std::string& text) {
  const std::size_t at = text.find("lang = ");
  return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
}

TEST(LanguageChoice, LocaleThenKeptChoiceThenOptionAndWhatIsKept) {
  const struct {
    const char* lcAll;  // nullptr: unset
    const char* lcMessages;
    const char* lang;
    std::optional<Language> option;  // --lang
    const char* file;                // the settings file at the start
    Language expected;
    const char* keptLine;  // the file's language line at the end
  } cases[] = {
      {nullptr, nullptr, nullptr, std::nullopt, "", Language::kEnglish, ""},  // no locale at all: C
      {nullptr, nullptr, "ja_JP.UTF-8", std::nullopt, "", Language::kJapanese, ""},
      {nullptr, nullptr, "en_GB.UTF-8", std::nullopt, "", Language::kEnglish, ""},
      {nullptr, nullptr, "ja", std::nullopt, "", Language::kJapanese, ""},
      {nullptr, nullptr, "C", std::nullopt, "", Language::kEnglish, ""},
      {nullptr, nullptr, "jp_JP", std::nullopt, "", Language::kEnglish, ""},  // not "ja"
      {nullptr, "ja_JP.eucJP", "en_US", std::nullopt, "", Language::kJapanese, ""},
      {nullptr, "en_US.UTF-8", "ja_JP.UTF-8", std::nullopt, "", Language::kEnglish, ""},
      {"ja_JP.UTF-8", "en_US", "en_US", std::nullopt, "", Language::kJapanese, ""},
      {"C.UTF-8", "ja_JP", "ja_JP", std::nullopt, "", Language::kEnglish, ""},
      {"", "", "ja_JP.UTF-8", std::nullopt, "", Language::kJapanese, ""},  // empty is unset
      {"", "fr_FR", "ja_JP.UTF-8", std::nullopt, "", Language::kEnglish, ""},
      // The player's kept choice outranks the locale; the file stays as it is.
      {nullptr, nullptr, "ja_JP.UTF-8", std::nullopt, "lang = en\n", Language::kEnglish,
       "lang = en"},
      {"en_US", nullptr, nullptr, std::nullopt, "lang = ja\n", Language::kJapanese, "lang = ja"},
      // --lang outranks both and becomes the kept choice.
      {nullptr, nullptr, "ja_JP.UTF-8", Language::kEnglish, "", Language::kEnglish, "lang = en"},
      {"en_US", nullptr, nullptr, Language::kJapanese, "", Language::kJapanese, "lang = ja"},
      {nullptr, nullptr, nullptr, Language::kJapanese, "lang = en\n", Language::kJapanese,
       "lang = ja"},
  };
  for (const auto& c : cases) {
    const std::string what = std::string("--lang ") +
                             (c.option ? platform::LanguageName(*c.option) : "(none)") + " file '" +
                             c.file + "' LANG " + (c.lang != nullptr ? c.lang : "(unset)");
    CommandLine options;
    options.language = c.option;
    const auto saved = platform::ParseDisplaySettings(c.file);
    ASSERT_TRUE(saved.has_value()) << what;
    platform::DisplaySettings started = *saved;
    const Language desktop = platform::LanguageOfLocale(c.lcAll, c.lcMessages, c.lang);
    EXPECT_EQ(ChooseLanguage(options, &started, desktop), c.expected) << what;
    const auto kept = platform::DisplaySettingsToSave(*saved, started, started);
    EXPECT_EQ(LangLine(platform::FormatDisplaySettings(kept)), c.keptLine) << what;
  }
}

}  // namespace
