#include "core/replay_file.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/base/whole_file.h"

namespace {

constexpr std::uint8_t kMagic[4] = {'M', 'V', 'R', 0x1A};
constexpr std::size_t kHeaderBytes = 32;
constexpr std::size_t kChecksumBytes = 4;
// A message's first number: a wait of up to 2^32 - 1 ms, times 4, plus its kind.
constexpr std::uint64_t kLargestWord = (std::uint64_t{0xFFFFFFFFu} << 2) | 3;
constexpr char kBadMessage[] = "the replay's messages are cut short or malformed";

std::uint32_t Checksum(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(
      crc32(crc32(0L, Z_NULL, 0), bytes.data(), static_cast<uInt>(bytes.size())));
}

void PutLittle(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t GetLittle(const std::uint8_t* in, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
  return value;
}

// Seven bits a byte, low bits first; the top bit says another byte follows.
void PutVarint(std::vector<std::uint8_t>& out, std::uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<std::uint8_t>(value | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(value));
}

// At most five bytes and `most`; false at the end of the bytes or for a
// longer or larger number.
bool GetVarint(std::span<const std::uint8_t> bytes, std::size_t* at, std::uint64_t most,
               std::uint64_t* value) {
  *value = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    if (*at >= bytes.size()) return false;
    const std::uint8_t byte = bytes[(*at)++];
    *value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return *value <= most;
  }
  return false;
}

bool Fail(std::string* error, std::string_view why) {
  *error = why;
  return false;
}

}  // namespace

std::vector<std::uint8_t> EncodeReplay(const Replay& replay) {
  std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
  out.reserve(kHeaderBytes + replay.messages.size() * 2 + kChecksumBytes);
  PutLittle(out, kReplayVersion, 2);
  out.push_back(static_cast<std::uint8_t>(replay.level));
  out.push_back(static_cast<std::uint8_t>(replay.ending));
  PutLittle(out, replay.seed, 4);
  PutLittle(out, static_cast<std::uint32_t>(replay.score), 4);
  PutLittle(out, static_cast<std::uint32_t>(replay.removedCount), 4);
  PutLittle(out, static_cast<std::uint32_t>(replay.fieldSettled), 4);
  PutLittle(out, static_cast<std::uint32_t>(replay.resolveBusy), 4);
  PutLittle(out, static_cast<std::uint32_t>(replay.messages.size()), 4);
  std::uint32_t previous = 0;
  for (const ReplayMessage& message : replay.messages) {
    // Times never go backwards; a clock that did is written as no wait.
    const std::uint32_t wait = message.timeMs >= previous ? message.timeMs - previous : 0;
    previous = std::max(previous, message.timeMs);
    PutVarint(out, (std::uint64_t{wait} << 2) | static_cast<std::uint8_t>(message.kind));
    if (message.kind == ReplayMessageKind::kKeyDown) PutVarint(out, message.key);
  }
  PutLittle(out, Checksum(out), 4);
  return out;
}

