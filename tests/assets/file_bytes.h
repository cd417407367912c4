// Reading the committed asset files and little- and big-endian fields of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using FileBytes = std::vector<std::uint8_t>;

// The whole file; empty when it cannot be read.
FileBytes ReadFileBytes(const std::string& path);
// A file under the source tree, e.g. "resources/BRANK.bmp".
FileBytes ReadSourceFile(const std::string& relativePath);

inline std::uint32_t Le16(const FileBytes& b, size_t at) {
  return b.at(at) | (b.at(at + 1) << 8);
}
inline std::uint32_t Le32(const FileBytes& b, size_t at) {
  return Le16(b, at) | (Le16(b, at + 2) << 16);
}
inline std::uint32_t Be16(const FileBytes& b, size_t at) {
  return (b.at(at) << 8) | b.at(at + 1);
}
inline std::uint32_t Be32(const FileBytes& b, size_t at) {
  return (Be16(b, at) << 16) | Be16(b, at + 2);
}
inline std::string Tag(const FileBytes& b, size_t at) {
  return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                     b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}
