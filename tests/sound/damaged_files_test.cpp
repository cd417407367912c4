// Tune and sound files are data from strangers: whatever bytes they hold, the
// mixer must neither crash nor play a wrong tune. Runs on SDL's silent dummy
// driver, which mixes like a real device.
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/sdl_mixer_audio.h"
#include "tests/sound/sound_files.h"

namespace {

using sound_test::Bytes;
using sound_test::ScratchFolder;

Bytes Truncated(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

Bytes WithByte(Bytes bytes, std::size_t at, std::uint8_t value) {
  bytes.at(at) = value;
  return bytes;
}

struct DamagedSound {
  const char* name;
  Bytes bytes;
  bool surelyUnreadable;  // some damage still leaves a playable sound
};

class DamagedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(audio_.Open());
  }

  ScratchFolder folder_;
  platform::SdlMixerAudio audio_;
};

// A damaged tune that reached the synthesiser would either be dropped by it
// or, when it takes no time to play, spin the repeating tune forever in the
// audio callback. None of them may load.
TEST_F(DamagedFiles, TunesThatCannotPlayDoNotLoad) {
  const Bytes good = sound_test::ChordMidi(250, 250);
  const Bytes damaged[] = {
      {},
      {'h', 'e', 'l', 'l', 'o', '\n'},
      Truncated(good, 14),
      Truncated(good, good.size() - 6),
      WithByte(good, 18, 0x7F),     // track longer than the file
      sound_test::ChordMidi(0, 0),  // takes no time
  };
  for (const Bytes& bytes : damaged) {
    SCOPED_TRACE(::testing::PrintToString(bytes.size()));
    const std::string path = folder_.Write("tune.mid", bytes);
    const platform::TuneHandle tune = audio_.LoadTune(path.c_str());
    EXPECT_EQ(tune, 0);
    audio_.PlayTune(tune);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
  }
  EXPECT_NE(audio_.LoadTune(folder_.Write("tune.mid", good).c_str()), 0);
}

TEST_F(DamagedFiles, SoundsPlayOrNotButNeverCrash) {
  const Bytes good = sound_test::SquareWav(50, 8000);
  const DamagedSound files[] = {
      {"empty", {}, true},
      {"text", {'h', 'e', 'l', 'l', 'o', '\n'}, true},
      {"header only", Truncated(good, 44), false},
      {"no samples", sound_test::SquareWav(0, 8000), false},
      {"data longer than the file", WithByte(good, 43, 0x7F), false},
      {"no channels", WithByte(good, 22, 0x00), true},
      {"unknown encoding", WithByte(good, 20, 0x77), true},
  };
  for (const DamagedSound& file : files) {
    SCOPED_TRACE(file.name);
    // A new name each time: a file is read once and then remembered.
    const std::string path = folder_.Write(std::string(file.name) + ".wav", file.bytes);
    const bool played = audio_.PlaySound(path.c_str());
    if (file.surelyUnreadable) {
      EXPECT_FALSE(played);
    }
  }
}

}  // namespace
