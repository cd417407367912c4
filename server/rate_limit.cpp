#include "server/rate_limit.h"

#include <arpa/inet.h>

#include <array>

namespace server {

std::string ClientKey(std::string_view address) {
  std::array<unsigned char, 16> bytes{};
  std::string text(address);
  if (text.find(':') == std::string::npos || inet_pton(AF_INET6, text.c_str(), bytes.data()) != 1) {
    return text;
  }
  // An IPv4 address written as IPv6 (::ffff:a.b.c.d) is that IPv4 address.
  constexpr std::array<unsigned char, 12> kMappedPrefix = {0, 0, 0, 0, 0,    0,
                                                           0, 0, 0, 0, 0xFF, 0xFF};
  if (std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), bytes.begin())) {
    return text.substr(text.rfind(':') + 1);
  }
  std::fill(bytes.begin() + 8, bytes.end(), 0);
  char out[INET6_ADDRSTRLEN];
  inet_ntop(AF_INET6, bytes.data(), out, sizeof out);
  return std::string(out) + "/64";
}

int RateLimit::SecondsToWait(std::string_view address, Clock::time_point now) {
  if (perWindow_ <= 0) return 0;
  const std::lock_guard lock(mutex_);
  DropEndedWindows(now);
  Window& window = windows_[ClientKey(address)];
  if (window.count == 0 || now - window.start >= window_) window = {.start = now, .count = 0};
  if (window.count < perWindow_) {
    ++window.count;
    return 0;
  }
  const auto left = std::chrono::ceil<std::chrono::seconds>(window.start + window_ - now);
  return std::max<int>(1, static_cast<int>(left.count()));
}

// Once a window's length, every address whose window has ended is forgotten.
void RateLimit::DropEndedWindows(Clock::time_point now) {
  if (now - lastSweep_ < window_) return;
  lastSweep_ = now;
  std::erase_if(windows_, [&](const auto& held) { return now - held.second.start >= window_; });
}

}  // namespace server
