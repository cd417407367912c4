// Feeds arbitrary bytes to RecordResult as the score file and as "zel.ini",
// with arbitrary results and clock readings. Besides what the sanitizers
// catch, it checks that every text shown ends inside its field, that at most
// one row is red, and that a rewritten file holds exactly the table shown.
//
// Built by clang with libFuzzer apart from the game; the outside calls that
// RecordResult makes are stubbed here. It works in a scratch directory of its
// own, so corpus directories must be given as absolute paths.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/globals.h"
#include "platform/clock.h"
#include "ranking/score_file.h"

HINSTANCE g_hInstance = nullptr;

namespace {

int g_claps = 0;

class FuzzClock final : public platform::Clock {
 public:
  std::int64_t NowMs() override { return 0; }
  std::int64_t UnixSeconds() override { return 0; }
  std::tm LocalTime() override { return time; }
  void SleepUntilMs(std::int64_t) override {}
  std::tm time{};
} g_clock;

}  // namespace

BOOL PlaySoundA(LPCSTR, HINSTANCE, DWORD) {
  return ++g_claps;
}

platform::Clock& platform::GameClock() {
  return g_clock;
}

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Takes the input in order; past its end every byte is 0.
struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::uint8_t Byte() { return size > 0 ? (--size, *data++) : 0; }
  std::int32_t Int() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{Byte()} << (8 * i);
    return static_cast<std::int32_t>(value);
  }
  std::string Take(std::size_t count) {
    count = std::min(count, size);
    std::string taken(reinterpret_cast<const char*>(data), count);
    data += count, size -= count;
    return taken;
  }
};

void Put(const char* name, const std::string& bytes, mode_t mode) {
  const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, mode);
  Check(fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()));
  ::close(fd);
}

std::string Get(const char* name) {
  std::string bytes;
  char buffer[1024];
  const int fd = ::open(name, O_RDONLY);
  for (ssize_t got; fd >= 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  if (fd >= 0) ::close(fd);
  return bytes;
}

bool Terminated(const char* field, std::size_t size) {
  return std::memchr(field, '\0', size) != nullptr;
}

// The file, read back, gives the very table that is shown.
void CheckFileHoldsTable(const std::string& file, const ScoreTable& shown) {
  ScoreTable read{};
  DecodeScoreFile(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), read);
  for (std::size_t i = 0; i < read.size(); ++i) {
    const ScoreRecord& a = read[i];
    const ScoreRecord& b = shown[i];
    Check(a.score == b.score && std::memcmp(a.name, b.name, sizeof a.name) == 0 &&
          std::memcmp(a.date, b.date, sizeof a.date) == 0 &&
          std::memcmp(a.scoreText, b.scoreText, sizeof a.scoreText) == 0 &&
          std::memcmp(a.removedText, b.removedText, sizeof a.removedText) == 0);
  }
}

constexpr const char* kFiles[] = {"zyou.pod",     "tyuu.pod",     "syo.pod",    "zel.ini",
                                  "zyou.pod.new", "tyuu.pod.new", "syo.pod.new"};
std::string g_directory;

void RemoveScratch() {
  for (const char* name : kFiles) ::unlink(name);
  ::rmdir(g_directory.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // tmpfs when there is one: every run writes and flushes files.
  g_directory = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  g_directory += "/morvex2-fuzz-XXXXXX";
  Check(::mkdtemp(g_directory.data()) != nullptr && ::chdir(g_directory.c_str()) == 0);
  std::atexit(RemoveScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input{data, size};
  const std::uint8_t flags = input.Byte();
  const int level = (flags >> 3) & 3;  // 3 is no level at all
  const bool haveScoreFile = (flags & 1) != 0 && level < 3;
  const bool readOnly = (flags & 4) != 0;
  const std::int32_t score = input.Int();
  const std::int32_t removedCount = input.Int();
  std::tm& time = g_clock.time;
  for (int* field : {&time.tm_sec, &time.tm_min, &time.tm_hour, &time.tm_mday, &time.tm_mon,
                     &time.tm_year, &time.tm_wday}) {
    *field = input.Int();
  }
  const std::size_t scoreFileSize = input.Byte() | (std::size_t{input.Byte()} << 8);
  const std::string scoreFile = input.Take(scoreFileSize);

  for (const char* name : kFiles) ::unlink(name);
  if (haveScoreFile) Put(ScoreFileName(level), scoreFile, readOnly ? 0444 : 0644);
  if ((flags & 2) != 0) Put("zel.ini", input.Take(size), 0644);
  g_claps = 0;

  const auto table = RecordResult(level, score, removedCount);
  int red = 0;
  for (const ScoreRecord& record : *table) {
    Check(Terminated(record.name, sizeof record.name) &&
          Terminated(record.date, sizeof record.date) &&
          Terminated(record.scoreText, sizeof record.scoreText) &&
          Terminated(record.removedText, sizeof record.removedText));
    red += record.color == kScoreRowRed;
    Check(record.color == kScoreRowRed || record.color == kScoreRowWhite);
  }
  Check(red <= 1);
  if (!haveScoreFile) return Check(g_claps == 0 && red == 0), 0;

  const std::string after = Get(ScoreFileName(level));
  if (readOnly) {
    // Never written; an entry that could not be saved is announced.
    Check(after == scoreFile && (red == 0 || g_claps == 1));
  } else if (after.size() == kScoreFileSize) {
    CheckFileHoldsTable(after, *table);
    Check(g_claps == 0);
  } else {
    // Left alone: only a qualifying result without a name does that.
    Check(after == scoreFile && red == 0 && g_claps == 0);
  }
  Check(::access((std::string(ScoreFileName(level)) + ".new").c_str(), F_OK) != 0);
  return 0;
}
