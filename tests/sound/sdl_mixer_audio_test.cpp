// Real SDL2_mixer runs. SDL's disk driver writes what would have been heard
// to a file (16-bit stereo at 44,100 Hz, in real time), so these tests listen
// to it: a tune or a clap must leave clear sound there, and every failure
// must leave exact silence while the calls go on working. Damaged files run
// on the silent dummy driver, which mixes like a real device.
#include "platform/sdl_mixer_audio.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/audio.h"
#include "platform/win32.h"
#include "sound/kbgm.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<std::int16_t>;
constexpr DWORD kClapFlags = SND_FILENAME | SND_ASYNC;

void PutLittleEndian(Bytes& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(value >> 8 * i & 0xFF);
}

// A one-track MIDI file: an organ chord (no decay) held for `heldMs`, and the
// end of the track at `lengthMs`. 192 ticks a second; both fit in one byte.
Bytes ChordMidi(int heldMs, int lengthMs) {
  const auto held = static_cast<std::uint8_t>(heldMs * 192 / 1000);
  const auto rest = static_cast<std::uint8_t>(std::max(0, lengthMs - heldMs) * 192 / 1000);
  const Bytes track = {
      0,    0xFF, 0x51, 3,    0x07, 0xA1, 0x20, 0, 0xC0, 19,    // 120 a minute, organ
      0,    0x90, 0x45, 0x7F, 0,    0x49, 0x7F, 0, 0x4C, 0x7F,  // A C# E
      held, 0x80, 0x45, 0,    0,    0x49, 0,    0, 0x4C, 0,    rest, 0xFF, 0x2F, 0};
  Bytes file{'M', 'T', 'h', 'd', 0,   0,   0,   6, 0, 0, 0,
             1,   0,   96,  'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(track.size())};
  for (std::uint8_t byte : track) file.push_back(byte);
  return file;
}

// A 16-bit stereo PCM WAV at 44,100 Hz: a 441 Hz square wave.
Bytes SquareWav(int milliseconds, std::int16_t amplitude) {
  const std::uint32_t frames = static_cast<std::uint32_t>(milliseconds) * 441 / 10;
  Bytes file{'R', 'I', 'F', 'F'};
  PutLittleEndian(file, 36 + frames * 4);
  file.insert(file.end(),
              {'W',  'A',  'V', 'E', 'f',  'm',  't', ' ', 16, 0, 0,  0, 1,   0,   2,   0,  // PCM
               0x44, 0xAC, 0,   0,   0x10, 0xB1, 2,   0,   4,  0, 16, 0, 'd', 'a', 't', 'a'});
  PutLittleEndian(file, frames * 4);
  for (std::uint32_t frame = 0; frame < frames; ++frame) {
    const auto sample = static_cast<std::uint16_t>(frame / 50 % 2 == 0 ? amplitude : -amplitude);
    PutLittleEndian(file, sample | std::uint32_t{sample} << 16);
  }
  return file;
}

// The loudest of the samples from `from` to `to` (88.2 samples a millisecond).
int Peak(const Samples& heard, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  int peak = 0;
  for (std::size_t i = from; i < std::min(to, heard.size()); ++i) {
    peak = std::max(peak, std::abs(static_cast<int>(heard[i])));
  }
  return peak;
}

// Each test has a scratch folder for its files, and the disk driver writes
// there unless the test picks another.
class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "morvex2-sound-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    output_ = PathOf("heard.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
    platform::SetAudioBackend(&audio_);
  }
  void TearDown() override {
    audio_.Close();
    platform::SetAudioBackend(nullptr);
    std::filesystem::remove_all(folder_);
  }
  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return PathOf(name);
  }
  std::uintmax_t OutputBytes() const {
    return std::filesystem::exists(output_) ? std::filesystem::file_size(output_) : 0;
  }
  // Waits until the device has written at least this much more output. The
  // disk driver keeps real time, so this is the one place that waits; a
  // generous deadline keeps a busy machine from failing the test.
  void Listen(int milliseconds) const {
    const std::uintmax_t goal = OutputBytes() + 44100u * 4 * milliseconds / 1000 + 16384;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (OutputBytes() < goal) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the audio device stopped writing";
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  // Closes the device (which flushes the file) and reads back what was heard.
  Samples Heard() {
    audio_.Close();
    Samples samples(OutputBytes() / 2);  // as the mixer made them: in the machine's byte order
    std::ifstream(output_, std::ios::binary)
        .read(reinterpret_cast<char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * 2));
    return samples;
  }

  std::filesystem::path folder_;
  std::string output_;
  platform::SdlMixerAudio audio_;
};

// A 400 ms tune whose chord sounds for its first 50 ms: if it repeats, the
// chord strikes again at 400 ms, loud against the faded tail just before.
TEST_F(SoundTest, TuneSoundsAndRepeatsUntilStopped) {
  const std::string tune = Write("music1.mid", ChordMidi(50, 400));
  ASSERT_EQ(KBGMOpen(10, -1), 0);
  KBGMHandle handle = 0;
  ASSERT_EQ(KBGMLoadFile(&handle, tune.c_str()), 0);
  KBGMPlay(handle, 1);
  Listen(700);
  KBGMStop();
  KBGMFree(handle);
  KBGMClose();

  const Samples heard = Heard();
  const std::size_t onset =
      std::find_if(heard.begin(), heard.end(), [](auto s) { return s != 0; }) - heard.begin();
  const int again = Peak(heard, onset + 410 * 88, onset + 490 * 88);
  EXPECT_GT(again, 1000) << "plainly sound: silence from the mixer is exactly 0";
  EXPECT_GT(again, 5 * Peak(heard, onset + 300 * 88, onset + 380 * 88))
      << "the tune did not start again";
}

