#include "tests/sound/sound_files.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace sound_test {

namespace {

void Append(Bytes& bytes, std::initializer_list<std::uint8_t> more) {
  bytes.insert(bytes.end(), more);
}

void AppendBigEndian(Bytes& bytes, std::uint32_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
    bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendLittleEndian(Bytes& bytes, std::uint32_t value, int size) {
  for (int shift = 0; shift < 8 * size; shift += 8)
    bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A MIDI delta time: seven bits a byte, most significant first.
void AppendDelta(Bytes& bytes, std::uint32_t ticks) {
  Bytes reversed{static_cast<std::uint8_t>(ticks & 0x7F)};
  for (ticks >>= 7; ticks != 0; ticks >>= 7)
    reversed.push_back(static_cast<std::uint8_t>(0x80 | (ticks & 0x7F)));
  bytes.insert(bytes.end(), reversed.rbegin(), reversed.rend());
}

}  // namespace

Bytes ChordMidi(int heldMs, int lengthMs) {
  // 96 ticks a quarter note at 120 beats a minute: 192 ticks a second.
  const auto heldTicks = static_cast<std::uint32_t>(heldMs * 192 / 1000);
  const auto lengthTicks = static_cast<std::uint32_t>(lengthMs * 192 / 1000);
  const std::uint8_t notes[] = {0x45, 0x49, 0x4C};  // A, C sharp, E
  Bytes track;
  Append(track, {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // tempo 500,000 us
  Append(track, {0x00, 0xC0, 19});                            // church organ: no decay
  for (std::uint8_t note : notes) Append(track, {0x00, 0x90, note, 0x7F});
  for (std::size_t i = 0; i < std::size(notes); ++i) {
    AppendDelta(track, i == 0 ? heldTicks : 0);
    Append(track, {0x80, notes[i], 0x00});
  }
  AppendDelta(track, lengthTicks > heldTicks ? lengthTicks - heldTicks : 0);
  Append(track, {0xFF, 0x2F, 0x00});

  Bytes file{'M', 'T', 'h', 'd'};
  AppendBigEndian(file, 6, 4);
  AppendBigEndian(file, 0, 2);   // one track
  AppendBigEndian(file, 1, 2);   // track count
  AppendBigEndian(file, 96, 2);  // ticks a quarter note
  Append(file, {'M', 'T', 'r', 'k'});
  AppendBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

Bytes SquareWav(int milliseconds, std::int16_t amplitude) {
  constexpr std::uint32_t kRate = 44100;
  constexpr std::uint32_t kFrameBytes = 4;  // two 16-bit channels
  const auto frames = static_cast<std::uint32_t>(milliseconds) * kRate / 1000;
  const std::uint32_t dataBytes = frames * kFrameBytes;

  Bytes file{'R', 'I', 'F', 'F'};
  AppendLittleEndian(file, 36 + dataBytes, 4);
  Append(file, {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  AppendLittleEndian(file, 16, 4);
  AppendLittleEndian(file, 1, 2);  // PCM
  AppendLittleEndian(file, 2, 2);  // stereo
  AppendLittleEndian(file, kRate, 4);
  AppendLittleEndian(file, kRate * kFrameBytes, 4);
  AppendLittleEndian(file, kFrameBytes, 2);
  AppendLittleEndian(file, 16, 2);
  Append(file, {'d', 'a', 't', 'a'});
  AppendLittleEndian(file, dataBytes, 4);
  for (std::uint32_t frame = 0; frame < frames; ++frame) {
    // 441 Hz: the sign flips every 50 frames.
    const auto sample = static_cast<std::uint16_t>((frame / 50) % 2 == 0 ? amplitude : -amplitude);
    AppendLittleEndian(file, sample, 2);
    AppendLittleEndian(file, sample, 2);
  }
  return file;
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "morvex2-sound-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::Write(const std::string& name, const Bytes& bytes) const {
  const std::string path = PathOf(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

}  // namespace sound_test
