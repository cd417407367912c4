#include "platform/midi_file_check.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace platform {

namespace {

// Reads a byte span from the front; every read says whether the bytes were
// there, so that no read can go past the end.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool AtEnd() const { return bytes_.empty(); }

  bool Byte(std::uint8_t& out) {
    if (bytes_.empty()) return false;
    out = bytes_.front();
    bytes_ = bytes_.subspan(1);
    return true;
  }

  bool DataByte(std::uint8_t& out) { return Byte(out) && out < 0x80; }

  bool BigEndian(int size, std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < size; ++i) {
      std::uint8_t byte = 0;
      if (!Byte(byte)) return false;
      out = (out << 8) | byte;
    }
    return true;
  }

  // A MIDI variable-length number: at most four bytes of seven bits.
  bool VariableLength(std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t byte = 0;
      if (!Byte(byte)) return false;
      out = (out << 7) | (byte & 0x7Fu);
      if ((byte & 0x80u) == 0) return true;
    }
    return false;
  }

  bool Tag(std::string_view tag) {
    for (char expected : tag) {
      std::uint8_t byte = 0;
      if (!Byte(byte) || byte != static_cast<std::uint8_t>(expected)) return false;
    }
    return true;
  }

  // Splits off the next `size` bytes as a reader of their own.
  bool Take(std::uint32_t size, Reader& out) {
    if (size > bytes_.size()) return false;
    out = Reader(bytes_.first(size));
    bytes_ = bytes_.subspan(size);
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

constexpr std::uint8_t kEndOfTrack = 0x2F;
constexpr std::uint8_t kTempo = 0x51;

// The meta events whose length the synthesiser insists on; a wrong one makes
// it drop the whole file.
bool MetaLengthFits(std::uint8_t type, std::uint32_t length) {
  switch (type) {
    case kEndOfTrack:
      return length == 0;
    case kTempo:
      return length == 3;
    case 0x54:
      return length == 5;  // SMPTE offset
    case 0x58:
      return length == 4;  // time signature
    case 0x59:
      return length == 2;  // key signature
    default:
      return true;
  }
}

// Reads one meta event after its 0xFF; sets `ended` at the end of the track.
bool MetaEvent(Reader& track, bool& ended) {
  std::uint8_t type = 0;
  std::uint32_t length = 0;
  Reader data(std::span<const std::uint8_t>{});
  if (!track.Byte(type) || !track.VariableLength(length) || !MetaLengthFits(type, length) ||
      !track.Take(length, data)) {
    return false;
  }
  if (type == kTempo) {
    std::uint32_t microsecondsPerQuarter = 0;
    if (!data.BigEndian(3, microsecondsPerQuarter) || microsecondsPerQuarter == 0) return false;
  }
  ended = type == kEndOfTrack;
  return true;
}

// Program change and channel pressure carry one data byte, the rest two.
int ChannelDataBytes(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0u;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Reads one channel message; `first` is its status byte, or its first data
// byte when the status runs on from the message before.
bool ChannelMessage(Reader& track, std::uint8_t first, std::uint8_t& runningStatus) {
  int dataBytes = 0;
  if (first >= 0x80) {
    runningStatus = first;
    dataBytes = ChannelDataBytes(first);
  } else {
    if (runningStatus == 0) return false;
    dataBytes = ChannelDataBytes(runningStatus) - 1;
  }
  std::uint8_t data = 0;
  for (int i = 0; i < dataBytes; ++i) {
    if (!track.DataByte(data)) return false;
  }
  return true;
}

// The length of one track in ticks, or nothing when the track is damaged. The
// end-of-track event must close the chunk exactly.
std::optional<std::uint64_t> TrackTicks(Reader track) {
  std::uint64_t ticks = 0;
  std::uint8_t runningStatus = 0;
  for (bool ended = false; !ended;) {
    std::uint32_t delta = 0;
    std::uint8_t status = 0;
    if (!track.VariableLength(delta) || !track.Byte(status)) return std::nullopt;
    ticks += delta;
    if (status == 0xFF) {
      if (!MetaEvent(track, ended)) return std::nullopt;
      runningStatus = 0;
    } else if (status == 0xF0) {
      std::uint32_t length = 0;
      Reader ignored(std::span<const std::uint8_t>{});
      if (!track.VariableLength(length) || !track.Take(length, ignored)) return std::nullopt;
      runningStatus = 0;
    } else if (status > 0xF0 || !ChannelMessage(track, status, runningStatus)) {
      // The synthesiser reads no other system message from a file, not even
      // the 0xF7 sysex continuation.
      return std::nullopt;
    }
  }
  if (!track.AtEnd()) return std::nullopt;
  return ticks;
}

}  // namespace

bool IsPlayableMidi(std::span<const std::uint8_t> bytes) {
  Reader file(bytes);
  std::uint32_t headerSize = 0, format = 0, trackCount = 0, division = 0;
  if (!file.Tag("MThd") || !file.BigEndian(4, headerSize) || headerSize != 6 ||
      !file.BigEndian(2, format) || !file.BigEndian(2, trackCount) ||
      !file.BigEndian(2, division)) {
    return false;
  }
  // Only ticks per quarter note: the synthesiser cannot time SMPTE frames.
  if (format > 1 || trackCount == 0 || trackCount > 255 || division == 0 ||
      (division & 0x8000u) != 0) {
    return false;
  }
  std::uint64_t longest = 0;
  for (std::uint32_t i = 0; i < trackCount; ++i) {
    std::uint32_t size = 0;
    Reader track(std::span<const std::uint8_t>{});
    if (!file.Tag("MTrk") || !file.BigEndian(4, size) || !file.Take(size, track)) return false;
    std::optional<std::uint64_t> ticks = TrackTicks(track);
    if (!ticks) return false;
    if (*ticks > longest) longest = *ticks;
  }
  return longest > 0;
}

}  // namespace platform
