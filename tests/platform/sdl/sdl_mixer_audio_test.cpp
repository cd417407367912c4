// Real SDL2_mixer runs. SDL's disk driver writes what would have been heard
// to a file (16-bit stereo at 44,100 Hz, in real time), so these tests listen
// to it: a tune or a clap must leave clear sound there, and every failure
// must leave exact silence while the calls go on working. Damaged files run
// on the silent dummy driver, which mixes like a real device.
#include "platform/sdl/sdl_mixer_audio.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/base/log_testing.h"
#include "platform/sdl/clap_wave.h"
#include "platform/tunes/shipped_tunes.h"
#include "platform/tunes/sound_font.h"
#include "platform/tunes/tune_cache.h"
#include "platform/win32/audio.h"
#include "platform/win32/host.h"
#include "platform/win32/win32.h"
#include "sound/kbgm.h"
#include "tests/platform/sdl/sdl_mixer_audio_probe.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<std::int16_t>;
constexpr DWORD kClapFlags = SND_FILENAME | SND_ASYNC;
// A build without the synthesiser plays only the renderings made with it.
constexpr bool kSynthesises = MORVEX2_FLUIDSYNTH != 0;
// Where the build can, it decodes the shipped renderings into the cache.
constexpr bool kDecodes = MORVEX2_DECODES_RENDERINGS != 0;
constexpr char kNoSynthesiser[] = "built without the synthesiser (MORVEX2_FLUIDSYNTH off)";

void PutLittleEndian(Bytes& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(value >> 8 * i & 0xFF);
}

// A one-track MIDI file: an organ chord (no decay) held for `heldMs`, and the
// end of the track at `lengthMs`. 192 ticks a second; both fit in one byte.
Bytes ChordMidi(int heldMs, int lengthMs, std::uint8_t velocity = 0x7F) {
  const auto held = static_cast<std::uint8_t>(heldMs * 192 / 1000);
  const auto rest = static_cast<std::uint8_t>(std::max(0, lengthMs - heldMs) * 192 / 1000);
  const Bytes track = {
      0,    0xFF, 0x51, 3,        0x07, 0xA1, 0x20,     0, 0xC0, 19,        // 120 a minute, organ
      0,    0x90, 0x45, velocity, 0,    0x49, velocity, 0, 0x4C, velocity,  // A C# E
      held, 0x80, 0x45, 0,        0,    0x49, 0,        0, 0x4C, 0,        rest, 0xFF, 0x2F, 0};
  Bytes file{'M', 'T', 'h', 'd', 0,   0,   0,   6, 0, 0, 0,
             1,   0,   96,  'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(track.size())};
  for (std::uint8_t byte : track) file.push_back(byte);
  return file;
}

// A 16-bit stereo PCM WAV at 44,100 Hz: a 441 Hz square wave. Other rates
// and 8-bit mono files hold the same wave, as far as they can.
Bytes SquareWav(int milliseconds, std::int16_t amplitude, std::uint32_t rate = 44100,
                bool eightBitMono = false) {
  const std::uint32_t frames = static_cast<std::uint32_t>(milliseconds) * rate / 1000;
  const std::uint32_t frameBytes = eightBitMono ? 1 : 4;
  Bytes file{'R', 'I', 'F', 'F'};
  PutLittleEndian(file, 36 + frames * frameBytes);
  file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0,
                           static_cast<std::uint8_t>(eightBitMono ? 1 : 2), 0});
  PutLittleEndian(file, rate);
  PutLittleEndian(file, rate * frameBytes);
  file.insert(file.end(),
              {static_cast<std::uint8_t>(frameBytes), 0,
               static_cast<std::uint8_t>(eightBitMono ? 8 : 16), 0, 'd', 'a', 't', 'a'});
  PutLittleEndian(file, frames * frameBytes);
  for (std::uint32_t frame = 0; frame < frames; ++frame) {
    const bool high = frame * 882 / rate % 2 == 0;
    if (eightBitMono) {
      file.push_back(
          static_cast<std::uint8_t>(high ? 128 + amplitude / 256 : 128 - amplitude / 256));
      continue;
    }
    const auto sample = static_cast<std::uint16_t>(high ? amplitude : -amplitude);
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
    setenv("XDG_CACHE_HOME", PathOf("cache").c_str(), 1);
    platform::InstallHost({.audio = &audio_});
  }
  void TearDown() override {
    audio_.Close();
    platform::UninstallHost();
    std::filesystem::remove_all(folder_);
  }
  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return PathOf(name);
  }
  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
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
  // A late rendering the waiting `audio` asked for comes at `path` (a square
  // wave as loud as 8000), is taken up and played for 300 ms, and the device
  // is closed. Returns the sample at which it came.
  std::size_t LateRenderingComes(platform::SdlMixerAudio& audio, const std::string& path) const {
    EXPECT_TRUE(audio.AwaitsRenderings());
    EXPECT_TRUE(platform::WriteCachedTune(path, SquareWav(1000, 8000)));
    const std::size_t came = OutputBytes() / 2;
    audio.TakeLateRenderings();
    EXPECT_FALSE(audio.AwaitsRenderings());
    Listen(300);
    audio.Close();
    return came;
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
  // The loudest sample of 300 ms of the tune in `path` on a freshly opened
  // device, its rendering finished before the device closes.
  int PeakOfTune(const std::string& path) { return PeakOfTune(path, audio_); }
  int PeakOfTune(const std::string& path, platform::SdlMixerAudio& audio) {
    std::filesystem::remove(output_);
    EXPECT_TRUE(audio.Open());
    audio.PlayTune(audio.LoadTune(path.c_str()));
    Listen(300);
    platform::SdlMixerAudioProbe::FinishRenderings(audio);
    audio.Close();
    return Peak(Heard());
  }

  // The soundfont found here, its identity, and a folder where renderings
  // made with the game for it go.
  struct Shipped {
    std::string soundFont;
    std::string identity;
    std::string folder;
  };
  Shipped ShippedFolder() const {
    Shipped shipped{platform::FindSoundFont(), {}, PathOf("shipped")};
    EXPECT_FALSE(shipped.soundFont.empty());
    shipped.identity = platform::SoundFontIdentity(shipped.soundFont);
    std::filesystem::create_directory(shipped.folder);
    EXPECT_TRUE(platform::KeepShippedSoundFont(shipped.folder, shipped.identity));
    return shipped;
  }

  std::filesystem::path folder_;
  std::string output_;
  platform::SdlMixerAudio audio_;
};

