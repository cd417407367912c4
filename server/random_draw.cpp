#include "server/random_draw.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>

namespace server {
namespace {

// The tests' fixed sequence, when they asked for one. The server's threads
// issue tickets side by side, so they take turns at it.
struct FixedDraws {
  std::mutex mutex;
  std::mt19937_64 bits;
};

FixedDraws* TestDraws() {
  static FixedDraws draws;
  static const bool fixed = [] {
    const char* start = std::getenv("MORVEX2_SERVER_TEST_DRAWS");
    if (start == nullptr || *start == '\0') return false;
    draws.bits.seed(std::strtoull(start, nullptr, 10));
    return true;
  }();
  return fixed ? &draws : nullptr;
}

void Draw(void* bytes, std::size_t size) {
  auto* at = static_cast<std::uint8_t*>(bytes);
  if (FixedDraws* fixed = TestDraws()) {
    const std::lock_guard lock(fixed->mutex);
    for (std::size_t i = 0; i < size; ++i) at[i] = static_cast<std::uint8_t>(fixed->bits());
    return;
  }
  while (size > 0) {
    const ssize_t got = getrandom(at, size, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      // Without the system's randomness no ticket may be given at all.
      std::abort();
    }
    at += got;
    size -= static_cast<std::size_t>(got);
  }
}

}  // namespace
std::string NewTicketId() {
  std::array<std::uint8_t, 16> bits{};
  Draw(bits.data(), bits.size());
  constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  for (const std::uint8_t byte : bits) {
    id += kHex[byte >> 4];
    id += kHex[byte & 0xF];
  }
  return id;
}

std::uint32_t NewSeed() {
  std::uint32_t seed = 0;
  Draw(&seed, sizeof seed);
  return seed;
}

bool IsTicketId(std::string_view text) {
  if (text.size() != 32) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace server
