// A shipped rendering decoded into the cache: its samples are, byte for byte,
// those the Vorbis tools' own decoder writes (the mixer asks the same library
// for them), and whatever the cache could not keep or the decoder not read
// leaves nothing behind.
#include "platform/tunes/rendering_decoder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "formats/wave_header.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A WAV file of two notes a fifth apart, one a channel.
Bytes NotesWav(int channels, std::uint32_t rate, std::uint32_t frames) {
  const auto header = formats::WaveHeader(channels, static_cast<int>(rate),
                                          frames * 2 * static_cast<std::uint32_t>(channels));
  Bytes wav(header.begin(), header.end());
  for (std::uint32_t frame = 0; frame < frames; ++frame) {
    for (int channel = 0; channel < channels; ++channel) {
      const double hz = channel == 0 ? 440 : 660;
      const double sample = 12000 * std::sin(2 * M_PI * hz * frame / rate);
      const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(sample));
      wav.push_back(static_cast<std::uint8_t>(bits));
      wav.push_back(static_cast<std::uint8_t>(bits >> 8));
    }
  }
  return wav;
}

class RenderingDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "morvex2-decoder-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::string PathOf(const std::string& name) const { return (root_ / name).string(); }
  static Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  // The WAV file encoded as the build encodes the shipped renderings.
  Bytes Encoded(const Bytes& wav, int serial = 1) const {
    WriteAll(PathOf("in.wav"), wav);
    const std::string command = "oggenc -Q -q 0 --serial " + std::to_string(serial) + " -o " +
                                PathOf("out.ogg") + " " + PathOf("in.wav");
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadAll(PathOf("out.ogg"));
  }
  // What the Vorbis tools' decoder makes of the Ogg file.
  Bytes Reference(const Bytes& ogg) const {
    WriteAll(PathOf("ref.ogg"), ogg);
    const std::string command = "oggdec -Q -o " + PathOf("ref.wav") + " " + PathOf("ref.ogg");
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadAll(PathOf("ref.wav"));
  }
  // The rendering at `from` decoded into the cache file `to`, read back.
  static std::optional<Bytes> Decoded(const std::string& from, const std::string& to,
                                      bool cancelled = false) {
    const std::atomic<bool> cancel{cancelled};
    {
      platform::CachedTuneWriter out(to);
      if (!platform::DecodeOggRendering(from, cancel, out) || !out.Finish()) return std::nullopt;
    }
    return platform::ReadCachedTune(to);
  }

  std::filesystem::path root_;
};

TEST_F(RenderingDecoderTest, TheSamplesAreTheDecodersOwnAtTheStreamsRateAndChannels) {
  const struct {
    int channels;
    std::uint32_t rate;
  } cases[] = {{2, 44100}, {1, 22050}};
  for (const auto& c : cases) {
    const Bytes ogg = Encoded(NotesWav(c.channels, c.rate, c.rate * 3 / 2));
    ASSERT_TRUE(platform::WriteCachedTune(PathOf("shipped.tune"), ogg));
    const std::optional<Bytes> decoded = Decoded(PathOf("shipped.tune"), PathOf("cache.tune"));
    ASSERT_TRUE(decoded) << c.channels << " channels";
    EXPECT_EQ(*decoded, Reference(ogg)) << c.channels << " channels";
  }
}

TEST_F(RenderingDecoderTest, WhatCannotBeDecodedOrKeptLeavesNothing) {
  const Bytes ogg = Encoded(NotesWav(2, 44100, 44100));
  ASSERT_TRUE(platform::WriteCachedTune(PathOf("damaged"), ogg));
  Bytes damaged = ReadAll(PathOf("damaged"));
  damaged[damaged.size() / 2] ^= 0x10;
  Bytes chained = ogg;
  const Bytes second = Encoded(NotesWav(2, 44100, 44100), 2);
  chained.insert(chained.end(), second.begin(), second.end());

  const struct {
    const char* what;
    std::optional<Bytes> rendering;  // kept as the cache keeps it
    std::optional<Bytes> raw;        // written as it is
    bool cancelled;
  } cases[] = {
      {"plain samples, already as the cache keeps them", NotesWav(2, 44100, 4410), {}, false},
      {"two streams, one after the other", chained, {}, false},
      {"a rate at which ten minutes would not fit in the cache",
       Encoded(NotesWav(2, 96000, 9600)),
       {},
       false},
      {"a file damaged since it was written", {}, damaged, false},
      {"no file at all", {}, {}, false},
      {"a decoding given up", ogg, {}, true},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(PathOf("cache"));
    std::filesystem::remove(PathOf("shipped.tune"));
    if (c.rendering) {
      ASSERT_TRUE(platform::WriteCachedTune(PathOf("shipped.tune"), *c.rendering));
    }
    if (c.raw) WriteAll(PathOf("shipped.tune"), *c.raw);
    EXPECT_FALSE(Decoded(PathOf("shipped.tune"), PathOf("cache/x.tune"), c.cancelled)) << c.what;
    EXPECT_TRUE(std::filesystem::is_empty(PathOf("cache"))) << c.what;
  }
}

}  // namespace
