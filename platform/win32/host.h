// The host the game runs on, installed as one: its window, where frames and
// sounds go, where input comes from, its clock and the log of its calls. The
// game's start-up installs the SDL host (sdl_host.h); end-to-end runs install
// the headless one (headless_host.h), and tests install the parts they need.
//
// A new process has no host but the machine's clock: the window is only a
// handle, DirectDrawCreate fails, every tune and clap is dropped, no input
// comes but what is posted, and nothing is recorded.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/base/call_log.h"
#include "platform/base/clock.h"

namespace platform {

class AudioBackend;
class VideoOutput;
class WindowBackend;

// Moves whatever input the host has gathered into the message queue (with
// PostInputMessage). The queue calls it at the start of each poll that has no
// message in hand: once for each message the game takes, and once for each
// look that finds none (after which the game draws a frame).
using InputPump = void (*)();

// None of the parts is owned; a null part is missing, as in a new process.
struct Host {
  WindowBackend* window = nullptr;  // the real window (window_backend.h)
  VideoOutput* video = nullptr;     // where a flipped frame goes (video.h)
  AudioBackend* audio = nullptr;    // the tunes and the clap (audio.h)
  InputPump input = nullptr;
  Clock* clock = nullptr;    // timers, seeds and dates; null: the machine's own
  CallLog* calls = nullptr;  // where calls are noted (call_log.h)
};

// Puts `host` in place of the whole host before it.
void InstallHost(const Host& host);
// Back to the host of a new process.
void UninstallHost();
[[nodiscard]] const Host& InstalledHost();

// The host's clock, or the machine's own when it has none: never null.
Clock& GameClock();

// Notes a call in the host's log, if it has one. Costs nothing (no
// allocation) when it has none, so it may sit on the game's hot paths.
inline void RecordCall(const char* name, std::initializer_list<std::int64_t> args = {},
                       const char* text = "") {
  if (CallLog* log = InstalledHost().calls) {
    log->Record(name, std::vector<std::int64_t>(args), text);
  }
}

}  // namespace platform
