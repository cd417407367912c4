// Real SDL2_mixer runs. SDL's disk driver writes what would have been heard
// to a file (16-bit stereo at 44,100 Hz, in real time), so these tests listen
// to it: a tune or a clap must leave clear sound there, and every failure
// must leave exact silence while the calls go on working.
#include "platform/sdl_mixer_audio.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/win32.h"
#include "sound/kbgm.h"
#include "tests/sound/sound_files.h"

namespace {

using sound_test::ScratchFolder;

constexpr int kBytesPerSecond = 44100 * 4;
constexpr DWORD kClapFlags = SND_FILENAME | SND_ASYNC;

double Rms(const std::vector<std::int16_t>& samples) {
  if (samples.empty()) return 0.0;
  double sum = 0.0;
  for (std::int16_t sample : samples) sum += static_cast<double>(sample) * sample;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

int Peak(const std::vector<std::int16_t>& samples) {
  int peak = 0;
  for (std::int16_t sample : samples) peak = std::max(peak, std::abs(static_cast<int>(sample)));
  return peak;
}

bool AllSilent(const std::vector<std::int16_t>& samples) {
  return Peak(samples) == 0;
}

std::size_t FirstSound(const std::vector<std::int16_t>& samples) {
  std::size_t i = 0;
  while (i < samples.size() && samples[i] == 0) ++i;
  return i;
}

// The samples from `fromMs` to `toMs` after the sample `start`, cut to what
// was heard.
std::vector<std::int16_t> Slice(const std::vector<std::int16_t>& samples, std::size_t start,
                                int fromMs, int toMs) {
  constexpr std::size_t kSamplesPerMs = 44100 * 2 / 1000;
  const std::size_t from = std::min(samples.size(), start + fromMs * kSamplesPerMs);
  const std::size_t to = std::min(samples.size(), start + toMs * kSamplesPerMs);
  return {samples.begin() + static_cast<std::ptrdiff_t>(from),
          samples.begin() + static_cast<std::ptrdiff_t>(to)};
}

// Anything above this is plainly sound; silence from the mixer is exactly 0.
constexpr double kAudibleRms = 100.0;

class DiskAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
    platform::SetAudioBackend(&audio_);
  }
  void TearDown() override {
    audio_.Close();
    platform::SetAudioBackend(nullptr);
  }

  std::uintmax_t OutputBytes() const {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(output_, error);
    return error ? 0 : size;
  }

