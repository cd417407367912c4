// morvex2-sim: runs the play rules without a screen and prints every state as
// a line of JSON, for debugging and for checking the rules against traces.
//
//   morvex2-sim clear < FIELD    a clearing phase from a landed field
//   morvex2-sim game < SCRIPT    a game from Start, driven by ticks and keys
//   morvex2-sim game < REPLAY    the same for a recorded game (last.mvr)
//   morvex2-sim timing < REPLAY  where a recorded game's ticks stand against
//                                its timer's rhythm: one JSON line
//
// Malformed input: one line on standard error, exit status 2.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "core/replay_file.h"
#include "tools/morvex2_sim/sim_input.h"
#include "tools/morvex2_sim/sim_run.h"
#include "verify/replay_playback.h"

namespace {

constexpr int kMalformed = 2;
constexpr int kCannotWrite = 1;
// Far more than any field or script a person or a trace generator writes.
constexpr std::size_t kLargestInput = 16u << 20;

int Refuse(const std::string& reason) {
  std::fprintf(stderr, "morvex2-sim: %s\n", reason.c_str());
  return kMalformed;
}

bool ReadAll(std::FILE* in, std::string& text) {
  char buffer[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    if (text.size() + got > kLargestInput) return false;
    text.append(buffer, got);
  }
  return std::ferror(in) == 0;
}

// The worst a recorded game's ticks came against their timer: what the world
// tables' tolerance is measured from, over games of real players.
int PrintTiming(const std::string& input) {
  Replay replay;
  std::string error;
  const auto* data = reinterpret_cast<const std::uint8_t*>(input.data());
  if (!DecodeReplay(std::span<const std::uint8_t>(data, input.size()), &replay, &error)) {
    return Refuse(error);
  }
  const PlaybackResult played = PlayBackReplay(replay);
  std::string early = "null";
  if (played.early) {
    early = "{\"message\":" + std::to_string(played.early->message) +
            ",\"timeMs\":" + std::to_string(played.early->timeMs) +
            ",\"running\":" + (played.early->running ? "true" : "false") +
            ",\"earlyMs\":" + std::to_string(played.early->ms) + "}";
  }
  std::printf(
      "{\"level\":%d,\"messages\":%zu,\"reproduces\":%s,\"early\":%s,"
      "\"latest\":{\"message\":%zu,\"timeMs\":%u,\"lateMs\":%lld}}\n",
      replay.level, replay.messages.size(), Reproduces(replay, played) ? "true" : "false",
      early.c_str(), played.latest.message, played.latest.timeMs,
      static_cast<long long>(played.latest.ms));
  return 0;
}

int Run(std::string_view mode, const std::string& input) {
  std::string error;
  if (mode == "timing") {
    const int status = PrintTiming(input);
    if (status != 0) return status;
  } else if (mode == "clear") {
    sim::FieldInput field;
    if (!sim::ParseField(input, field, error)) return Refuse(error);
    sim::RunClear(field, stdout);
  } else {
    sim::ScriptInput script;
    bool ok = true;
    if (sim::ReplayScript(input, script, ok, error)) {
      if (!ok) return Refuse(error);
    } else if (!sim::ParseScript(input, script, error)) {
      return Refuse(error);
    }
    sim::RunGame(script, stdout);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fputs("morvex2-sim: cannot write the output\n", stderr);
    return kCannotWrite;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc == 2 ? argv[1] : "";
  if (mode != "clear" && mode != "game" && mode != "timing") {
    return Refuse(
        "usage: morvex2-sim clear < FIELD | morvex2-sim game < SCRIPT | morvex2-sim timing < "
        "REPLAY");
  }
  std::string input;
  if (!ReadAll(stdin, input)) return Refuse("cannot read the input, or it is over 16 MiB");
  return Run(mode, input);
}
