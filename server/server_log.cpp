#include "server/server_log.h"

#include <cstdio>

namespace server {

std::string LogSafe(std::string_view text) {
  constexpr std::string_view kCut = "...";
  std::string safe;
  safe.reserve(std::min(text.size(), kLogLineBytes));
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = byte >= 0x20 && byte < 0x7f && byte != '\\';
    if (safe.size() + (plain ? 1 : 4) > kLogLineBytes - kCut.size()) {
      safe += kCut;
      return safe;
    }
    if (plain) {
      safe += c;
    } else {
      constexpr char kHex[] = "0123456789abcdef";
      safe += "\\x";
      safe += kHex[byte >> 4];
      safe += kHex[byte & 0xf];
    }
  }
  return safe;
}

void LogLine(std::string_view text) {
  std::string line = LogSafe(text);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace server
