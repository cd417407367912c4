#include "server/server_clock.h"

#include <chrono>
#include <cstdlib>
#include <fstream>

namespace server {

std::int64_t ServerNowMs() {
  if (const char* testClock = std::getenv("MORVEX2_SERVER_TEST_CLOCK")) {
    std::ifstream in(testClock);
    std::int64_t ms = 0;
    if (in >> ms) return ms;
  }
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace server
