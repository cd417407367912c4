// One line on standard error for each thing that went wrong and that the game
// gets past: what failed and why, in the words of the library or the system
// that said so ("morvex2: SDL_CreateWindow: Couldn't find matching GLX visual").
// A failure that can come back every frame is said only the first time.
#pragma once

#include <string_view>

namespace platform {

enum class Repeats {
  kSayEachTime,
  kSayOnce,  // once a run for each `what`, however often it fails
};

void LogFailure(std::string_view what, std::string_view why,
                Repeats repeats = Repeats::kSayEachTime);
// One line as it stands, said each time: what the player is told in English
// after a message the game shows in Japanese.
void SayLine(std::string_view line);
// The reason an errno value names.
void LogErrnoFailure(std::string_view what, int error, Repeats repeats = Repeats::kSayEachTime);

// The failures said once are said again after this (for tests).
void ForgetLoggedFailures();

}  // namespace platform
