// Samples decoded elsewhere (the browser's decoder, on the page) kept in the
// tune cache: the file is the WAV header and every sample in order, asked for
// block after block, as many blocks a step as asked; whatever the cache does
// not keep, or a source that fails half-way, leaves nothing behind.
#include "platform/tunes/decoded_rendering.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "formats/wave_header.h"
#include "platform/tunes/tune_cache.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A sample that tells every frame and channel apart (up to 2^15 frames).
std::int16_t SampleAt(std::uint64_t frame, std::size_t channel) {
  return static_cast<std::int16_t>(static_cast<int>((frame * 2 + channel) * 7919 % 65536) - 32768);
}

class DecodedRenderingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "morvex2-decoded-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  // Writes the frames, `blocks` at each step, through a source that gives
  // SampleAt, failing from `failsAt` on; the cache file read back, or
  // nothing. `asked` gets the first frame of every block asked for, and
  // `steps` counts the steps.
  std::optional<Bytes> Written(platform::SampleFormat format, std::uint64_t frames,
                               std::uint64_t failsAt, std::vector<std::uint64_t>* asked,
                               int blocks = 1, int* steps = nullptr) {
    const std::string path = (root_ / "cache" / "x.tune").string();
    const platform::SampleSource source = [&](std::uint64_t first, std::span<std::int16_t> into) {
      asked->push_back(first);
      if (first >= failsAt) return false;
      const auto channels = static_cast<std::size_t>(format.channels);
      for (std::size_t i = 0; i < into.size(); ++i) {
        into[i] = SampleAt(first + i / channels, i % channels);
      }
      return true;
    };
    {
      platform::DecodedSamplesWriter writer(path, format, frames);
      using Step = platform::DecodedSamplesWriter::Step;
      Step step = Step::kMore;
      while (step == Step::kMore) {
        step = writer.Write(source, blocks);
        if (steps != nullptr) ++*steps;
      }
      if (step == Step::kFailed) return std::nullopt;
    }
    return platform::ReadCachedTune(path);
  }

  std::filesystem::path root_;
};

TEST_F(DecodedRenderingTest, TheFileIsTheHeaderAndEverySampleInOrder) {
  const struct {
    platform::SampleFormat format;
    std::uint64_t frames;
    int blocksAStep;
    std::vector<std::uint64_t> blocks;  // 64 KB each
    int steps;
  } cases[] = {
      {{2, 44100}, 40000, 1, {0, 16384, 32768}, 3},
      {{2, 44100}, 40000, 2, {0, 16384, 32768}, 2},
      {{1, 22050}, 32768, 1, {0}, 1},
      {{2, 48000}, 1, 16, {0}, 1},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(root_ / "cache");
    std::vector<std::uint64_t> asked;
    int steps = 0;
    const std::optional<Bytes> written =
        Written(c.format, c.frames, UINT64_MAX, &asked, c.blocksAStep, &steps);
    ASSERT_TRUE(written) << c.frames;
    EXPECT_EQ(asked, c.blocks) << c.frames;
    EXPECT_EQ(steps, c.steps) << c.frames;
    const auto channels = static_cast<std::size_t>(c.format.channels);
    const auto header = formats::WaveHeader(c.format.channels, c.format.rate,
                                            static_cast<std::uint32_t>(c.frames * channels * 2));
    Bytes expected(header.begin(), header.end());
    for (std::uint64_t frame = 0; frame < c.frames; ++frame) {
      for (std::size_t channel = 0; channel < channels; ++channel) {
        const auto bits = static_cast<std::uint16_t>(SampleAt(frame, channel));
        expected.push_back(static_cast<std::uint8_t>(bits));
        expected.push_back(static_cast<std::uint8_t>(bits >> 8));
      }
    }
    EXPECT_EQ(*written, expected) << c.frames;
  }
}

TEST_F(DecodedRenderingTest, WhatTheCacheDoesNotKeepLeavesNothing) {
  const std::uint64_t tenMinutes = std::uint64_t{platform::kLongestRenderedSeconds} * 44100;
  const struct {
    const char* what;
    platform::SampleFormat format;
    std::uint64_t frames;
    std::uint64_t failsAt;
  } cases[] = {
      {"no channels", {0, 44100}, 100, UINT64_MAX},
      {"three channels", {3, 44100}, 100, UINT64_MAX},
      {"a rate at which ten minutes would not fit", {2, 96000}, 100, UINT64_MAX},
      {"no rate", {2, 0}, 100, UINT64_MAX},
      {"no frames", {2, 44100}, 0, UINT64_MAX},
      {"longer than ten minutes", {2, 44100}, tenMinutes + 1, UINT64_MAX},
      {"a source that fails half-way", {2, 44100}, 40000, 16384},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(root_ / "cache");
    std::vector<std::uint64_t> asked;
    EXPECT_FALSE(Written(c.format, c.frames, c.failsAt, &asked)) << c.what;
    EXPECT_TRUE(std::filesystem::is_empty(root_ / "cache")) << c.what;
    // Refused before a sample is asked for, unless the source fails.
    EXPECT_EQ(asked.empty(), c.failsAt == UINT64_MAX) << c.what;
  }
}

}  // namespace
