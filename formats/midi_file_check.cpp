#include "formats/midi_file_check.h"

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace formats {

namespace {

// Reads a byte span from the front; every read says whether the bytes were
// there, so that no read can go past the end.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  [[nodiscard]] bool AtEnd() const { return bytes_.empty(); }

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

// What the synthesiser keeps up with in real time on a modest machine, with
// room to spare: a tune beyond it would make the sound device's thread fall
// behind for good, and the game wait on it at its next music call. The game's
// own tunes stay far below (8 tracks, a few notes at once, some 30 events a
// second).
constexpr std::uint32_t kMostTracks = 64;
constexpr int kMostNotesAtOnce = 128;  // summed over the tracks
constexpr std::uint64_t kMostEvents = 200000;
constexpr std::uint64_t kMostEventsPerSecond = 3000;
constexpr std::uint32_t kDefaultTempo = 500000;  // microseconds a quarter note

struct Tempo {
  std::uint64_t tick;
  std::uint32_t microsecondsPerQuarter;
};

// What one track asks of the synthesiser.
struct TrackLoad {
  std::uint64_t ticks = 0;
  std::uint64_t events = 0;
  int peakNotes = 0;
};

// The notes sounding in one track, by channel and key.
class SoundingNotes {
 public:
  void Message(std::uint8_t status, std::uint8_t key, std::uint8_t velocity) {
    const std::uint8_t kind = status & 0xF0u;
    if (kind != 0x80 && kind != 0x90) return;
    const std::size_t index = (status & 0x0Fu) * 128u + key;
    const bool on = kind == 0x90 && velocity != 0;
    if (on == sounding_[index]) return;
    sounding_[index] = on;
    count_ += on ? 1 : -1;
    peak_ = std::max(peak_, count_);
  }
  [[nodiscard]] int Peak() const { return peak_; }

 private:
  std::bitset<std::size_t{16} * 128> sounding_;
  int count_ = 0, peak_ = 0;
};

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
bool MetaEvent(Reader& track, bool& ended, std::uint32_t& tempo) {
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
    tempo = microsecondsPerQuarter;
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
bool ChannelMessage(Reader& track, std::uint8_t first, std::uint8_t& runningStatus,
                    SoundingNotes& notes) {
  std::uint8_t data[2] = {0, 0};
  int dataBytes = 0, next = 0;
  if (first >= 0x80) {
    runningStatus = first;
    dataBytes = ChannelDataBytes(first);
  } else {
    if (runningStatus == 0) return false;
    data[next++] = first;
    dataBytes = ChannelDataBytes(runningStatus);
  }
  for (; next < dataBytes; ++next) {
    if (!track.DataByte(data[next])) return false;
  }
  notes.Message(runningStatus, data[0], data[1]);
  return true;
}

// Where a track's reading stands between two events.
struct TrackState {
  SoundingNotes notes;
  std::uint8_t runningStatus = 0;
  bool ended = false;
};

// One event, after its delta time has been read; false when it is damaged or
// one the synthesiser does not read.
bool ReadEvent(Reader& track, std::uint8_t status, std::uint64_t ticks, std::vector<Tempo>& tempos,
               TrackState& state) {
  if (status == 0xFF) {
    std::uint32_t tempo = 0;
    if (!MetaEvent(track, state.ended, tempo)) return false;
    if (tempo != 0) tempos.push_back(Tempo{ticks, tempo});
    state.runningStatus = 0;
    return true;
  }
  if (status == 0xF0) {
    std::uint32_t length = 0;
    Reader ignored(std::span<const std::uint8_t>{});
    state.runningStatus = 0;
    return track.VariableLength(length) && track.Take(length, ignored);
  }
  // The synthesiser reads no other system message from a file, not even the
  // 0xF7 sysex continuation.
  return status < 0xF0 && ChannelMessage(track, status, state.runningStatus, state.notes);
}

// What one track asks of the synthesiser, with its tempo changes added to
// `tempos`, or nothing when the track is damaged. The end-of-track event must
// close the chunk exactly.
std::optional<TrackLoad> ReadTrack(Reader track, std::vector<Tempo>& tempos) {
  TrackLoad load;
  TrackState state;
  for (; !state.ended; ++load.events) {
    std::uint32_t delta = 0;
    std::uint8_t status = 0;
    if (!track.VariableLength(delta) || !track.Byte(status)) return std::nullopt;
    load.ticks += delta;
    if (!ReadEvent(track, status, load.ticks, tempos, state)) return std::nullopt;
  }
  if (!track.AtEnd()) return std::nullopt;
  load.peakNotes = state.notes.Peak();
  return load;
}

// How long the tune takes to play once, in microseconds, up to `ticks`.
std::uint64_t Microseconds(std::uint64_t ticks, std::uint32_t division, std::vector<Tempo> tempos) {
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });
  std::uint64_t total = 0, from = 0;
  std::uint32_t tempo = kDefaultTempo;
  // A tick count below 2^32 and a tempo below 2^24 keep every product in 64
  // bits; longer tunes are refused before they get here.
  for (const Tempo& change : tempos) {
    const std::uint64_t to = std::min(change.tick, ticks);
    total += (to - std::min(from, to)) * tempo / division;
    from = std::max(from, to);
    tempo = change.microsecondsPerQuarter;
  }
  if (ticks > from) total += (ticks - from) * tempo / division;
  return total;
}

// Why the tracks' sum asks too much of the synthesiser; empty when it does not.
std::string_view WhyTooMuch(std::uint64_t longest, std::uint64_t events, int notesAtOnce,
                            std::uint32_t division, std::vector<Tempo> tempos) {
  if (longest == 0) return "it takes no time to play";
  if (longest >= (std::uint64_t{1} << 32)) return "it is too long";
  if (events > kMostEvents) return "more than 200,000 events";
  if (notesAtOnce > kMostNotesAtOnce) return "more than 128 notes at once";
  const std::uint64_t microseconds = Microseconds(longest, division, std::move(tempos));
  if (microseconds == 0) return "it takes no time to play";
  if (events * 1000000 / microseconds > kMostEventsPerSecond) {
    return "more than 3,000 events a second";
  }
  return {};
}

}  // namespace

