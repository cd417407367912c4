// What the server's process tests share: a scratch folder, the server's
// clock, and a true game submitted through a running server.
#pragma once

#include <cstdint>
#include <string>

#include "core/replay_file.h"
#include "tests/server/server_process.h"

namespace testworld {

inline constexpr std::int64_t kTestStartMs = 1'796'000'000'000;  // 2026-11-30T00:53:20Z

// A folder of the test's own, removed with everything in it when this goes.
class Scratch {
 public:
  Scratch();
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  [[nodiscard]] const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The server's clock while this lives: a file in `folder` that a server
// started meanwhile reads at each request (MORVEX2_SERVER_TEST_CLOCK).
class TestClock {
 public:
  explicit TestClock(const std::string& folder);
  ~TestClock();
  TestClock(const TestClock&) = delete;
  TestClock& operator=(const TestClock&) = delete;
  void Set(std::int64_t ms);
  void Advance(std::int64_t ms) { Set(now_ + ms); }
  [[nodiscard]] std::int64_t Now() const { return now_; }

 private:
  std::string path_;
  std::int64_t now_ = 0;
};

// A submission's body: the name and the replay in base64.
std::string Body(const std::string& name, const Replay& replay);

// A true game of `durationMs` (or as long as it needs) played through `server` with `clock` from
// ticket to submission under `name`; the answer.
Reply PlayAndSubmit(const ServerProcess& server, TestClock& clock, std::int32_t level,
                    const std::string& name, std::uint32_t durationMs = 30'000);

}  // namespace testworld
