// The options a player or a desktop menu may give, in the GNU manner, and the
// one-line errors for everything else.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLine Parse(std::vector<std::string> words) {
  words.insert(words.begin(), "morvex2");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(words.size()), argv.data());
}

using Action = CommandLine::Action;

TEST(CommandLineTest, ReadsEachOptionTheGnuWay) {
  const struct {
    std::vector<std::string> words;
    Action action;
    std::string dataDir;
    std::optional<bool> fullscreen;
    std::string error;
  } cases[] = {
      {{}, Action::kPlay, "", std::nullopt, ""},
      {{"--help"}, Action::kHelp, "", std::nullopt, ""},
      {{"-h"}, Action::kHelp, "", std::nullopt, ""},
      {{"--version"}, Action::kVersion, "", std::nullopt, ""},
      {{"-V"}, Action::kVersion, "", std::nullopt, ""},
      {{"--data-dir", "/media/stick/scores"}, Action::kPlay, "/media/stick/scores", {}, ""},
      {{"--data-dir=rel dir"}, Action::kPlay, "rel dir", std::nullopt, ""},
      {{"--data"}, Action::kError, "", std::nullopt, "option '--data' requires an argument"},
      {{"--window"}, Action::kPlay, "", false, ""},
      {{"--fullscreen"}, Action::kPlay, "", true, ""},
      {{"--window", "--fullscreen"}, Action::kPlay, "", true, ""},  // the last one wins
      {{"--win"}, Action::kPlay, "", false, ""},                    // an unambiguous prefix
      {{"--bogus"}, Action::kError, "", std::nullopt, "unrecognized option '--bogus'"},
      {{"-x"}, Action::kError, "", std::nullopt, "invalid option -- 'x'"},
      {{"--data-dir"},
       Action::kError,
       "",
       std::nullopt,
       "option '--data-dir' requires an argument"},
      {{"level2"}, Action::kError, "", std::nullopt, "unexpected argument 'level2'"},
      {{"--", "--help"}, Action::kError, "", std::nullopt, "unexpected argument '--help'"},
  };
  for (const auto& c : cases) {
    const CommandLine line = Parse(c.words);
    const std::string given = testing::PrintToString(c.words);
    EXPECT_EQ(line.action, c.action) << given;
    if (c.action == Action::kError) {
      EXPECT_EQ(line.error, c.error) << given;
      continue;
    }
    EXPECT_EQ(line.dataDir, c.dataDir) << given;
    EXPECT_EQ(line.fullscreen, c.fullscreen) << given;
  }
}

TEST(CommandLineTest, UsageNamesEveryOption) {
  const std::string usage = UsageText();
  for (const char* option : {"--data-dir", "--window", "--fullscreen", "--help", "--version"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(usage.rfind("Usage: morvex2 ", 0), 0u);
}

}  // namespace
