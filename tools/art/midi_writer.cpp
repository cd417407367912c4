#include "tools/art/midi_writer.h"

#include <algorithm>
#include <cmath>

namespace art {
namespace {

void PutVariableLength(Bytes& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

std::uint8_t Data7(int v) {
  return static_cast<std::uint8_t>(std::clamp(v, 0, 127));
}
std::uint8_t Status(int kind, int channel) {
  return static_cast<std::uint8_t>(kind | (channel & 0x0F));
}

}  // namespace

void MidiTrack::Add(std::uint32_t tick, int order, Bytes data) {
  events_.push_back({tick, order, std::move(data)});
}

void MidiTrack::Name(const std::string& name) {
  Bytes data{0xFF, 0x03};
  PutVariableLength(data, static_cast<std::uint32_t>(name.size()));
  PutText(data, name);
  Add(0, 1, std::move(data));
}

void MidiTrack::Tempo(std::uint32_t tick, double beatsPerMinute) {
  const auto micros = static_cast<std::uint32_t>(std::floor(60000000.0 / beatsPerMinute + 0.5));
  Add(tick, 1,
      {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros >> 16),
       static_cast<std::uint8_t>(micros >> 8), static_cast<std::uint8_t>(micros)});
}

void MidiTrack::TimeSignature(std::uint32_t tick, int beats, int beatUnitPowerOfTwo) {
  Add(tick, 1,
      {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(beats),
       static_cast<std::uint8_t>(beatUnitPowerOfTwo), 24, 8});
}

void MidiTrack::Program(std::uint32_t tick, int channel, int program) {
  Add(tick, 1, {Status(0xC0, channel), Data7(program)});
}

void MidiTrack::Control(std::uint32_t tick, int channel, int controller, int value) {
  Add(tick, 1, {Status(0xB0, channel), Data7(controller), Data7(value)});
}

void MidiTrack::Note(std::uint32_t tick, int channel, int key, int velocity, std::uint32_t length) {
  Add(tick, 2, {Status(0x90, channel), Data7(key), Data7(std::max(1, velocity))});
  Add(tick + length, 0, {Status(0x90, channel), Data7(key), 0});
}

std::uint32_t MidiTrack::LastTick() const {
  std::uint32_t last = 0;
  for (const Event& e : events_) last = std::max(last, e.tick);
  return last;
}

Bytes MidiTrack::Encode(std::uint32_t endTick) const {
  std::vector<Event> sorted = events_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  Bytes out;
  std::uint32_t now = 0;
  std::uint8_t running = 0;
  for (const Event& e : sorted) {
    PutVariableLength(out, e.tick - now);
    now = e.tick;
    const std::uint8_t status = e.data[0];
    if (status == 0xFF) {
      running = 0;  // meta events end running status
      out.insert(out.end(), e.data.begin(), e.data.end());
    } else {
      if (status != running) out.push_back(status);
      running = status;
      out.insert(out.end(), e.data.begin() + 1, e.data.end());
    }
  }
  PutVariableLength(out, endTick - now);
  out.insert(out.end(), {0xFF, 0x2F, 0x00});
  return out;
}

Bytes EncodeMidiFile(const std::vector<MidiTrack>& tracks, int ticksPerQuarter,
                     std::uint32_t endTick) {
  Bytes out;
  PutText(out, "MThd");
  PutU32Be(out, 6);
  PutU16Be(out, 1);  // format 1: simultaneous tracks
  PutU16Be(out, static_cast<unsigned>(tracks.size()));
  PutU16Be(out, static_cast<unsigned>(ticksPerQuarter));
  for (const MidiTrack& track : tracks) {
    const Bytes body = track.Encode(endTick);
    PutText(out, "MTrk");
    PutU32Be(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

}  // namespace art
