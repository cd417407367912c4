// Notes the monotonic time (nanoseconds) into a file and then becomes the
// given command, keeping its process id: scripts/measure.sh starts the game
// through it, so that the time to the first frame counts from the launch.
// Usage: morvex2-launch-stamp FILE COMMAND [ARGUMENTS...]
#include <time.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FILE COMMAND [ARGUMENTS...]\n", argv[0]);
    return 2;
  }
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
  std::fclose(out);
  execvp(argv[2], argv + 2);
  std::perror(argv[2]);
  return 127;
}
