// Feeds arbitrary bytes to RecordResult as the score file and as "zel.ini",
// with arbitrary results and clock readings. Besides what the sanitizers
// catch, it checks that every text shown ends inside its field, that at most
// one row is red and none for a result the file did not take, that a
// rewritten file holds exactly the table shown, and that the clap sounds
// exactly when the table could not be rewritten.
//
// Built by clang with libFuzzer apart from the game; the outside calls that
// RecordResult makes are stubbed here. It works in a scratch directory of its
// own, so corpus directories must be given as absolute paths.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/globals.h"
#include "platform/base/clock.h"
#include "platform/win32/host.h"
#include "ranking/score_file.h"

HINSTANCE g_hInstance = nullptr;

namespace {

int g_claps = 0;

struct FuzzClock final : public platform::Clock {
  std::int64_t NowMs() override { return 0; }
  std::int64_t UnixSeconds() override { return 0; }
  std::tm LocalTime() override { return time; }
  std::tm time{};
} g_clock;

void Check(bool ok) {
  if (!ok) std::abort();
}

void Put(const char* name, const std::string& bytes, mode_t mode) {
  std::ofstream(name, std::ios::binary) << bytes;
  Check(::chmod(name, mode) == 0);
}

std::string Get(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr const char* kFiles[] = {"zyou.pod", "tyuu.pod", "syo.pod", "zel.ini"};
std::string g_directory;

}  // namespace

BOOL PlaySoundA(LPCSTR, HINSTANCE, DWORD) {
  return ++g_claps;
}

platform::Clock& platform::GameClock() {
  return g_clock;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // tmpfs when there is one: every run writes and flushes files.
  g_directory = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  g_directory += "/morvex2-fuzz-XXXXXX";
  Check(::mkdtemp(g_directory.data()) != nullptr && ::chdir(g_directory.c_str()) == 0);
  std::atexit([] {
    for (const char* name : kFiles) ::unlink(name);
    ::rmdir(g_directory.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input taken in order; past its end every byte is 0.
  std::size_t at = 0;
  auto byte = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
  auto int32 = [&] {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{byte()} << (8 * i);
    return static_cast<std::int32_t>(value);
  };
  auto take = [&](std::size_t count) {
    const std::size_t start = std::min(at, size);
    at = std::min(size, start + count);
    return std::string(reinterpret_cast<const char*>(data) + start, at - start);
  };
  const std::uint8_t flags = byte();
  const int level = (flags >> 3) & 3;  // 3 is no level at all
  const bool haveScoreFile = (flags & 1) != 0 && level < 3, readOnly = (flags & 4) != 0;
  const std::int32_t score = int32(), removedCount = int32();
  std::tm& time = g_clock.time;
  for (int* field : {&time.tm_sec, &time.tm_min, &time.tm_hour, &time.tm_mday, &time.tm_mon,
                     &time.tm_year, &time.tm_wday}) {
    *field = int32();
  }
  const std::size_t scoreFileSize = byte() | std::size_t{byte()} << 8;
  const std::string scoreFile = take(scoreFileSize);
  for (const char* name : kFiles) ::unlink(name);
  if (haveScoreFile) Put(ScoreFileName(level), scoreFile, readOnly ? 0444 : 0644);
  if ((flags & 2) != 0) Put("zel.ini", take(size), 0644);
  g_claps = 0;

  const auto table = RecordResult(level, score, removedCount);
  int red = 0;
  for (const ScoreRecord& r : *table) {
    Check(std::memchr(r.name, '\0', sizeof r.name) && std::memchr(r.date, '\0', sizeof r.date) &&
          std::memchr(r.scoreText, '\0', sizeof r.scoreText) &&
          std::memchr(r.removedText, '\0', sizeof r.removedText));
    Check(r.color == kScoreRowRed || r.color == kScoreRowWhite);
    red += r.color == kScoreRowRed;
  }
  Check(red <= 1);
  if (!haveScoreFile) return Check(g_claps == 0 && red == 0), 0;

  const std::string after = Get(ScoreFileName(level));
  const ScoreFileBytes shown = EncodeScoreFile(*table);
  // With no row red the table shown is the file as read, so a row scoring
  // below the result means that the result qualified.
  const bool qualified = std::any_of(table->begin(), table->end(),
                                     [&](const ScoreRecord& r) { return r.score < score; });
  if (red == 0 && qualified && (flags & 2) == 0) {
    // Lost for want of a name: the file is left alone, and nothing sounds.
    Check(after == scoreFile && g_claps == 0);
  } else if (readOnly) {
    // The rewrite comes even when nothing entered; it cannot be made, which
    // the clap says once, and the file keeps its bytes. A result is never
    // shown as entered in a table that did not take it.
    Check(after == scoreFile && g_claps == 1 && red == 0);
  } else {
    Check(after.size() == kScoreFileSize &&
          std::memcmp(after.data(), shown.data(), kScoreFileSize) == 0 && g_claps == 0);
  }
  // Nothing is left beside the table: only the files put there remain.
  Check(std::distance(std::filesystem::directory_iterator("."), {}) == 1 + ((flags & 2) != 0));
  return 0;
}