TEST_F(SoundTest, MissingFilesLeaveEverythingRunningSilently) {
  ASSERT_EQ(KBGMOpen(10, -1), 0);
  KBGMHandle handle = -5;
  EXPECT_EQ(KBGMLoadFile(&handle, PathOf("music1.mid").c_str()), -1);
  EXPECT_EQ(handle, 0);
  KBGMPlay(handle, 1);
  EXPECT_EQ(PlaySoundA(PathOf("Clap.wav").c_str(), nullptr, kClapFlags), 0);
  Listen(200);
  KBGMStop();
  KBGMFree(handle);
  KBGMClose();

  const Samples heard = Heard();
  EXPECT_GE(heard.size(), 200u * 88) << "the device ran";
  EXPECT_EQ(Peak(heard), 0);
}

// The short loud clap cuts off the long quiet one: had that gone on, its last
// 150 ms would still be sounding.
TEST_F(SoundTest, ClapSoundsAndANewOneCutsOffTheOneStillPlaying) {
  const std::string longClap = Write("long.wav", SquareWav(1500, 2000));
  const std::string shortClap = Write("Clap.wav", SquareWav(100, 8000));
  ASSERT_TRUE(audio_.Open());
  EXPECT_EQ(PlaySoundA(longClap.c_str(), nullptr, kClapFlags), 1);
  EXPECT_EQ(PlaySoundA(shortClap.c_str(), nullptr, kClapFlags), 1);
  Listen(500);

  const Samples heard = Heard();
  EXPECT_EQ(Peak(heard), 8000);
  ASSERT_GT(heard.size(), 500u * 88);
  EXPECT_EQ(Peak(heard, heard.size() - 150 * 88), 0);
}

// A damaged tune that reached the synthesiser would either be dropped by it
// or, when it takes no time to play, spin the repeating tune forever in the
// audio callback: none may load. A file that is not a sound does not play.
TEST_F(SoundTest, DamagedTunesDoNotLoadAndDamagedSoundsDoNotPlay) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(audio_.Open());
  const Bytes tune = ChordMidi(250, 250), text = {'h', 'i', '\n'};
  for (const Bytes& bytes : {text, Bytes(tune.begin(), tune.end() - 6), ChordMidi(0, 0)}) {
    const platform::TuneHandle handle = audio_.LoadTune(Write("tune.mid", bytes).c_str());
    EXPECT_EQ(handle, 0) << bytes.size();
    audio_.PlayTune(handle);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
  }
  EXPECT_NE(audio_.LoadTune(Write("tune.mid", tune).c_str()), 0);
  Bytes noChannels = SquareWav(50, 8000), unknownEncoding = noChannels;
  noChannels[22] = 0, unknownEncoding[20] = 0x77;
  int name = 0;  // a new name each time: a file is read once and then remembered
  for (const Bytes& bytes : {Bytes{}, text, noChannels, unknownEncoding}) {
    EXPECT_FALSE(audio_.PlaySound(Write(std::to_string(++name) + ".wav", bytes).c_str()));
  }
}

TEST_F(SoundTest, WithoutASoundDeviceEveryCallIsHarmless) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(audio_.Open());
  EXPECT_EQ(audio_.LoadTune(Write("music1.mid", ChordMidi(250, 250)).c_str()), 0);
  audio_.PlayTune(0);
  audio_.StopTune();
  audio_.FreeTune(0);
  EXPECT_FALSE(audio_.PlaySound(Write("Clap.wav", SquareWav(100, 8000)).c_str()));
  audio_.Close();
}

}  // namespace

// The game's own tunes and clap, as installed beside it, are heard through the
// game's music library and PlaySoundA.
TEST_F(SoundTest, TheGamesOwnTunesAndClapSound) {
  const std::filesystem::path data = std::filesystem::path(MORVEX2_SOURCE_DIR) / "data";
  ASSERT_EQ(KBGMOpen(10, -1), 0);
  for (const char* name : {"music2.mid", "music1.mid"}) {
    KBGMHandle tune = 0;
    ASSERT_EQ(KBGMLoadFile(&tune, (data / name).c_str()), 0) << name;
    KBGMPlay(tune, 1);
    Listen(400);
    KBGMStop();
    KBGMFree(tune);
  }
  EXPECT_EQ(PlaySoundA((data / "Clap.wav").c_str(), nullptr, kClapFlags), 1);
  Listen(300);
  KBGMClose();
  const Samples heard = Heard();
  const std::size_t perMs = 88;
  ASSERT_GT(heard.size(), 1100 * perMs);
  EXPECT_GT(Peak(heard, 0, 400 * perMs), 100) << "title tune";
  EXPECT_GT(Peak(heard, 400 * perMs, 800 * perMs), 100) << "play tune";
  EXPECT_GT(Peak(heard, heard.size() - 300 * perMs), 100) << "clap";
}
