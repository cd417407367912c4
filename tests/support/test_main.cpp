// The main of every test program. Tests never need a screen, a sound card or
// the machine's time zone: SDL's offscreen video and silent audio stand in,
// and dates are UTC. Renderings of tunes go to a scratch cache of the test
// program's own, never to the user's. A test that wants something else sets
// it itself.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#ifdef _WIN32
// Windows' C runtime has no setenv; its TZ takes an offset after the name.
// The cache is the test prefix's own (Wine's), never a player's.
int main(int argc, char** argv) {
  if (std::getenv("SDL_VIDEODRIVER") == nullptr) _putenv_s("SDL_VIDEODRIVER", "offscreen");
  if (std::getenv("SDL_AUDIODRIVER") == nullptr) _putenv_s("SDL_AUDIODRIVER", "dummy");
  _putenv_s("TZ", "UTC0");
  _tzset();
  const bool scratchCache = false;
  const std::string cache;
#else
int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("TZ", "UTC", 1);
  tzset();
  std::string cache = (std::filesystem::temp_directory_path() / "morvex2-cache-XXXXXX").string();
  const bool scratchCache = mkdtemp(cache.data()) != nullptr;
  if (scratchCache) setenv("XDG_CACHE_HOME", cache.c_str(), 1);
#endif
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ignored;
  if (scratchCache) std::filesystem::remove_all(cache, ignored);
  return result;
}
