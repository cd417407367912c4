// The language of a run: the desktop's locale, the player's kept choice and
// --lang, and what the screen settings file keeps of it afterwards.
#include "app/language_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/language.h"
#include "platform/sdl/display_settings.h"

namespace {

using platform::Language;

CommandLine Parse(std::vector<std::string> words) {
  words.insert(words.begin(), "morvex2");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(words.size()), argv.data());
}

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
    std::vector<std::string> words;
    const char* file;  // the settings file at the start
    Language expected;
    const char* keptLine;  // the file's language line at the end
  } cases[] = {
      {nullptr, nullptr, nullptr, {}, "", Language::kEnglish, ""},  // no locale at all: C
      {nullptr, nullptr, "ja_JP.UTF-8", {}, "", Language::kJapanese, ""},
      {nullptr, nullptr, "en_GB.UTF-8", {}, "", Language::kEnglish, ""},
      {nullptr, nullptr, "ja", {}, "", Language::kJapanese, ""},
      {nullptr, nullptr, "C", {}, "", Language::kEnglish, ""},
      {nullptr, nullptr, "jp_JP", {}, "", Language::kEnglish, ""},  // not "ja"
      {nullptr, "ja_JP.eucJP", "en_US", {}, "", Language::kJapanese, ""},
      {nullptr, "en_US.UTF-8", "ja_JP.UTF-8", {}, "", Language::kEnglish, ""},
      {"ja_JP.UTF-8", "en_US", "en_US", {}, "", Language::kJapanese, ""},
      {"C.UTF-8", "ja_JP", "ja_JP", {}, "", Language::kEnglish, ""},
      {"", "", "ja_JP.UTF-8", {}, "", Language::kJapanese, ""},  // empty is unset
      {"", "fr_FR", "ja_JP.UTF-8", {}, "", Language::kEnglish, ""},
      // The player's kept choice outranks the locale; the file stays as it is.
      {nullptr, nullptr, "ja_JP.UTF-8", {}, "lang = en\n", Language::kEnglish, "lang = en"},
      {"en_US", nullptr, nullptr, {}, "lang = ja\n", Language::kJapanese, "lang = ja"},
      // --lang outranks both and becomes the kept choice.
      {nullptr, nullptr, "ja_JP.UTF-8", {"--lang", "en"}, "", Language::kEnglish, "lang = en"},
      {"en_US", nullptr, nullptr, {"--lang=ja"}, "", Language::kJapanese, "lang = ja"},
      {nullptr, nullptr, nullptr, {"--lang=ja"}, "lang = en\n", Language::kJapanese, "lang = ja"},
  };
  for (const auto& c : cases) {
    const std::string what = testing::PrintToString(c.words) + " file '" + c.file + "' LANG " +
                             (c.lang != nullptr ? c.lang : "(unset)");
    const CommandLine options = Parse(c.words);
    ASSERT_EQ(options.action, CommandLine::Action::kPlay) << what;
    const auto saved = platform::ParseDisplaySettings(c.file);
    ASSERT_TRUE(saved.has_value()) << what;
    platform::DisplaySettings started = *saved;
    const Language desktop = platform::LanguageOfLocale(c.lcAll, c.lcMessages, c.lang);
    EXPECT_EQ(ChooseLanguage(options, &started, desktop), c.expected) << what;
    const auto kept = platform::KeptDisplaySettings(*saved, started, started);
    EXPECT_EQ(LangLine(platform::FormatDisplaySettings(kept)), c.keptLine) << what;
  }
}

TEST(LanguageChoice, AnUnknownLanguageIsAUsageErrorAndABadFileLineIsADamagedFile) {
  for (const char* word : {"--lang=fr", "--lang=JA", "--lang=", "--lang=english"}) {
    const CommandLine options = Parse({word});
    EXPECT_EQ(options.action, CommandLine::Action::kError) << word;
    EXPECT_NE(options.error.find("'--lang' (ja or en)"), std::string::npos) << options.error;
  }
  EXPECT_EQ(Parse({"--lang"}).error, "option '--lang' requires an argument");
  for (const char* text : {"lang = fr\n", "lang =\n", "lang = en ja\n"}) {
    EXPECT_FALSE(platform::ParseDisplaySettings(text).has_value()) << text;
  }
}

}  // namespace
