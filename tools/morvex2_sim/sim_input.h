// The two inputs of morvex2-sim, read from text: a field for `clear` and a
// script of ticks and keys for `game`. Input is untrusted: anything that does
// not fit the format is refused with a one-line reason.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/cell.h"

namespace sim {

struct FieldInput {
  std::int32_t chainPoints = 0;
  std::int32_t removedCount = 0;
  std::int32_t fieldSettled = 0;
  std::int32_t resolveBusy = 0;
  std::int32_t interval = 1000;
  std::int32_t maxTicks = 10000;
  // kinds[row][column], rows 0 to 11 from the top.
  std::array<std::array<std::int32_t, kFieldColumns>, kFieldRows> kinds{};
};

enum class EventKind { kTick, kKey, kKeyUp };

struct Event {
  EventKind kind;
  std::uint32_t key;  // virtual-key code, for kKey
};

struct ScriptInput {
  std::uint32_t seed = 0;
  std::int32_t level = 1;
  // The clearing flags a game starts with (a replay carries them).
  std::int32_t fieldSettled = 0;
  std::int32_t resolveBusy = 0;
  std::vector<Event> events;
};

// False on malformed input, with `error` set to one line naming the input line.
bool ParseField(std::string_view text, FieldInput& field, std::string& error);
bool ParseScript(std::string_view text, ScriptInput& script, std::string& error);

// A replay file (last.mvr and the like) as a script: its seed, level and
// messages. True when `bytes` is a replay at all (its first bytes say so);
// then `ok` tells whether it could be read, with `error` set if not.
bool ReplayScript(std::string_view bytes, ScriptInput& script, bool& ok, std::string& error);

}  // namespace sim
