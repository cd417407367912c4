// The main of every test program. Tests never need a screen, a sound card or
// the machine's time zone: SDL's offscreen video and silent audio stand in,
// and dates are UTC. A test that wants something else sets it itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("TZ", "UTC", 1);
  tzset();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
