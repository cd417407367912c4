// morvex2-sim as a program: committed examples against their expected output,
// line for line, and malformed input refused. MORVEX2_UPDATE_GOLDEN=1 first
// rewrites the expected outputs from the current program.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/golden_update.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const fs::path kExamples = fs::path(MORVEX2_SOURCE_DIR) / "tests/tools/examples";

struct SimRun {
  int status = -1;
  std::string out;
  std::string err;
};

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

// Runs the simulator with `input` on standard input. Files, not pipes, carry
// the streams, so a long output can never stall the run.
SimRun RunSim(const std::string& mode, const std::string& input) {
  const fs::path dir = fs::temp_directory_path() / ("morvex2-sim-test-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "in", std::ios::binary) << input;
  const std::string command = "'" MORVEX2_SIM_PATH "' '" + mode + "' <'" + (dir / "in").string() +
                              "' >'" + (dir / "out").string() + "' 2>'" + (dir / "err").string() +
                              "'";
  const int wait = std::system(command.c_str());
  SimRun run{WIFEXITED(wait) ? WEXITSTATUS(wait) : -1, ReadFile(dir / "out"),
             ReadFile(dir / "err")};
  fs::remove_all(dir);
  return run;
}

// Clearing phases (.field) and scripted games (.script), one of them from seed 0
// to game over.
TEST(Sim, ExamplesGiveTheirExpectedOutput) {
  int examples = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kExamples)) {
    const fs::path input = entry.path(), expected = fs::path(input).replace_extension(".jsonl");
    if (input.extension() == ".jsonl") continue;
    ++examples;
    const SimRun run = RunSim(input.extension() == ".field" ? "clear" : "game", ReadFile(input));
    EXPECT_EQ(run.status, 0) << input;
    EXPECT_EQ(run.err, "") << input;
    if (testsupport::UpdatingGoldens()) std::ofstream(expected) << run.out;
    const std::vector<std::string> got = Lines(run.out), want = Lines(ReadFile(expected));
    for (std::size_t i = 0; i < got.size() && i < want.size(); ++i) {
      ASSERT_EQ(got[i], want[i]) << input << ", line " << i + 1;
    }
    ASSERT_EQ(got.size(), want.size()) << input << ": number of lines";
  }
  EXPECT_GE(examples, 7);
}

// A recorded game read as a script: one state a message, ending where the
// game did, with the score and removed count it was recorded with.
TEST(Sim, AReplayIsPlayedToItsRecordedEnd) {
  const std::string replay = ReadFile(fs::path(MORVEX2_SOURCE_DIR) / "tests/replays/middle.mvr");
  const SimRun run = RunSim("game", replay);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_FALSE(lines.empty());
  const std::string& last = lines.back();
  EXPECT_NE(last.find("\"score\":720,\"removedCount\":12,"), std::string::npos) << last;
  EXPECT_NE(last.find("[\"ChangeScene\",3]"), std::string::npos) << last;
  EXPECT_EQ(lines.size(), 727u) << "the start and one line for each of the 726 messages";
}

TEST(Sim, MalformedInputIsOneLineOnStandardErrorAndStatusTwo) {
  std::string rows;
  for (int i = 0; i < 11; ++i) rows += "0 0 0 0 0 0 0 0\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"clear", rows},                                 // 11 rows
      {"clear", rows + "0 0 0 0 0 0 0 0\n" + rows},    // 23 rows
      {"clear", rows + "0 0 0 0 0 0 0\n"},             // 7 kinds
      {"clear", rows + "0 0 0 0 0 0 0 2147483648\n"},  // past 32 bits
      {"clear", rows + "0 0 0\0 0 0 0 0 0\n"s},
      {"clear", "maxTicks -1\n" + rows + rows},
      {"clear", "interval 1\ninterval 2\n" + rows},
      {"game", "jump\n"},
      {"game", "tick\nseed 3\n"},
      {"game", "level 3\n"},
      {"game", "key 256\n"},
      {"game", ReadFile(fs::path(MORVEX2_SOURCE_DIR) / "tests/replays/middle.mvr").substr(0, 100)},
      {"other", ""},
  };
  for (const auto& [mode, input] : cases) {
    SCOPED_TRACE(mode + ": " + input.substr(input.size() > 40 ? input.size() - 40 : 0));
    const SimRun run = RunSim(mode, input);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("morvex2-sim: ", 0), 0u) << run.err;
  }
}

}  // namespace
