// Feeds arbitrary bytes to the player-name reader as "zel.ini", and puts a
// directory, a pipe without a writer or nothing at all under that name. The
// name is the file's first 16 bytes exactly; anything but a regular file
// gives no name, and nothing hangs.
//
// It works in a scratch directory of its own, so corpus directories must be
// given as absolute paths.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "ranking/player_name.h"

namespace {

std::string g_directory;

void Check(bool ok) {
  if (!ok) std::abort();
}

void Clear() {
  ::unlink("zel.ini");
  ::rmdir("zel.ini");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_directory = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  g_directory += "/morvex2-fuzz-XXXXXX";
  Check(::mkdtemp(g_directory.data()) != nullptr && ::chdir(g_directory.c_str()) == 0);
  std::atexit([] {
    Clear();
    ::rmdir(g_directory.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte chooses what lies under the name; the rest is the file.
  const std::uint8_t what = size > 0 ? data[0] % 8 : 0;
  const char* content = reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0);
  const std::size_t length = size > 0 ? size - 1 : 0;
  Clear();
  if (what == 1) {
    Check(::mkdir("zel.ini", 0755) == 0);
  } else if (what == 2) {
    Check(::mkfifo("zel.ini", 0644) == 0);
  } else if (what != 3) {
    std::ofstream("zel.ini", std::ios::binary).write(content, static_cast<std::streamsize>(length));
  }

  const auto name = ReadPlayerName();
  if (what == 1 || what == 2 || what == 3) return Check(!name), 0;
  Check(name.has_value());
  const std::size_t expected = length < 16 ? length : 16;
  Check(name->length == expected && std::memcmp(name->bytes.data(), content, expected) == 0);
  return 0;
}
