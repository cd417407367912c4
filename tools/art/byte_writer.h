// Little-endian byte building for the file formats we write (BMP, ICO, WAV),
// and the big-endian variant that MIDI files use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

using Bytes = std::vector<std::uint8_t>;

inline void PutU8(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}
inline void PutU16(Bytes& out, unsigned v) {
  PutU8(out, v);
  PutU8(out, v >> 8);
}
inline void PutU32(Bytes& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}
inline void PutI32(Bytes& out, std::int32_t v) {
  PutU32(out, static_cast<std::uint32_t>(v));
}
inline void PutU16Be(Bytes& out, unsigned v) {
  PutU8(out, v >> 8);
  PutU8(out, v);
}
inline void PutU32Be(Bytes& out, std::uint32_t v) {
  PutU16Be(out, v >> 16);
  PutU16Be(out, v & 0xFFFF);
}
inline void PutText(Bytes& out, const std::string& text) {
  for (char c : text) PutU8(out, static_cast<unsigned char>(c));
}

// Writes the whole file; false (with a message on stderr) when it cannot.
bool WriteFileBytes(const std::string& path, const Bytes& bytes);

}  // namespace art
