// Builds Standard MIDI Files (format 1): one conductor track with the tempo and
// metre, then one track per instrument.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/art/byte_writer.h"

namespace art {

class MidiTrack {
 public:
  void Name(const std::string& name);
  void Tempo(std::uint32_t tick, double beatsPerMinute);
  void TimeSignature(std::uint32_t tick, int beats, int beatUnitPowerOfTwo);
  void Program(std::uint32_t tick, int channel, int program);
  void Control(std::uint32_t tick, int channel, int controller, int value);
  // A note from `tick` for `length` ticks; its end is written as a note-on
  // with velocity 0, so that running status carries whole phrases.
  void Note(std::uint32_t tick, int channel, int key, int velocity, std::uint32_t length);

  // Delta-timed events with running status, closed by end-of-track at
  // `endTick`, which must not lie before the last event.
  Bytes Encode(std::uint32_t endTick) const;
  std::uint32_t LastTick() const;

 private:
  struct Event {
    std::uint32_t tick;
    int order;  // at one tick: note ends, then settings, then note starts
    Bytes data;
  };
  void Add(std::uint32_t tick, int order, Bytes data);
  std::vector<Event> events_;
};

// MThd with `ticksPerQuarter`, then every track as an MTrk chunk.
Bytes EncodeMidiFile(const std::vector<MidiTrack>& tracks, int ticksPerQuarter,
                     std::uint32_t endTick);

}  // namespace art