// A 400 ms tune whose chord sounds for its first 50 ms: if it repeats, the
// chord strikes again at 400 ms, loud against the faded tail just before.
TEST_F(SoundTest, TuneSoundsAndRepeatsUntilStopped) {
  if (!kSynthesises) GTEST_SKIP() << kNoSynthesiser;
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

// A tune of `trackCount` copies of `track` (its events, without the chunk header).
Bytes MidiOf(std::uint16_t trackCount, const Bytes& track) {
  Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
  file.insert(file.end(), {static_cast<std::uint8_t>(trackCount >> 8),
                           static_cast<std::uint8_t>(trackCount & 0xFF), 0, 96});
  for (int i = 0; i < trackCount; ++i) {
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(track.size() >> shift & 0xFF);
    file.insert(file.end(), track.begin(), track.end());
  }
  return file;
}

// What `body` wrote on standard error.
std::string StderrOf(const std::function<void()>& body) {
  testing::internal::CaptureStderr();
  body();
  return testing::internal::GetCapturedStderr();
}

// The clap follows the volume and the mute, set before the device opens and
// while it is open; the tune does too. Muted, what is left is the
// synthesiser's dither, one step of the 16-bit samples.
TEST_F(SoundTest, TheClapAndTheTuneFollowTheVolumeAndTheMute) {
  const std::string clap = Write("Clap.wav", SquareWav(100, 8000));
  audio_.SetLoudness(false, 50);
  ASSERT_TRUE(audio_.Open());
  EXPECT_EQ(PlaySoundA(clap.c_str(), nullptr, kClapFlags), 1);
  Listen(200);
  EXPECT_EQ(Peak(Heard()), 4000);

  std::filesystem::remove(output_);
  ASSERT_TRUE(audio_.Open());
  audio_.SetLoudness(true, 50);
  audio_.PlayTune(audio_.LoadTune(Write("music1.mid", ChordMidi(300, 400)).c_str()));
  EXPECT_EQ(PlaySoundA(clap.c_str(), nullptr, kClapFlags), 1);
  Listen(200);
  platform::SdlMixerAudioProbe::FinishRenderings(audio_);
  EXPECT_LE(Peak(Heard()), 1);
}

// A damaged tune that reached the synthesiser would either be dropped by it
// or, when it takes no time to play, spin the repeating tune forever in the
// audio callback; one that asks too much of it would hold the sound device for
// good. None may load, and each says why in one line.
TEST_F(SoundTest, DamagedAndOverlongTunesDoNotLoadAndSaySo) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(audio_.Open());
  const Bytes tune = ChordMidi(250, 250);
  const Bytes endOfTrack = {96, 0xFF, 0x2F, 0};
  Bytes busyTrack;  // 200,001 volume changes at one instant
  for (int i = 0; i < 200001; ++i) busyTrack.insert(busyTrack.end(), {0, 0xB0, 7, 100});
  busyTrack.insert(busyTrack.end(), endOfTrack.begin(), endOfTrack.end());
  const struct {
    Bytes bytes;
    std::string why;
  } cases[] = {
      {{'h', 'i', '\n'}, "not a Standard MIDI File of format 0 or 1"},
      {Bytes(tune.begin(), tune.end() - 6), "a track is missing or cut short"},
      {ChordMidi(0, 0), "it takes no time to play"},
      {MidiOf(65, endOfTrack), "more than 64 tracks"},
      {MidiOf(1, busyTrack), "more than 200,000 events"},
  };
  for (const auto& c : cases) {
    const std::string path = Write("tune.mid", c.bytes);
    platform::TuneHandle handle = 1;
    EXPECT_EQ(StderrOf([&] { handle = audio_.LoadTune(path.c_str()); }),
              "morvex2: reading " + path + ": not a tune the game can play: " + c.why + "\n");
    EXPECT_EQ(handle, 0) << c.why;
    audio_.PlayTune(handle);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
  }
  EXPECT_EQ(audio_.LoadTune(Write("tune.mid", tune).c_str()) != 0, kSynthesises);
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

// The samples of a rendering: a WAV file of 16-bit stereo samples.
Samples DecodeRendering(const Bytes& wave) {
  constexpr std::size_t kHeader = 44;
  Samples samples;
  if (wave.size() < kHeader || std::memcmp(wave.data() + 36, "data", 4) != 0) return samples;
  for (std::size_t at = kHeader; at + 1 < wave.size(); at += 2) {
    samples.push_back(static_cast<std::int16_t>(wave[at] | wave[at + 1] << 8));
  }
  return samples;
}

std::size_t Onset(const Samples& samples) {
  return std::find_if(samples.begin(), samples.end(), [](auto s) { return std::abs(s) >= 300; }) -
         samples.begin();
}

struct Likeness {
  double signalToNoise = -100;  // decibels
  double levelRatio = 0;        // the copy's RMS level over the heard one's
};

// How close `copy` is to `heard` over `frames` frames from their onsets, at
// the best of the offsets up to 64 frames either way (the synthesiser starts
// a tune on a 64-frame step).
Likeness Compare(const Samples& heard, const Samples& copy, std::size_t frames) {
  const std::size_t a = Onset(heard) & ~std::size_t{1}, b = Onset(copy) & ~std::size_t{1};
  Likeness best;
  if (a + 2 * frames > heard.size()) return best;
  for (std::size_t from = b > 128 ? b - 128 : b % 2; from <= b + 128; from += 2) {
    if (from + 2 * frames > copy.size()) break;
    double signal = 0, noise = 0, level = 0;
    for (std::size_t i = 0; i < 2 * frames; ++i) {
      const double h = heard[a + i], c = copy[from + i];
      signal += h * h, noise += (h - c) * (h - c), level += c * c;
    }
    const double snr = 10 * std::log10(signal / std::max(noise, 1.0));
    if (snr > best.signalToNoise) best = {snr, std::sqrt(level / signal)};
  }
  return best;
}

}  // namespace

