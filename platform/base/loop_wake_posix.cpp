// The loop's wake on Linux and the other POSIX systems: a pipe that is never
// full and never blocks. One byte in it is a wake; the loop empties it.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/base/loop_wake.h"

namespace platform {

namespace {

struct WakePipe {
  WakePipe() {
    if (::pipe2(ends.data(), O_NONBLOCK | O_CLOEXEC) != 0) ends = {-1, -1};
  }
  std::array<int, 2> ends{-1, -1};  // read, write
};

WakePipe& Pipe() {
  static WakePipe pipe;  // made once, from whichever thread asks first
  return pipe;
}

}  // namespace

int LoopWakeDescriptor() {
  return Pipe().ends[0];
}

void WakeLoop() {
  const int end = Pipe().ends[1];
  if (end < 0) return;
  // A full pipe already holds a wake the loop has not taken: nothing is lost.
  const char byte = 1;
  while (::write(end, &byte, 1) < 0 && errno == EINTR) {
  }
}

void TakeLoopWake() {
  const int end = Pipe().ends[0];
  if (end < 0) return;
  std::array<char, 64> bytes{};
  for (;;) {
    const ssize_t got = ::read(end, bytes.data(), bytes.size());
    if (got > 0) continue;
    if (got < 0 && errno == EINTR) continue;
    return;  // empty (EAGAIN), or nothing more to read
  }
}

}  // namespace platform
