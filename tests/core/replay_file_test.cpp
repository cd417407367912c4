// The replay format: what is written reads back the same, and every way a
// file can be wrong is refused with its own one-line reason.
#include "core/replay_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Every field at an extreme, and message times and keys of every width.
Replay Sample() {
  return {.level = 0,
          .seed = 0xFFFFFFFFu,
          .ending = ReplayEnding::kLeft,
          .score = 2147483647,
          .removedCount = -1,
          .fieldSettled = -1,
          .resolveBusy = 1,
          .messages = {{0, ReplayMessageKind::kKeyDown, 13},
                       {0, ReplayMessageKind::kTick, 0},
                       {480, ReplayMessageKind::kKeyDown, 40},
                       {486, ReplayMessageKind::kKeyUp, 0},
                       {200000, ReplayMessageKind::kKeyDown, 0x1234},
                       {0xFFFFFFFFu, ReplayMessageKind::kKeyDown, 27}}};
}

std::string Decoded(std::vector<std::uint8_t> bytes) {
  Replay replay;
  std::string error;
  return DecodeReplay(bytes, &replay, &error) ? "ok" : error;
}

// The bytes with a fresh checksum, as a file written by a faulty or a future
// writer would have.
std::vector<std::uint8_t> Resealed(std::vector<std::uint8_t> bytes) {
  bytes.resize(bytes.size() - 4);
  // CRC-32 as zlib computes it, worked out here bit by bit.
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc ^= 0xFFFFFFFFu;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
  return bytes;
}

TEST(ReplayFileTest, WrittenReplaysReadBackTheSame) {
  const Replay sample = Sample();
  const std::vector<std::uint8_t> bytes = EncodeReplay(sample);
  // Header, checksum, and 1 + 1 + 3 + 2 + 3 + 5 + 1 + 1 bytes of messages...
  EXPECT_EQ(bytes.size(), 32u + 4u + 2u + 1u + 3u + 1u + 5u + 6u);
  Replay read;
  std::string error;
  ASSERT_TRUE(DecodeReplay(bytes, &read, &error)) << error;
  EXPECT_EQ(read, sample);
  Replay empty;
  ASSERT_TRUE(DecodeReplay(EncodeReplay(empty), &read, &error)) << error;
  EXPECT_EQ(read, empty);
}

TEST(ReplayFileTest, EveryDamageIsRefusedWithItsReason) {
  const std::vector<std::uint8_t> good = EncodeReplay(Sample());
  const auto changed = [&good](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> bytes = good;
    bytes[at] = value;
    return Resealed(bytes);
  };
  const auto cut = [&good](std::size_t size) {
    return std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(size));
  };
  std::vector<std::uint8_t> longer = good;
  longer.insert(longer.end() - 4, 0x00);
  std::vector<std::uint8_t> endless = changed(28, 7);  // a seventh message of six bytes
  endless.insert(endless.end() - 4, {0x80, 0x80, 0x80, 0x80, 0x80, 0x00});
  std::vector<std::uint8_t> countless = changed(28, 0xFF);
  std::vector<std::uint8_t> oneMore = changed(28, 7);
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::string reason;
  } cases[] = {
      {"empty", {}, "not a Morvex2 replay"},
      {"a score file", std::vector<std::uint8_t>(590, 0xE0), "not a Morvex2 replay"},
      {"header only", cut(20), "the replay is cut short"},
      {"last byte missing", cut(good.size() - 1),
       "the replay is damaged (its checksum does not match)"},
      {"one bit flipped",
       [&] {
         auto b = good;
         b[40] ^= 4;
         return b;
       }(),
       "the replay is damaged (its checksum does not match)"},
      {"version 2", changed(4, 2), "the replay is of format 2, newer than this game reads (1)"},
      {"version 0", changed(4, 0), "the replay is of format 0, not a replay this game ever wrote"},
      {"level 3", changed(6, 3), "the replay names an unknown level"},
      {"ending 0", changed(7, 0), "the replay names an unknown ending"},
      {"huge count", countless, "the replay claims more messages than it holds"},
      {"count one more", oneMore, "the replay's messages are cut short or malformed"},
      {"extra byte", Resealed(longer), "the replay has bytes after its last message"},
      {"six-byte number", Resealed(endless), "the replay's messages are cut short or malformed"},
      {"kind 3", changed(32, 3), "the replay holds a message of an unknown kind"},
  };
  for (const auto& c : cases) EXPECT_EQ(Decoded(c.bytes), c.reason) << c.what;
}

TEST(ReplayFileTest, FilesThatCannotBeReadAreNamedInTheError) {
  const fs::path folder =
      fs::temp_directory_path() / ("morvex2-replay-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const std::string big = (folder / "big.mvr").string();
  std::ofstream(big, std::ios::binary) << "MVR";
  fs::resize_file(big, kMaxReplayBytes + 2);  // sparse: nothing is written
  const std::string fifo = (folder / "fifo.mvr").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string missing = (folder / "missing.mvr").string();
  const struct {
    std::string path;
    std::string error;
  } cases[] = {
      {missing, "cannot read '" + missing + "': No such file or directory"},
      {folder.string(), "cannot read '" + folder.string() + "': not a regular file, or too large"},
      {fifo, "cannot read '" + fifo + "': not a regular file, or too large"},
      {big, "cannot read '" + big + "': not a regular file, or too large"},
  };
  for (const auto& c : cases) {
    Replay replay;
    std::string error;
    EXPECT_FALSE(ReadReplayFile(c.path, &replay, &error)) << c.path;
    EXPECT_EQ(error, c.error);
  }
  fs::remove_all(folder);
}

}  // namespace
