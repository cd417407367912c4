#include "server/random_draw.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace server {
namespace {

void Draw(void* bytes, std::size_t size) {
  auto* at = static_cast<std::uint8_t*>(bytes);
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
