#include "tests/server/world_scratch.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "formats/base64.h"
#include "tests/server/scripted_game.h"

namespace testworld {

namespace fs = std::filesystem;

Scratch::Scratch() {
  std::string pattern = (fs::temp_directory_path() / "morvex2-world-XXXXXX").string();
  path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
}

Scratch::~Scratch() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

TestClock::TestClock(const std::string& folder) : path_(folder + "/clock") {
  Set(kTestStartMs);
  setenv("MORVEX2_SERVER_TEST_CLOCK", path_.c_str(), 1);
}

TestClock::~TestClock() {
  unsetenv("MORVEX2_SERVER_TEST_CLOCK");
}

void TestClock::Set(std::int64_t ms) {
  now_ = ms;
  // Written whole and renamed into place: a server reading the clock meanwhile never finds
  // the file empty, which would send it to the real clock for that request.
  const std::string next = path_ + ".next";
  std::ofstream(next, std::ios::trunc) << ms;
  fs::rename(next, path_);
}

std::string Body(const std::string& name, const Replay& replay) {
  return nlohmann::json{{"name", name}, {"replay", formats::EncodeBase64(EncodeReplay(replay))}}
      .dump();
}

Reply PlayAndSubmit(const ServerProcess& server, TestClock& clock, std::int32_t level,
                    const std::string& name, std::uint32_t durationMs) {
  const Reply issued = server.Post("/api/v1/tickets", "{\"level\":" + std::to_string(level) + "}");
  if (issued.status != 201) return issued;
  const std::string path = "/api/v1/tickets/" + issued.Text("ticket");
  if (const Reply started = server.Post(path + "/start"); started.status != 204) return started;
  const Replay replay =
      PlayScriptedGame(static_cast<std::uint32_t>(issued.Number("seed")), level, durationMs);
  clock.Advance(replay.messages.back().timeMs);
  if (const Reply ended = server.Post(path + "/end"); ended.status != 204) return ended;
  return server.Post(path + "/replay", Body(name, replay));
}

}  // namespace testworld