// The rendering that is played from the cache is what the synthesiser plays
// live, sample for sample but for where it starts: over the first one and a half
// seconds of each of the game's tunes, the difference stays 50 dB below the
// music (62 dB and more at the time of writing), at the same level.
TEST_F(SoundTest, RenderedTunesSoundAsTheSynthesiserPlaysThem) {
  if (!kSynthesises) GTEST_SKIP() << kNoSynthesiser;
  const std::string soundFont = platform::FindSoundFont();
  ASSERT_FALSE(soundFont.empty());
  for (const char* name : {"music2.mid", "music1.mid"}) {
    const std::string tune = std::string(MORVEX2_SOURCE_DIR) + "/data/" + name;
    platform::SdlMixerAudio live(soundFont, "");
    std::filesystem::remove(output_);
    ASSERT_TRUE(live.Open());
    live.PlayTune(live.LoadTune(tune.c_str()));
    Listen(2000);
    live.Close();
    const Samples heard = Heard();

    ASSERT_TRUE(audio_.Open());
    ASSERT_NE(audio_.LoadTune(tune.c_str()), 0);
    platform::SdlMixerAudioProbe::FinishRenderings(audio_);
    audio_.Close();
    const auto rendering = platform::ReadCachedTune(platform::TuneCachePath(
        PathOf("cache/morvex2"), Read(tune), platform::SoundFontIdentity(soundFont)));
    ASSERT_TRUE(rendering) << name;
    const Likeness likeness = Compare(heard, DecodeRendering(*rendering), 66150);
    EXPECT_GT(likeness.signalToNoise, 50) << name;
    EXPECT_NEAR(likeness.levelRatio, 1, 0.06) << name << ": half a decibel";
  }
}

// A tune changed after it was rendered is heard as it is now. Each tune is a
// chord: the old one loud, the new one soft.
TEST_F(SoundTest, AChangedTuneIsHeardNotItsOldRendering) {
  if (!kSynthesises) GTEST_SKIP() << kNoSynthesiser;
  const auto heardPeak = [&](const Bytes& tune) { return PeakOfTune(Write("music1.mid", tune)); };
  const int loud = heardPeak(ChordMidi(250, 500));
  EXPECT_GT(heardPeak(ChordMidi(250, 500)) * 3, loud * 2) << "rendered, now played from the cache";
  EXPECT_LT(heardPeak(ChordMidi(250, 500, 20)) * 3, loud);
}

