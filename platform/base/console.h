// Where the program's lines reach a player as they are said: standard error.
// One implementation for each kind of system, chosen by CMake. A Windows
// program of the window subsystem started from the desktop has no standard
// error at all; started from a console it writes to that console.
#pragma once

#include <string_view>

namespace platform {

// One whole line, its '\n' included.
void WriteConsoleLine(std::string_view line);

// True where a player reads standard error, or can: POSIX systems. On
// Windows the lines are kept in a file as well (log.h).
[[nodiscard]] bool ConsoleReachesPlayer();

}  // namespace platform
