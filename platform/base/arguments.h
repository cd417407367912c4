// The words the program was started with, in UTF-8 whatever the system, so
// that a --data-dir or a --name outside the system's code page comes through.
// One implementation for each kind of system, chosen by CMake.
#pragma once

#include <string>
#include <vector>

namespace platform {

// From main's own: as they stand on POSIX systems; on Windows from the
// wide command line, main's being in the system's code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace platform