// A rendering found damaged is not played: the tune is synthesised, and
// rendered anew. Each damage is tried with the rendering of a soft chord in
// place of a loud one's, so that playing it would be heard.
TEST_F(SoundTest, ADamagedRenderingIsRebuiltNeverPlayed) {
  if (!kSynthesises) GTEST_SKIP() << kNoSynthesiser;
  const std::string soundFont = platform::FindSoundFont();
  const auto cachePath = [&](const Bytes& tune) {
    return platform::TuneCachePath(PathOf("cache/morvex2"), tune,
                                   platform::SoundFontIdentity(soundFont));
  };
  const Bytes loud = ChordMidi(250, 500), soft = ChordMidi(250, 500, 20);
  ASSERT_TRUE(audio_.Open());
  audio_.LoadTune(Write("loud.mid", loud).c_str());
  audio_.LoadTune(Write("soft.mid", soft).c_str());
  platform::SdlMixerAudioProbe::FinishRenderings(audio_);
  audio_.Close();
  const Bytes softRendering = Read(cachePath(soft));
  ASSERT_GT(softRendering.size(), 100u);

  const struct {
    const char* damage;
    std::function<void(Bytes&)> apply;
  } cases[] = {
      {"another tune's rendering", [](Bytes&) {}},
      {"a byte changed", [](Bytes& b) { b[b.size() / 2] ^= 1; }},
      {"cut short", [](Bytes& b) { b.resize(b.size() - 1000); }},
      {"empty", [](Bytes& b) { b.clear(); }},
  };
  for (const auto& c : cases) {
    Bytes damaged = softRendering;
    c.apply(damaged);
    Write("cache/morvex2/" + std::filesystem::path(cachePath(loud)).filename().string(), damaged);
    EXPECT_GT(PeakOfTune(PathOf("loud.mid")),
              3 * Peak(DecodeRendering(*platform::ReadCachedTune(cachePath(soft)))))
        << c.damage;
    EXPECT_TRUE(platform::ReadCachedTune(cachePath(loud))) << c.damage << ": rendered anew";
  }
}

// SDL_SOUNDFONTS names the soundfont when it names one that is there; else
// the Debian default is used; with none at all the tunes are silent, and
// that is said once.
TEST_F(SoundTest, TheSoundFontIsTheNamedOneElseTheDefaultElseSilence) {
  const std::string font = Write("mine.sf2", {1});
  const struct {
    bool set;
    std::string named, found;  // found empty: the Debian default
  } cases[] = {
      {false, "", ""},
      {true, "", ""},
      {true, "/no/such.sf2", ""},
      {true, font, font},
      {true, "/no/such.sf2:" + font, font},
      {true, PathOf(""), ""},  // a folder
  };
  std::string debianDefault;
  for (const char* path :
       {"/usr/share/sounds/sf3/default-GM.sf3", "/usr/share/sounds/sf2/default-GM.sf2"}) {
    if (debianDefault.empty() && std::filesystem::is_regular_file(path)) debianDefault = path;
  }
  for (const auto& c : cases) {
    if (c.set) {
      setenv("SDL_SOUNDFONTS", c.named.c_str(), 1);
    } else {
      unsetenv("SDL_SOUNDFONTS");
    }
    EXPECT_EQ(platform::FindSoundFont(), c.found.empty() ? debianDefault : c.found) << c.named;
  }
  unsetenv("SDL_SOUNDFONTS");

  if (!kSynthesises) return;  // nothing is synthesised: no soundfont is needed
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::SdlMixerAudio silent("", PathOf("cache"));
  testing::internal::CaptureStderr();
  ASSERT_TRUE(silent.Open());
  EXPECT_EQ(silent.LoadTune(Write("music1.mid", ChordMidi(250, 250)).c_str()), 0);
  silent.Close();
  ASSERT_TRUE(silent.Open());
  silent.Close();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("soundfont"), std::string::npos) << said;
}