namespace {

// The magic, the version, the size and the checksum.
bool CheckFrame(std::span<const std::uint8_t> bytes, std::string* error) {
  if (bytes.size() < 4 || std::memcmp(bytes.data(), kMagic, 4) != 0) {
    return Fail(error, "not a Morvex2 replay");
  }
  if (bytes.size() < kHeaderBytes + kChecksumBytes) return Fail(error, "the replay is cut short");
  const std::uint32_t version = GetLittle(bytes.data() + 4, 2);
  // Formats are counted from 1: a 0 there was never written by any copy of the game.
  if (version == 0)
    return Fail(error, "the replay is of format 0, not a replay this game ever wrote");
  if (version > kReplayVersion) {
    return Fail(error, "the replay is of format " + std::to_string(version) +
                           ", newer than this game reads (" + std::to_string(kReplayVersion) + ")");
  }
  if (bytes.size() > kMaxReplayBytes) return Fail(error, "the replay is too large");
  const std::size_t body = bytes.size() - kChecksumBytes;
  if (Checksum(bytes.first(body)) != GetLittle(bytes.data() + body, 4)) {
    return Fail(error, "the replay is damaged (its checksum does not match)");
  }
  return true;
}

// The game's settings in the header, and how many messages follow.
bool DecodeHeader(const std::uint8_t* head, std::size_t body, Replay* read, std::uint32_t* count,
                  std::string* error) {
  read->level = head[6];
  if (read->level > 2) return Fail(error, "the replay names an unknown level");
  if (head[7] != static_cast<std::uint8_t>(ReplayEnding::kGameOver) &&
      head[7] != static_cast<std::uint8_t>(ReplayEnding::kLeft)) {
    return Fail(error, "the replay names an unknown ending");
  }
  read->ending = static_cast<ReplayEnding>(head[7]);
  read->seed = GetLittle(head + 8, 4);
  read->score = static_cast<std::int32_t>(GetLittle(head + 12, 4));
  read->removedCount = static_cast<std::int32_t>(GetLittle(head + 16, 4));
  read->fieldSettled = static_cast<std::int32_t>(GetLittle(head + 20, 4));
  read->resolveBusy = static_cast<std::int32_t>(GetLittle(head + 24, 4));
  *count = GetLittle(head + 28, 4);
  // Each message takes at least one byte, so the count is checked against the
  // file before anything is reserved for it.
  if (*count > kMaxReplayMessages || *count > body - kHeaderBytes) {
    return Fail(error, "the replay claims more messages than it holds");
  }
  return true;
}

// The message at `at`; `time` is the time of the one before, and becomes its.
bool DecodeMessage(std::span<const std::uint8_t> messages, std::size_t* at, std::uint64_t* time,
                   ReplayMessage* message, std::string* error) {
  std::uint64_t word = 0;
  if (!GetVarint(messages, at, kLargestWord, &word)) return Fail(error, kBadMessage);
  *time += word >> 2;
  if (*time > 0xFFFFFFFFu) return Fail(error, "the replay runs longer than a game can");
  message->timeMs = static_cast<std::uint32_t>(*time);
  switch (word & 3) {
    case 0:
      message->kind = ReplayMessageKind::kTick;
      return true;
    case 1: {
      message->kind = ReplayMessageKind::kKeyDown;
      std::uint64_t key = 0;
      if (!GetVarint(messages, at, 0xFFFFFFFFu, &key)) return Fail(error, kBadMessage);
      message->key = static_cast<std::uint32_t>(key);
      return true;
    }
    case 2:
      message->kind = ReplayMessageKind::kKeyUp;
      return true;
    default:
      return Fail(error, "the replay holds a message of an unknown kind");
  }
}

}  // namespace

bool DecodeReplay(std::span<const std::uint8_t> bytes, Replay* replay, std::string* error) {
  if (!CheckFrame(bytes, error)) return false;
  const std::size_t body = bytes.size() - kChecksumBytes;
  Replay read;
  std::uint32_t count = 0;
  if (!DecodeHeader(bytes.data(), body, &read, &count, error)) return false;
  read.messages.reserve(count);
  const auto messages = bytes.first(body);
  std::size_t at = kHeaderBytes;
  std::uint64_t time = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    ReplayMessage message;
    if (!DecodeMessage(messages, &at, &time, &message, error)) return false;
    read.messages.push_back(message);
  }
  if (at != body) return Fail(error, "the replay has bytes after its last message");
  *replay = std::move(read);
  return true;
}

bool ReadReplayFile(const std::string& path, Replay* replay, std::string* error) {
  errno = 0;
  // One byte more than allowed tells a file that is too large from one that fits.
  const auto bytes = platform::ReadSmallFile(path, kMaxReplayBytes + 1);
  if (!bytes) {
    const int why = errno;
    *error = "cannot read '" + path + "'" +
             (why != 0 ? std::string(": ") + std::strerror(why)
                       : std::string(": not a regular file, or too large"));
    return false;
  }
  if (!DecodeReplay(*bytes, replay, error)) {
    *error = "'" + path + "': " + *error;
    return false;
  }
  return true;
}