  // Waits until the device has written at least this much more output. The
  // disk driver keeps real time, so this is the one place that waits; a
  // generous deadline keeps a busy machine from failing the test.
  void Listen(int milliseconds) const {
    constexpr std::uintmax_t kWriteBuffering = 16384;
    const std::uintmax_t goal =
        OutputBytes() + std::uintmax_t{kBytesPerSecond} * milliseconds / 1000 + kWriteBuffering;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (OutputBytes() < goal) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the audio device stopped writing";
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Closes the device (which flushes the file) and reads back what was heard.
  std::vector<std::int16_t> Heard() {
    audio_.Close();
    std::ifstream in(output_, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      const auto low = static_cast<std::uint8_t>(bytes[2 * i]);
      const auto high = static_cast<std::uint8_t>(bytes[2 * i + 1]);
      samples[i] = static_cast<std::int16_t>(low | (high << 8));
    }
    return samples;
  }

  ScratchFolder folder_;
  std::string output_ = folder_.PathOf("heard.raw");
  platform::SdlMixerAudio audio_;
};

// A 400 ms tune whose chord sounds for its first 50 ms: if it repeats, the
// chord strikes again at 400 ms, loud against the faded tail just before.
TEST_F(DiskAudio, TuneSoundsAndRepeatsUntilStopped) {
  const std::string tune = folder_.Write("music1.mid", sound_test::ChordMidi(50, 400));
  ASSERT_EQ(KBGMOpen(10, -1), 0);
  KBGMHandle handle = 0;
  ASSERT_EQ(KBGMLoadFile(&handle, tune.c_str()), 0);
  KBGMPlay(handle, 1);
  Listen(700);
  KBGMStop();
  KBGMFree(handle);
  KBGMClose();

  const std::vector<std::int16_t> heard = Heard();
  const std::size_t onset = FirstSound(heard);
  const double tail = Rms(Slice(heard, onset, 300, 380));
  const double again = Rms(Slice(heard, onset, 410, 490));
  EXPECT_GT(again, kAudibleRms);
  EXPECT_GT(again, 5 * tail) << "the tune did not start again at its end";
}

TEST_F(DiskAudio, MissingFilesLeaveEverythingRunningSilently) {
  ASSERT_EQ(KBGMOpen(10, -1), 0);
  KBGMHandle handle = -5;
  EXPECT_EQ(KBGMLoadFile(&handle, folder_.PathOf("music1.mid").c_str()), -1);
  EXPECT_EQ(handle, 0);
  KBGMPlay(handle, 1);
  EXPECT_EQ(PlaySoundA(folder_.PathOf("Clap.wav").c_str(), nullptr, kClapFlags), 0);
  Listen(200);
  KBGMStop();
  KBGMFree(handle);
  KBGMClose();

  const std::vector<std::int16_t> heard = Heard();
  EXPECT_GE(heard.size(), std::size_t{kBytesPerSecond / 2 * 200 / 1000});  // the device ran
  EXPECT_TRUE(AllSilent(heard));
}

TEST_F(DiskAudio, MissingSoundFontDoesNotSilenceTheTunes) {
  platform::SdlMixerAudio audio("/nonexistent/soundfont.sf3");
  platform::SetAudioBackend(&audio);
  const std::string tune = folder_.Write("music2.mid", sound_test::ChordMidi(250, 250));
  ASSERT_EQ(KBGMOpen(10, -1), 0);
  KBGMHandle handle = 0;
  KBGMLoadFile(&handle, tune.c_str());
  KBGMPlay(handle, 1);
  Listen(300);
  KBGMClose();

  EXPECT_GT(Rms(Heard()), kAudibleRms);
}

TEST_F(DiskAudio, ClapSounds) {
  const std::string clap = folder_.Write("Clap.wav", sound_test::SquareWav(100, 8000));
  ASSERT_TRUE(audio_.Open());
  EXPECT_EQ(PlaySoundA(clap.c_str(), nullptr, kClapFlags), 1);
  Listen(200);

  const std::vector<std::int16_t> heard = Heard();
  EXPECT_GT(Rms(heard), kAudibleRms);
  EXPECT_EQ(Peak(heard), 8000);
}

TEST_F(DiskAudio, NewClapCutsOffTheOneStillPlaying) {
  const std::string longClap = folder_.Write("long.wav", sound_test::SquareWav(1500, 2000));
  const std::string shortClap = folder_.Write("short.wav", sound_test::SquareWav(100, 8000));
  ASSERT_TRUE(audio_.Open());
  PlaySoundA(longClap.c_str(), nullptr, kClapFlags);
  PlaySoundA(shortClap.c_str(), nullptr, kClapFlags);
  Listen(500);

  const std::vector<std::int16_t> heard = Heard();
  EXPECT_EQ(Peak(heard), 8000);
  // Had the long sound gone on, its last 150 ms would still be sounding.
  const std::size_t tail = kBytesPerSecond / 2 * 150 / 1000;
  ASSERT_GT(heard.size(), tail);
  EXPECT_TRUE(AllSilent({heard.end() - static_cast<std::ptrdiff_t>(tail), heard.end()}));
}

TEST(NoSoundDevice, EveryCallIsHarmlessAndSilent) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  ScratchFolder folder;
  const std::string tune = folder.Write("music1.mid", sound_test::ChordMidi(250, 250));
  const std::string clap = folder.Write("Clap.wav", sound_test::SquareWav(100, 8000));
  platform::SdlMixerAudio audio;
  platform::SetAudioBackend(&audio);

  EXPECT_EQ(KBGMOpen(10, -1), -1);
  KBGMHandle handle = -5;
  EXPECT_EQ(KBGMLoadFile(&handle, tune.c_str()), -1);
  EXPECT_EQ(handle, 0);
  KBGMPlay(handle, 1);
  EXPECT_EQ(PlaySoundA(clap.c_str(), nullptr, kClapFlags), 0);
  KBGMStop();
  KBGMFree(handle);
  KBGMClose();
  KBGMClose();

  platform::SetAudioBackend(nullptr);
}

}  // namespace