// A rendering made with the game is heard for the very tune and soundfont it
// was made from, and nothing is rendered into the cache for it. Here it is a
// square wave, unlike anything the synthesiser makes, for a soft chord.
// Without the synthesiser the soundfont does not matter, and any other tune
// is silent, which is said once.
TEST_F(SoundTest, TheRenderingMadeWithTheGameIsHeardForItsTuneAndSoundFont) {
  const auto [soundFont, identity, shipped] = ShippedFolder();
  const Bytes tune = ChordMidi(250, 500, 20);
  ASSERT_TRUE(platform::WriteCachedTune(platform::TuneCachePath(shipped, tune, identity),
                                        SquareWav(1000, 8000)));
  const std::string otherFont = PathOf("other.sf2");
  std::filesystem::create_symlink(soundFont, otherFont);  // another path: another identity

  enum Heard { kRendering, kSynthesised, kSilence };
  const struct {
    const char* what;
    Bytes tune;
    std::string soundFont;
    Heard heard;
  } cases[] = {
      {"the game's tune and soundfont", tune, soundFont, kRendering},
      {"another soundfont", tune, otherFont, kSynthesises ? kSynthesised : kRendering},
      {"a tune of the player's", ChordMidi(250, 500, 21), soundFont,
       kSynthesises ? kSynthesised : kSilence},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(PathOf("rendered"));
    platform::SdlMixerAudio audio(c.soundFont, PathOf("rendered"));
    audio.UseShippedRenderings(shipped);
    platform::ForgetLoggedErrors();
    testing::internal::CaptureStderr();
    const int peak = PeakOfTune(Write("music2.mid", c.tune), audio);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(peak == 8000, c.heard == kRendering) << c.what << ": " << peak;
    EXPECT_EQ(peak == 0, c.heard == kSilence) << c.what;
    EXPECT_EQ(std::filesystem::exists(PathOf("rendered")), c.heard == kSynthesised)
        << c.what << ": rendered into the cache";
    // The disk driver says a line of its own; the game's lines are its own.
    std::size_t lines = 0;
    for (std::size_t at = said.find("morvex2: "); at != std::string::npos;
         at = said.find("morvex2: ", at + 1)) {
      ++lines;
    }
    EXPECT_EQ(lines, c.heard == kSilence ? 1u : 0u) << c.what << ": " << said;
  }
}

// How the page answers for a rendering it fetches: here once its file is.
platform::LateFile Arrival(const std::string& path) {
  return std::filesystem::exists(path) ? platform::LateFile::kHere : platform::LateFile::kComing;
}

// The page fetches the renderings once its first frame is out. A tune whose
// rendering has not come is silent (the last screen's tune stops for it),
// and starts when it comes unless the game stopped it meanwhile.
TEST_F(SoundTest, ARenderingThatComesLateStartsItsTuneLate) {
  const auto [soundFont, identity, shipped] = ShippedFolder();
  const Bytes here = ChordMidi(250, 500, 20);
  const Bytes late = ChordMidi(250, 500, 21);
  ASSERT_TRUE(platform::WriteCachedTune(platform::TuneCachePath(shipped, here, identity),
                                        SquareWav(1000, 4000)));
  const std::string latePath = platform::TuneCachePath(shipped, late, identity);

  for (const bool stoppedMeanwhile : {false, true}) {
    std::filesystem::remove(output_);
    std::filesystem::remove(latePath);
    platform::SdlMixerAudio audio(soundFont, PathOf("rendered"));
    audio.UseShippedRenderings(shipped);
    std::vector<std::string> asked;
    audio.AwaitRenderings({.folder = shipped, .ask = [&](const std::string& path) {
                             asked.push_back(path);
                             return Arrival(path);
                           }});
    ASSERT_TRUE(audio.Open());
    audio.PlayTune(audio.LoadTune(Write("music1.mid", here).c_str()));
    const platform::TuneHandle awaited = audio.LoadTune(Write("music2.mid", late).c_str());
    EXPECT_NE(awaited, 0);
    EXPECT_EQ(asked, std::vector<std::string>{latePath});
    Listen(200);
    audio.PlayTune(awaited);
    const std::size_t switched = OutputBytes() / 2;
    Listen(200);
    if (stoppedMeanwhile) audio.StopTune();
    const std::size_t came = LateRenderingComes(audio, latePath);
    const Samples heard = Heard();
    EXPECT_EQ(Peak(heard, 0, switched), 4000) << "the first tune played";
    // The driver has up to two buffers queued when the tunes switch.
    EXPECT_EQ(Peak(heard, switched + 2 * 2 * 2048, came), 0) << "silent while the rendering comes";
    EXPECT_EQ(Peak(heard, came), stoppedMeanwhile ? 0 : 8000) << "stopped: " << stoppedMeanwhile;
  }
}

