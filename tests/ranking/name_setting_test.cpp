// A name chosen with --name: the bytes the tables get, cut between two
// characters, and the settings file it goes into, kept apart from the name.
// The plain cases run through the real program in tests/smoke/name_option.sh.
#include "ranking/name_setting.h"

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "tests/ranking/score_file_helpers.h"

namespace {

using namespace ranking_test;
namespace fs = std::filesystem;

TEST(NameSetting, NamesBecomeTheShiftJisBytesTheTablesHold) {
  const struct {
    const char* typed;
    std::optional<std::string> held;  // nullopt: refused with `error`
    const char* error = "";
  } cases[] = {
      {"ｹｲ", "\xb9\xb2"},  // half-width katakana: one byte each
      // Eight two-byte characters fill the 16 bytes exactly.
      {"あいうえおかきくけ", "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x82\xa9\x82\xab\x82\xad"},
      {"Kei\tx", std::nullopt, "the name has a control character"},
      {"Kei\xff", std::nullopt,
       "the name has a character the high-score tables cannot hold (not in Shift-JIS)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    std::string error;
    const std::optional<PlayerName> name = PlayerNameFromUtf8(c.typed, &error);
    ASSERT_EQ(name.has_value(), c.held.has_value());
    if (name) {
      EXPECT_EQ(std::string(name->bytes.data(), name->length), *c.held);
    } else {
      EXPECT_EQ(error, c.error);
    }
  }
}

using NameFileTest = ScoreFileTest;

TEST_F(NameFileTest, TheNameTakesTheFirst16BytesAndTheRestIsKept) {
  std::string error;
  const PlayerName kei = *PlayerNameFromUtf8("Kei", &error);
  const std::string tail = "\n[other]\nkept=yes\n";
  const std::string old = "SomeoneElse12345" + tail;
  const std::string written = std::string("Kei") + std::string(13, '\0');
  const struct {
    const char* what;
    std::function<void()> prepare;
    std::string after;  // of the file the name leads to
  } cases[] = {
      {"no file", [] {}, written},
      {"a longer file", [&] { WriteFile("zel.ini", old); }, written + tail},
      {"a short file", [] { WriteFile("zel.ini", std::string("Ta")); }, written},
      {"a link", [&] { WriteFile("real.ini", old), fs::create_symlink("real.ini", "zel.ini"); },
       written + tail},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove("zel.ini");
    fs::remove("real.ini");
    c.prepare();
    const bool linked = fs::is_symlink("zel.ini");
    const bool existed = fs::exists("zel.ini");
    if (existed) ::chmod("zel.ini", 0600);  // a mode of the player's, kept
    ASSERT_TRUE(WritePlayerName(kei, &error)) << error;
    const Bytes after = ReadFile("zel.ini");
    EXPECT_EQ(std::string(after.begin(), after.end()), c.after);
    EXPECT_EQ(fs::is_symlink("zel.ini"), linked);
    EXPECT_EQ(fs::status("zel.ini").permissions(), fs::perms(existed ? 0600 : 0644));
  }
}

TEST_F(NameFileTest, ALinkToNothingIsLeftAsItWas) {
  std::string error;
  fs::create_symlink("gone.ini", "zel.ini");
  EXPECT_FALSE(WritePlayerName(*PlayerNameFromUtf8("Kei", &error), &error));
  EXPECT_EQ(error, "cannot write zel.ini: the link leads to no file");
  EXPECT_TRUE(fs::is_symlink("zel.ini"));
  EXPECT_FALSE(fs::exists("gone.ini"));
}

}  // namespace