std::string_view WhyNotPlayableMidi(std::span<const std::uint8_t> bytes) {
  Reader file(bytes);
  std::uint32_t headerSize = 0, format = 0, trackCount = 0, division = 0;
  if (!file.Tag("MThd") || !file.BigEndian(4, headerSize) || headerSize != 6 ||
      !file.BigEndian(2, format) || !file.BigEndian(2, trackCount) ||
      !file.BigEndian(2, division) || format > 1 || trackCount == 0) {
    return "not a Standard MIDI File of format 0 or 1";
  }
  if (trackCount > kMostTracks) return "more than 64 tracks";
  // Only ticks per quarter note: the synthesiser cannot time SMPTE frames.
  if (division == 0 || (division & 0x8000u) != 0) return "not timed in ticks per quarter note";
  std::uint64_t longest = 0, events = 0;
  int notesAtOnce = 0;
  std::vector<Tempo> tempos;
  for (std::uint32_t i = 0; i < trackCount; ++i) {
    std::uint32_t size = 0;
    Reader track(std::span<const std::uint8_t>{});
    if (!file.Tag("MTrk") || !file.BigEndian(4, size) || !file.Take(size, track)) {
      return "a track is missing or cut short";
    }
    std::optional<TrackLoad> load = ReadTrack(track, tempos);
    if (!load) return "a track is damaged or holds an event the synthesiser does not read";
    longest = std::max(longest, load->ticks);
    events += load->events;
    notesAtOnce += load->peakNotes;
  }
  return WhyTooMuch(longest, events, notesAtOnce, division, std::move(tempos));
}

bool IsPlayableMidi(std::span<const std::uint8_t> bytes) {
  return WhyNotPlayableMidi(bytes).empty();
}

}  // namespace formats