// A rendering that could not be fetched, or came damaged (its copy is
// removed, so that it is fetched anew), leaves its tune silent and the game
// waiting for nothing; the next time the tune is played it is asked for
// again, and heard once it comes.
TEST_F(SoundTest, ALateRenderingThatFailedIsAskedForAgainWhenItsTuneIsNextPlayed) {
  const auto [soundFont, identity, shipped] = ShippedFolder();
  const Bytes late = ChordMidi(250, 500, 22);
  const std::string latePath = platform::TuneCachePath(shipped, late, identity);
  for (const bool cameDamaged : {false, true}) {
    std::filesystem::remove(output_);
    std::filesystem::remove(latePath);
    platform::SdlMixerAudio audio(soundFont, PathOf("rendered"));
    audio.UseShippedRenderings(shipped);
    int asks = 0;
    bool fails = true;
    audio.AwaitRenderings({.folder = shipped, .ask = [&](const std::string& path) {
                             ++asks;
                             if (asks == 2 && fails && !cameDamaged)
                               return platform::LateFile::kNone;
                             return Arrival(path);
                           }});
    ASSERT_TRUE(audio.Open());
    const platform::TuneHandle tune = audio.LoadTune(Write("music1.mid", late).c_str());
    audio.PlayTune(tune);
    if (cameDamaged) {
      ASSERT_TRUE(platform::WriteCachedTune(latePath, SquareWav(1000, 8000)));
      Bytes damaged = Read(latePath);
      damaged[damaged.size() / 2] ^= 0x10;
      Write(latePath.substr(folder_.string().size() + 1), damaged);
    }
    audio.TakeLateRenderings();
    EXPECT_FALSE(audio.AwaitsRenderings()) << "damaged: " << cameDamaged;
    EXPECT_FALSE(std::filesystem::exists(latePath)) << "a damaged copy is removed";
    EXPECT_EQ(asks, 2);
    audio.TakeLateRenderings();
    EXPECT_EQ(asks, 2) << "not asked again until the tune is played";
    Listen(200);
    const std::size_t replayed = OutputBytes() / 2;
    fails = false;
    audio.PlayTune(tune);
    EXPECT_EQ(asks, 3) << "damaged: " << cameDamaged;
    const std::size_t came = LateRenderingComes(audio, latePath);
    const Samples heard = Heard();
    EXPECT_EQ(Peak(heard, 0, replayed), 0) << "silent while it failed; damaged: " << cameDamaged;
    EXPECT_EQ(Peak(heard, came), 8000) << "heard once it came; damaged: " << cameDamaged;
  }
}

// On the page, an Ogg rendering that came late is checked, then decoded by
// the browser; its tune waits for the samples and plays them from the cache.
// Where none come (no decoder, or it failed, or nothing was kept) the tune
// plays the Ogg rendering as it is.
TEST_F(SoundTest, ALateOggRenderingIsHeardFromItsDecodedSamplesOrElseAsItIs) {
  const std::string shipped = PathOf("shipped");
  std::filesystem::copy(MORVEX2_BINARY_DIR "/share/morvex2", shipped);
  const std::string tune = std::string(MORVEX2_SOURCE_DIR) + "/data/music1.mid";
  const std::string latePath =
      platform::TuneCachePath(shipped, Read(tune), platform::ShippedSoundFont(shipped));
  const Bytes ogg = Read(latePath);
  ASSERT_GT(ogg.size(), 24u);
  using platform::DecodedRendering;

  enum Source { kSamples, kOgg };
  const struct {
    const char* what;
    bool decodes;
    DecodedRendering taken;
    bool keeps;  // the samples are in the cache
    Source heard;
  } cases[] = {
      {"the samples come and are kept", true, DecodedRendering::kWritten, true, kSamples},
      {"nothing decodes it", false, DecodedRendering::kFailed, false, kOgg},
      {"the decoder failed", true, DecodedRendering::kFailed, false, kOgg},
      {"kept, and gone meanwhile", true, DecodedRendering::kWritten, false, kOgg},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(output_);
    std::filesystem::remove(latePath);
    std::filesystem::remove_all(PathOf("rendered"));
    platform::SdlMixerAudio audio(platform::FindSoundFont(), PathOf("rendered"));
    audio.UseShippedRenderings(shipped);
    std::vector<std::uint64_t> decodedLengths;
    int takes = 0;
    audio.AwaitRenderings({.folder = shipped,
                           .ask = Arrival,
                           .decode =
                               [&](const std::string& path, std::uint64_t length) {
                                 EXPECT_EQ(path, latePath) << c.what;
                                 decodedLengths.push_back(length);
                                 return c.decodes;
                               },
                           .take =
                               [&](const std::string& path, const std::string& cachePath) {
                                 EXPECT_EQ(path, latePath) << c.what;
                                 if (++takes == 1) return DecodedRendering::kComing;
                                 if (c.keeps) {
                                   EXPECT_TRUE(
                                       platform::WriteCachedTune(cachePath, SquareWav(1000, 8000)));
                                 }
                                 return c.taken;
                               }});
    ASSERT_TRUE(audio.Open());
    audio.PlayTune(audio.LoadTune(tune.c_str()));
    Listen(100);
    Write(latePath.substr(folder_.string().size() + 1), ogg);
    const std::size_t arrived = OutputBytes() / 2;
    for (int call = 0; call < 2; ++call) {
      audio.TakeLateRenderings();  // the rendering is checked, then its samples are coming
      Listen(100);
    }
    const std::size_t came = OutputBytes() / 2;
    audio.TakeLateRenderings();
    EXPECT_FALSE(audio.AwaitsRenderings()) << c.what;
    Listen(300);
    audio.Close();
    const Samples heard = Heard();
    EXPECT_EQ(decodedLengths, std::vector<std::uint64_t>{ogg.size() - 24})
        << c.what << ": the stream, without the checked file's trailer";
    EXPECT_EQ(Peak(heard, 0, c.decodes ? came : arrived), 0)
        << c.what << ": silent until the rendering, or its samples, came";
    const int peak = Peak(heard, came);
    EXPECT_EQ(peak == 8000, c.heard == kSamples) << c.what << ": " << peak;
    EXPECT_NE(peak, 0) << c.what;
  }
}

