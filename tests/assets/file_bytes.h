// The committed asset files, read whole, and little-endian fields of them.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using FileBytes = std::vector<std::uint8_t>;

// The whole file; empty when it cannot be read. Relative paths are under the
// source tree, e.g. "resources/BRANK.bmp".
inline FileBytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path.front() == '/' ? path : MORVEX2_SOURCE_DIR "/" + path, std::ios::binary);
  return FileBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::uint32_t Le16(const FileBytes& b, std::size_t at) {
  return b.at(at) | b.at(at + 1) << 8;
}
inline std::uint32_t Le32(const FileBytes& b, std::size_t at) {
  return Le16(b, at) | Le16(b, at + 2) << 16;
}
