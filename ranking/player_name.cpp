#include "ranking/player_name.h"

#include <cerrno>
#include <string>

#include "platform/base/files.h"
#include "platform/base/log.h"

namespace {

bool IsRegularFile(const platform::File& file) {
  const std::optional<platform::FileInfo> info = file.Info();
  return info && info->kind == platform::FileKind::kRegular;
}

// Up to the whole buffer from the start of the file; nullopt on a read error.
std::optional<std::size_t> ReadStart(platform::File& file, char* buffer, std::size_t size) {
  const std::optional<std::size_t> total =
      file.Read(std::span(reinterpret_cast<std::uint8_t*>(buffer), size));
  if (!total) platform::LogErrno(std::string("read(") + kSettingsFileName + ")", errno);
  return total;
}

}  // namespace

std::optional<PlayerName> ReadPlayerName() {
  // The open does not wait, so a FIFO of that name cannot hang the game.
  platform::File file = platform::File::OpenForReading(kSettingsFileName);
  if (!file.IsOpen()) {
    if (errno != ENOENT) {
      platform::LogErrno(std::string("open(") + kSettingsFileName + ")", errno);
    } else {
      platform::LogError(std::string("reading ") + kSettingsFileName,
                         "the file is missing, so the new high score is not entered");
    }
    return std::nullopt;
  }
  PlayerName name{};
  std::optional<std::size_t> length;
  if (IsRegularFile(file)) {
    length = ReadStart(file, name.bytes.data(), name.bytes.size());
  } else {
    platform::LogError(std::string("reading ") + kSettingsFileName,
                       "not a regular file, so the new high score is not entered");
  }
  if (!length) return std::nullopt;
  name.length = *length;
  return name;
}
