// The options a player or a desktop menu may give, in the GNU manner, and the
// one-line errors for everything else.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

CommandLine Parse(std::vector<std::string> words) {
  words.insert(words.begin(), "morvex2");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(words.size()), argv.data());
}

// What a command line gives, in one line: the action and whatever options it
// set; for an error, only what was wrong.
std::string Described(const CommandLine& line) {
  using Action = CommandLine::Action;
  if (line.action == Action::kError) return "error: " + line.error;
  std::string text = line.action == Action::kHelp      ? "help"
                     : line.action == Action::kVersion ? "version"
                                                       : "play";
  if (!line.dataDir.empty()) text += " dataDir=" + line.dataDir;
  if (line.fullscreen) text += *line.fullscreen ? " fullscreen" : " window";
  if (line.pixelExact) text += *line.pixelExact ? " pixel-exact" : " smooth";
  if (!line.replay.empty()) text += " replay=" + line.replay;
  if (line.name) text += " name=" + *line.name;
  if (line.language) text += std::string(" lang=") + platform::LanguageName(*line.language);
  if (line.mute) text += " mute";
  if (line.colourAid) text += " colour-aid";
  if (line.server) text += " server=" + *line.server;
  return text;
}

TEST(CommandLineTest, ReadsEachOptionTheGnuWay) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "play"},
      {{"--help"}, "help"},
      {{"-h"}, "help"},
      {{"--version"}, "version"},
      {{"-V"}, "version"},
      {{"--data-dir", "/media/stick/scores"}, "play dataDir=/media/stick/scores"},
      {{"--data-dir=rel dir"}, "play dataDir=rel dir"},
      {{"--data"}, "error: option '--data' requires an argument"},
      {{"--window"}, "play window"},
      {{"--fullscreen"}, "play fullscreen"},
      {{"--window", "--fullscreen"}, "play fullscreen"},  // the last one wins
      {{"--win"}, "play window"},                         // an unambiguous prefix
      {{"--scale=pixel-exact"}, "play pixel-exact"},
      {{"--scale", "smooth"}, "play smooth"},
      {{"--scale=blurry"},
       "error: invalid argument 'blurry' for '--scale' (smooth or pixel-exact)"},
      {{"--bogus"}, "error: unrecognized option '--bogus'"},
      {{"-x"}, "error: invalid option -- 'x'"},
      {{"--data-dir"}, "error: option '--data-dir' requires an argument"},
      {{"level2"}, "error: unexpected argument 'level2'"},
      {{"--", "--help"}, "error: unexpected argument '--help'"},
      {{"--replay", "last.mvr"}, "play replay=last.mvr"},
      {{"--mute", "--colour-aid"}, "play mute colour-aid"},
      {{"--colour"}, "play colour-aid"},
      {{"--mute=yes"}, "error: option '--mute' doesn't allow an argument"},
      {{"--help=all"}, "error: option '--help' doesn't allow an argument"},
      {{"--replay=/tmp/a b.mvr", "--window"}, "play window replay=/tmp/a b.mvr"},
      {{"--rep=zyou-best.mvr"}, "play replay=zyou-best.mvr"},
      {{"--replay"}, "error: option '--replay' requires an argument"},
      {{"--replay", "a.mvr", "b.mvr"}, "error: unexpected argument 'b.mvr'"},
      {{"--name", "太郎", "--window"}, "play window name=太郎"},
      {{"--name="}, "play name="},  // refused later, in one line of its own
      {{"--name"}, "error: option '--name' requires an argument"},
      {{"--name=Kei", "--replay=a.mvr"}, "error: '--name' cannot be given with '--replay'"},
      {{"--lang", "en"}, "play lang=en"},
      {{"--lang=ja", "--window"}, "play window lang=ja"},
      {{"--lang=en", "--lang=ja"}, "play lang=ja"},
      {{"--lang=fr"}, "error: invalid argument 'fr' for '--lang' (ja or en)"},
      {{"--lang=JA"}, "error: invalid argument 'JA' for '--lang' (ja or en)"},
      {{"--lang="}, "error: invalid argument '' for '--lang' (ja or en)"},
      {{"--lang"}, "error: option '--lang' requires an argument"},
      {{"--server", "http://127.0.0.1:8770/"}, "play server=http://127.0.0.1:8770"},
      {{"--server=https://tables.example.org"}, "play server=https://tables.example.org"},
      {{"--server=none"}, "play server="},
      {{"--server=tables.example.org"},
       "error: invalid argument 'tables.example.org' for '--server' (an http:// or https:// "
       "address, or none)"},
      {{"--server"}, "error: option '--server' requires an argument"},
  };
  for (const auto& [words, expected] : cases) {
    EXPECT_EQ(Described(Parse(words)), expected) << testing::PrintToString(words);
  }
}

TEST(CommandLineTest, UsageNamesEveryOption) {
  const std::string usage = UsageText();
  for (const char* option :
       {"--data-dir", "--window", "--fullscreen", "--scale", "--lang", "--replay", "--name",
        "--mute", "--colour-aid", "--server", "--help", "--version"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(usage.rfind("Usage: morvex2 ", 0), 0u);
}

}  // namespace
