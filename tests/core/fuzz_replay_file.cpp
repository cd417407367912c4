// The replay reader under libFuzzer: any bytes either decode to a replay that
// stays inside the reader's bounds and survives writing and reading again, or
// are refused with one line — never a crash, a hang or a huge allocation.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "core/replay_file.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void DecodeAndCheck(std::span<const std::uint8_t> bytes) {
  Replay replay;
  std::string error;
  if (!DecodeReplay(bytes, &replay, &error)) {
    Check(!error.empty() && error.find('\n') == std::string::npos);
    return;
  }
  Check(replay.level >= 0 && replay.level <= 2);
  Check(replay.messages.size() <= kMaxReplayMessages && replay.messages.size() <= bytes.size());
  for (std::size_t i = 1; i < replay.messages.size(); ++i) {
    Check(replay.messages[i - 1].timeMs <= replay.messages[i].timeMs);
  }
  Replay again;
  Check(DecodeReplay(EncodeReplay(replay), &again, &error));
  Check(again == replay);
}

}  // namespace

// Each input is tried as it is and with its checksum made right, so that the
// messages behind the checksum are explored too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  DecodeAndCheck(std::span<const std::uint8_t>(data, size));
  if (size < 4) return 0;
  std::vector<std::uint8_t> mended(data, data + size);
  const uLong sum = crc32(crc32(0L, Z_NULL, 0), mended.data(), static_cast<uInt>(size - 4));
  for (int i = 0; i < 4; ++i) mended[size - 4 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
  DecodeAndCheck(mended);
  return 0;
}
