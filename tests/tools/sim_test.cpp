// morvex2-sim as a program: committed examples against their expected output,
// line for line, and malformed input refused. MORVEX2_UPDATE_GOLDEN=1 rewrites
// the expected outputs from the current program instead of comparing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

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
  const fs::path in = dir / "in", out = dir / "out", err = dir / "err";
  std::ofstream(in, std::ios::binary) << input;

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::string program = MORVEX2_SIM_PATH;
  std::vector<char*> argv = {program.data(), const_cast<char*>(mode.c_str()), nullptr};
  SimRun run;
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ) == 0) {
    int wait = 0;
    waitpid(pid, &wait, 0);
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
  }
  posix_spawn_file_actions_destroy(&files);
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  fs::remove_all(dir);
  return run;
}

void ExpectSameLines(const std::string& actual, const std::string& expected) {
  const std::vector<std::string> got = Lines(actual), want = Lines(expected);
  for (std::size_t i = 0; i < got.size() && i < want.size(); ++i) {
    ASSERT_EQ(got[i], want[i]) << "line " << i + 1;
  }
  ASSERT_EQ(got.size(), want.size()) << "number of lines";
}

TEST(Sim, ExamplesGiveTheirExpectedOutput) {
  const bool update = std::getenv("MORVEX2_UPDATE_GOLDEN") != nullptr &&
                      std::string(std::getenv("MORVEX2_UPDATE_GOLDEN")) == "1";
  int examples = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kExamples)) {
    const fs::path input = entry.path();
    const std::string mode = input.extension() == ".field"    ? "clear"
                             : input.extension() == ".script" ? "game"
                                                              : "";
    if (mode.empty()) continue;
    ++examples;
    SCOPED_TRACE(input.filename().string());
    const SimRun run = RunSim(mode, ReadFile(input));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    fs::path expected = input;
    expected.replace_extension(".jsonl");
    if (update) {
      std::ofstream(expected, std::ios::binary) << run.out;
    } else {
      ExpectSameLines(run.out, ReadFile(expected));
    }
  }
  EXPECT_GE(examples, 2);
}

TEST(Sim, GameEndsWithTheEventThatSwitchesScenes) {
  const SimRun run = RunSim("game", "seed 7\nlevel 0\ntick\nkey 27\ntick\ntick\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("\"event\":\"start\""), std::string::npos);
  EXPECT_NE(lines[0].find("\"calls\":[[\"SetLastResult\",0,0],[\"SetTimer\",1,500]]"),
            std::string::npos);
  EXPECT_NE(lines[2].find("[\"ChangeScene\",1]"), std::string::npos);
}

TEST(Sim, ClearStopsAtMaxTicks) {
  // A pin in row 0 of an empty field: eleven rows to fall.
  std::string field = "maxTicks 3\n-1 0 0 0 0 0 0 0\n";
  for (int row = 1; row < 12; ++row) field += "0 0 0 0 0 0 0 0\n";
  const SimRun run = RunSim("clear", field);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out).size(), 3u);
}

TEST(Sim, MalformedInputIsOneLineOnStandardErrorAndStatusTwo) {
  const std::string row = "0 0 0 0 0 0 0 0\n";
  std::string rows;
  for (int i = 0; i < 12; ++i) rows += row;
  struct Case {
    const char* mode;
    std::string input;
  };
  const Case cases[] = {
      {"clear", ""},
      {"clear", rows + row},
      {"clear", rows.substr(row.size())},
      {"clear", "0 0 0 0 0 0 0\n" + rows.substr(row.size())},
      {"clear", "0 0 0 0 0 0 0 x\n" + rows.substr(row.size())},
      {"clear", "0 0 0 0 0 0 0 2147483648\n" + rows.substr(row.size())},
      {"clear", "interval 10 20\n" + rows},
      {"clear", "maxTicks -1\n" + rows},
      {"clear", "chainPoints 1\nchainPoints 2\n" + rows},
      {"clear", "speed 3\n" + rows},
      {"clear", std::string("0 0 0\0 0 0 0 0 0\n", 17) + rows.substr(row.size())},
      {"game", "jump\n"},
      {"game", "tick\nseed 3\n"},
      {"game", "level 3\n"},
      {"game", "seed 4294967296\n"},
      {"game", "key\n"},
      {"game", "key 256\n"},
      {"game", "tick 1\n"},
      {"other", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + ": " + c.input.substr(0, 40));
    const SimRun run = RunSim(c.mode, c.input);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("morvex2-sim: ", 0), 0u) << run.err;
  }
}

}  // namespace