// How many frames an Ogg stream decodes to: the granule position of its last
// page, whose capture pattern is the last in the file.
std::uint64_t OggFrames(const Bytes& ogg) {
  static constexpr std::uint8_t kCapture[] = {'O', 'g', 'g', 'S'};
  const auto page = std::find_end(ogg.begin(), ogg.end(), std::begin(kCapture), std::end(kCapture));
  if (ogg.end() - page < 14) return 0;
  std::uint64_t frames = 0;
  for (int i = 7; i >= 0; --i) frames = frames << 8 | page[6 + i];
  return frames;
}

// The build renders the game's tunes into the build tree's data files, and
// the game finds them there for its own tunes and the soundfont found here,
// synthesising nothing. Where it decodes them into its cache, each is decoded
// whole, and from its next start its tune plays from there: sample for sample
// what the shipped file sounded like.
TEST_F(SoundTest, TheGamesTunesArePlayedFromTheRenderingsOfTheBuild) {
  // A copy, so that the second start can hear nothing but the cache.
  const std::string shipped = PathOf("shipped");
  std::filesystem::copy(MORVEX2_BINARY_DIR "/share/morvex2", shipped);
  const std::string identity = platform::ShippedSoundFont(shipped);
  std::vector<std::string> tunes;
  for (const char* name : {"music1.mid", "music2.mid"}) {
    tunes.push_back(std::string(MORVEX2_SOURCE_DIR) + "/data/" + name);
  }
  Samples heard[2];
  for (int start = 0; start < (kDecodes ? 2 : 1); ++start) {
    platform::SdlMixerAudio audio(platform::FindSoundFont(), PathOf("rendered"));
    audio.UseShippedRenderings(shipped);
    std::filesystem::remove(output_);
    ASSERT_TRUE(audio.Open());
    std::vector<platform::TuneHandle> handles;
    for (const std::string& tune : tunes) handles.push_back(audio.LoadTune(tune.c_str()));
    EXPECT_NE(handles[0], 0);
    EXPECT_NE(handles[1], 0);
    audio.PlayTune(handles[0]);
    Listen(1000);
    platform::SdlMixerAudioProbe::FinishRenderings(audio);
    audio.Close();
    heard[start] = Heard();
    if (start > 0) break;
    if (!kDecodes) {
      EXPECT_FALSE(std::filesystem::exists(PathOf("rendered"))) << "nothing was rendered";
      break;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(PathOf("rendered")), {}), 2);
    for (const std::string& tune : tunes) {
      const std::string name = platform::TuneCachePath("", Read(tune), identity);
      const auto decoded = platform::ReadCachedTune(PathOf("rendered") + name);
      const auto encoded = platform::ReadCachedTune(shipped + name);
      ASSERT_TRUE(decoded && encoded) << tune;
      EXPECT_EQ(DecodeRendering(*decoded).size(), 2 * OggFrames(*encoded)) << tune;
      std::filesystem::remove(shipped + name);
    }
  }
  if (!kDecodes) return;
  // Silence from the mixer is exactly 0, so the tune starts at the first
  // sample that is not.
  const auto notSilent = [](std::int16_t sample) { return sample != 0; };
  const auto fromShipped = std::find_if(heard[0].begin(), heard[0].end(), notSilent);
  const auto fromCache = std::find_if(heard[1].begin(), heard[1].end(), notSilent);
  constexpr std::ptrdiff_t kCompared = 2 * 44100 * 3 / 4;
  ASSERT_GE(heard[0].end() - fromShipped, kCompared);
  ASSERT_GE(heard[1].end() - fromCache, kCompared);
  EXPECT_TRUE(std::equal(fromShipped, fromShipped + kCompared, fromCache));
}

