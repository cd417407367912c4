// A whole game through morvex2-sim: a committed script from seed 0 to game
// over, its output compared line for line with the committed expected output.
// MORVEX2_UPDATE_GOLDEN=1 rewrites the expected output from the current program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kGames = fs::path(MORVEX2_SOURCE_DIR) / "tests/play/games";

bool UpdatingGoldens() {
  const char* update = std::getenv("MORVEX2_UPDATE_GOLDEN");
  return update != nullptr && std::string_view(update) == "1";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The simulator's standard output for `script`; `status` is its exit status.
std::string RunGame(const fs::path& script, int& status) {
  const std::string command =
      "'" + std::string(MORVEX2_SIM_PATH) + "' game < '" + script.string() + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  if (pipe == nullptr) return out;
  char buffer[1 << 16];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, got);
  }
  status = pclose(pipe);
  return out;
}

bool Contains(const std::string& line, std::string_view part) {
  return line.find(part) != std::string::npos;
}

TEST(WholeGameTest, SeedZeroPlayedToGameOverGivesTheExpectedStates) {
  const fs::path script = kGames / "seed0.script";
  const fs::path expected = kGames / "seed0.jsonl";
  int status = -1;
  const std::string out = RunGame(script, status);
  ASSERT_EQ(status, 0);
  const std::vector<std::string> got = Lines(out);
  ASSERT_FALSE(got.empty());
  // The script must still reach game over, with balloons popped on the way.
  EXPECT_TRUE(Contains(got.back(), "[\"ChangeScene\",3]")) << got.back().substr(0, 200);
  EXPECT_FALSE(Contains(got.back(), "\"removedCount\":0,")) << "no balloon was popped";
  if (UpdatingGoldens()) {
    std::ofstream(expected, std::ios::binary) << out;
    return;
  }
  const std::vector<std::string> want = Lines(ReadFile(expected));
  for (std::size_t i = 0; i < got.size() && i < want.size(); ++i) {
    ASSERT_EQ(got[i], want[i]) << "line " << i + 1;
  }
  ASSERT_EQ(got.size(), want.size()) << "number of lines";
}

}  // namespace
