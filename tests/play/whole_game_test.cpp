// A whole game through morvex2-sim: the committed script from seed 0 to game
// over gives the committed output line for line. MORVEX2_UPDATE_GOLDEN=1
// rewrites the expected output from the current program instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const std::string kGames = MORVEX2_SOURCE_DIR "/tests/play/games/";

std::string RunSimGame(const std::string& script) {
  const std::string command = "'" MORVEX2_SIM_PATH "' game < '" + script + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[1 << 16];
  for (std::size_t got;
       pipe != nullptr && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, got);
  }
  EXPECT_TRUE(pipe != nullptr && pclose(pipe) == 0);
  return out;
}

TEST(WholeGameTest, SeedZeroPlayedToGameOverGivesTheExpectedStates) {
  const std::string out = RunSimGame(kGames + "seed0.script");
  // The script still has to reach game over, with balloons popped on the way.
  const std::string last = out.substr(out.rfind('\n', out.size() - 2) + 1);
  EXPECT_NE(last.find("[\"ChangeScene\",3]"), std::string::npos);
  EXPECT_EQ(last.find("\"removedCount\":0,"), std::string::npos);
  const char* update = std::getenv("MORVEX2_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream(kGames + "seed0.jsonl", std::ios::binary) << out;
    return;
  }
  std::ifstream expectedFile(kGames + "seed0.jsonl", std::ios::binary);
  std::istringstream got(out);
  std::string want, line;
  for (int number = 1; std::getline(expectedFile, want); ++number) {
    ASSERT_TRUE(std::getline(got, line)) << "output ends before line " << number;
    ASSERT_EQ(line, want) << "line " << number;
  }
  EXPECT_FALSE(std::getline(got, line)) << "output goes on past the expected lines";
}

}  // namespace
