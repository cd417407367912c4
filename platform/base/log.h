// One line on standard error for each thing that went wrong and that the game
// gets past: what failed and why, in the words of the library or the system
// that said so ("morvex2: SDL_CreateWindow: Couldn't find matching GLX visual").
// A failure that can come back every frame is said only the first time.
//
// Where a player has no standard error to read (Windows), every line is also
// kept, with its date and time, in a small file of the data folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class Repeats {
  kLogEachTime,
  kLogOnce,  // once a run for each `what`, however often it fails
};

void LogError(std::string_view what, std::string_view why, Repeats repeats = Repeats::kLogEachTime);
// One line as it stands, said each time: what the player is told in English
// after a message the game shows in Japanese.
void LogLine(std::string_view line);
// The reason an errno value names.
void LogErrno(std::string_view what, int error, Repeats repeats = Repeats::kLogEachTime);

// The file every line is kept in from now on, where the system needs one
// (console.h); the lines said before are put in first. It holds the last few
// hundred lines of this run and the runs before. Elsewhere this does nothing.
void LogToFile(const std::string& path);

// A mark among the lines said, to ask about the lines said after it.
[[nodiscard]] std::uint64_t LogMark();
// Whether the log file holds every line said since `mark`: false where no
// file is kept (a console reads the lines) or the file could not take one,
// so that a message never sends the player to a log without the reason.
[[nodiscard]] bool LogFileHoldsLinesSince(std::uint64_t mark);
// The last few lines said since `mark`, without "morvex2: ", each ending in
// '\n': for a message that must give the reason itself.
[[nodiscard]] std::string LinesSaidSince(std::uint64_t mark);

}  // namespace platform