// The renderings the build ships are its synthesiser's renderings, encoded:
// each lasts exactly as long, to the frame, so a tune loops where it always
// did; it is a tenth of the size or less; and heard through the mixer, its
// first one and a half seconds are at the same level and well above the
// encoder's noise (18 dB and more at the time of writing; another tune, or
// the same one shifted, would be near 0 dB).
TEST_F(SoundTest, TheShippedRenderingsAreTheSynthesisersEncoded) {
  const std::string shipped = MORVEX2_BINARY_DIR "/share/morvex2";
  const std::string rendered = MORVEX2_BINARY_DIR "/tune-renderings";
  const std::string identity = platform::ShippedSoundFont(shipped);
  ASSERT_FALSE(identity.empty());
  EXPECT_EQ(platform::ShippedSoundFont(rendered), identity);
  for (const char* name : {"music2.mid", "music1.mid"}) {
    const std::string tune = std::string(MORVEX2_SOURCE_DIR) + "/data/" + name;
    const auto original =
        platform::ReadCachedTune(platform::TuneCachePath(rendered, Read(tune), identity));
    const auto encoded =
        platform::ReadCachedTune(platform::TuneCachePath(shipped, Read(tune), identity));
    ASSERT_TRUE(original && encoded) << name;
    const Samples samples = DecodeRendering(*original);
    EXPECT_EQ(OggFrames(*encoded), samples.size() / 2) << name;
    EXPECT_LT(encoded->size() * 10, original->size()) << name;

    audio_.UseShippedRenderings(shipped);
    std::filesystem::remove(output_);
    ASSERT_TRUE(audio_.Open());
    audio_.PlayTune(audio_.LoadTune(tune.c_str()));
    Listen(2000);
    const Likeness likeness = Compare(Heard(), samples, 66150);
    EXPECT_GT(likeness.signalToNoise, 12) << name;
    EXPECT_NEAR(likeness.levelRatio, 1, 0.06) << name << ": half a decibel";
  }
}

// A clap file is read only when it is a regular file of a clap's size: a FIFO
// or a device would hang or flood the game. A file that passes is converted
// once; one that lasts too long is refused before it is. What PlaySound reads
// is played only when it converts.
TEST_F(SoundTest, HostileClapFilesCostNothing) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(audio_.Open());
  Bytes lying = SquareWav(100, 8000);
  lying[40] = 0xFF, lying[41] = 0xFF;  // the data chunk claims far more than the file has
  ASSERT_EQ(mkfifo(PathOf("fifo.wav").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", PathOf("zero.wav"));
  {
    std::ofstream big(PathOf("big.wav"), std::ios::binary);
    const Bytes header = SquareWav(1, 8000);
    big.write(reinterpret_cast<const char*>(header.data()), 44);
  }
  std::filesystem::resize_file(PathOf("big.wav"), 25 * 1000 * 1000);
  Write("long.wav", SquareWav(5100, 8000, 8000, true));
  Write("lying.wav", lying);
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  // Each is refused with one line that says why.
  const std::pair<const char*, const char*> cases[] = {
      {"fifo.wav", "not a regular file of a sound's size"},
      {"zero.wav", "not a regular file of a sound's size"},
      {"big.wav", "not a regular file of a sound's size"},
      {"long.wav", "not a clap the game can play: longer than 5 seconds"},
      {"lying.wav",
       "not a clap the game can play: a chunk's header claims more bytes than the file has"},
  };
  for (const auto& [name, why] : cases) {
    EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(audio_.PlaySound(PathOf(name).c_str())) << name; }),
              "morvex2: reading " + PathOf(name) + ": " + why + "\n");
  }
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 4096) << "KiB";
  EXPECT_TRUE(audio_.PlaySound(Write("Clap.wav", SquareWav(100, 8000)).c_str()));
}

TEST(ClapWave, ConvertsToTheDeviceFormatWithinBounds) {
  const platform::DeviceFormat device;  // 16-bit stereo at 44,100 Hz
  const Bytes clap = SquareWav(100, 8000);
  Bytes noChannels = clap, unknownEncoding = clap;
  noChannels[22] = 0, unknownEncoding[20] = 0x77;
  const struct {
    const char* name;
    Bytes bytes;
    std::size_t converted;  // 0: refused
  } cases[] = {
      {"as the device", SquareWav(100, 8000), 4410 * 4},
      {"8-bit mono at 11,025 Hz", SquareWav(1000, 8000, 11025, true), 44100 * 4},
      {"five seconds", SquareWav(5000, 8000, 8000, true), 5 * 44100 * 4},
      {"longer", SquareWav(5100, 8000, 8000, true), 0},
      {"a strange rate", SquareWav(1000, 8000, 1000, true), 0},
      {"no samples", SquareWav(0, 8000), 0},
      {"header cut short", Bytes(clap.begin(), clap.begin() + 30), 0},
      {"not a WAV", {'O', 'g', 'g', 'S', 0, 2}, 0},
      {"empty", {}, 0},
      {"no channels", noChannels, 0},
      {"an unknown encoding", unknownEncoding, 0},
  };
  for (const auto& c : cases) {
    const auto samples = platform::DecodeClap(c.bytes, device);
    if (c.converted == 0) {
      EXPECT_FALSE(samples) << c.name;
    } else {
      ASSERT_TRUE(samples) << c.name;
      // The converter may round the length by a frame or so.
      EXPECT_NEAR(static_cast<double>(samples->size()), static_cast<double>(c.converted), 64)
          << c.name;
    }
  }
}
