#include "ranking/player_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/base/failure_log.h"

namespace {

bool IsRegularFile(int fd) {
  struct stat status {};
  return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

// Up to the whole buffer from the start of the file; nullopt on a read error.
std::optional<std::size_t> ReadStart(int fd, char* buffer, std::size_t size) {
  std::size_t total = 0;
  while (total < size) {
    const ssize_t got = ::read(fd, buffer + total, size - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      platform::LogErrnoFailure(std::string("read(") + kSettingsFileName + ")", errno);
      return std::nullopt;
    }
    if (got == 0) break;
    total += static_cast<std::size_t>(got);
  }
  return total;
}

}  // namespace

std::optional<PlayerName> ReadPlayerName() {
  // O_NONBLOCK keeps a FIFO of that name from hanging the game.
  const int fd = ::open(kSettingsFileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (errno != ENOENT)
      platform::LogErrnoFailure(std::string("open(") + kSettingsFileName + ")", errno);
    return std::nullopt;
  }
  PlayerName name{};
  std::optional<std::size_t> length;
  if (IsRegularFile(fd)) {
    length = ReadStart(fd, name.bytes.data(), name.bytes.size());
  } else {
    platform::LogFailure(std::string("reading ") + kSettingsFileName,
                         "not a regular file, so the new high score is not entered");
  }
  ::close(fd);
  if (!length) return std::nullopt;
  name.length = *length;
  return name;
}
