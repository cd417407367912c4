// Feeds arbitrary bytes to RecordResult as the score file and as "zel.ini",
// with arbitrary results and clock readings, in a scratch directory of its
// own. Besides what the sanitizers catch, it checks that every text shown is
// terminated inside its field, that at most one row is red, and that a file
// that was rewritten holds exactly the table that is shown.
//
// Built with clang and libFuzzer, apart from the game: the few outside calls
// that RecordResult makes are stubbed below.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/globals.h"
#include "platform/clock.h"
#include "ranking/score_file.h"
#include "ranking/score_table.h"

// --- Stubs for the platform and the shell ------------------------------------

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
};

FuzzClock g_clock;

}  // namespace

BOOL PlaySoundA(LPCSTR, HINSTANCE, DWORD) {
  ++g_claps;
  return 1;
}

namespace platform {
Clock& GameClock() {
  return g_clock;
}
}  // namespace platform

// --- The harness ---------------------------------------------------------------

namespace {

constexpr const char* kFiles[] = {"zyou.pod",     "tyuu.pod",     "syo.pod",    "zel.ini",
                                  "zyou.pod.new", "tyuu.pod.new", "syo.pod.new"};

void Check(bool ok) {
  if (!ok) std::abort();
}

// Reads input bytes in order; past the end every byte is 0.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::int32_t Int() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{Byte()} << (8 * i);
    return static_cast<std::int32_t>(value);
  }
  std::string Take(std::size_t count) {
    count = std::min(count, size_ - std::min(at_, size_));
    std::string taken(reinterpret_cast<const char*>(data_ + std::min(at_, size_)), count);
    at_ += count;
    return taken;
  }
  std::string Rest() { return Take(size_); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

void Put(const char* name, const std::string& bytes, mode_t mode) {
  const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, mode);
  Check(fd >= 0);
  Check(::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

std::string Get(const char* name) {
  std::string bytes;
  const int fd = ::open(name, O_RDONLY);
  if (fd < 0) return bytes;
  char buffer[1024];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, got);
  ::close(fd);
  return bytes;
}

void CheckTerminated(const ScoreRecord& record) {
  Check(std::memchr(record.name, '\0', sizeof record.name) != nullptr);
  Check(std::memchr(record.date, '\0', sizeof record.date) != nullptr);
  Check(std::memchr(record.scoreText, '\0', sizeof record.scoreText) != nullptr);
  Check(std::memchr(record.removedText, '\0', sizeof record.removedText) != nullptr);
}

// The texts of the file and of the table shown must be the same bytes.
void CheckFileHoldsTable(const std::string& file, const ScoreTable& shown) {
  Check(file.size() == kScoreFileSize);
  ScoreTable read{};
  DecodeScoreFile(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), read);
  for (std::size_t i = 0; i < read.size(); ++i) {
    Check(std::memcmp(read[i].name, shown[i].name, sizeof read[i].name) == 0);
    Check(std::memcmp(read[i].date, shown[i].date, sizeof read[i].date) == 0);
    Check(std::memcmp(read[i].scoreText, shown[i].scoreText, sizeof read[i].scoreText) == 0);
    Check(std::memcmp(read[i].removedText, shown[i].removedText, sizeof read[i].removedText) == 0);
    Check(read[i].score == shown[i].score);
  }
}

std::string g_directory;

void RemoveScratch() {
  for (const char* name : kFiles) ::unlink(name);
  ::rmdir(g_directory.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // tmpfs when there is one: every run writes and flushes files.
  const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string pattern = std::string(base) + "/morvex2-fuzz-XXXXXX";
  Check(::mkdtemp(pattern.data()) != nullptr);
  g_directory = pattern;
  Check(::chdir(g_directory.c_str()) == 0);
  std::atexit(RemoveScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  const std::uint8_t flags = input.Byte();
  const int level = (flags >> 3) & 3;  // 3 is no level at all
  const std::int32_t score = input.Int();
  const std::int32_t removedCount = input.Int();
  std::tm& time = g_clock.time;
  for (int* field : {&time.tm_sec, &time.tm_min, &time.tm_hour, &time.tm_mday, &time.tm_mon,
                     &time.tm_year, &time.tm_wday}) {
    *field = input.Int();
  }
  const std::size_t scoreFileSize = input.Byte() | (std::size_t{input.Byte()} << 8);
  const std::string scoreFile = input.Take(scoreFileSize);
  const std::string settings = input.Rest();

  for (const char* name : kFiles) ::unlink(name);
  const bool haveScoreFile = (flags & 1) != 0 && level < 3;
  const bool readOnly = (flags & 4) != 0;
  if (haveScoreFile) Put(ScoreFileName(level), scoreFile, readOnly ? 0444 : 0644);
  if ((flags & 2) != 0) Put("zel.ini", settings, 0644);

  g_claps = 0;
  const auto table = RecordResult(level, score, removedCount);
  Check(table != nullptr);
  int red = 0;
  for (const ScoreRecord& record : *table) {
    CheckTerminated(record);
    if (record.color == kScoreRowRed)
      ++red;
    else
      Check(record.color == kScoreRowWhite);
  }
  Check(red <= 1);
  Check(g_claps <= 1);

  if (!haveScoreFile) {
    Check(g_claps == 0 && red == 0);
    return 0;
  }
  const std::string after = Get(ScoreFileName(level));
  if (readOnly) {
    Check(after == scoreFile);
    Check(red == 0 || g_claps == 1);  // an entry that could not be saved is announced
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
