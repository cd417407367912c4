#include "platform/base/log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <string>

#include "platform/base/clock.h"
#include "platform/base/console.h"
#include "platform/base/line_log.h"
#include "platform/base/log_testing.h"

namespace platform {

namespace {

// The tunes are rendered on a thread of their own, which may fail too.
std::mutex g_logMutex;
std::set<std::string, std::less<>> g_saidOnce;
LineLog g_logFile;
// Lines said before the file is known, with their times; as many as it keeps.
std::deque<std::string> g_waiting;
// Every line said is numbered; the last few are kept with their numbers.
constexpr std::size_t kRecentLines = 8;
std::uint64_t g_lineNumber = 0;
std::uint64_t g_lastNotInFile = 0;  // the last line the file did not take
std::deque<std::pair<std::uint64_t, std::string>> g_recent;

// "2026-12-09 03:12:45 " and the line, without its end.
std::string Dated(const std::string& line) {
  const std::tm now = SystemClock().LocalTime();
  char date[80];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d ", now.tm_year + 1900,
                now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
  return date + line.substr(0, line.size() - 1);
}

// `line` ends in '\n'. The lock is held.
void Say(const std::string& line) {
  WriteConsoleLine(line);
  ++g_lineNumber;
  g_recent.emplace_back(g_lineNumber, line);
  if (g_recent.size() > kRecentLines) g_recent.pop_front();
  if (ConsoleReachesPlayer()) {
    g_lastNotInFile = g_lineNumber;
    return;
  }
  if (g_logFile.IsOpen()) {
    g_logFile.Append(Dated(line));
    if (!g_logFile.TookLastLine()) g_lastNotInFile = g_lineNumber;
    return;
  }
  g_lastNotInFile = g_lineNumber;
  g_waiting.push_back(Dated(line));
  if (g_waiting.size() > LineLog::kKeptLines) g_waiting.pop_front();
}

}  // namespace

void LogError(std::string_view what, std::string_view why, Repeats repeats) {
  std::string line = "morvex2: ";
  line.append(what).append(": ").append(why.empty() ? std::string_view("unknown reason") : why);
  // A reason may carry a line break of its own; the line stays one.
  std::replace(line.begin(), line.end(), '\n', ' ');
  line += '\n';
  const std::lock_guard<std::mutex> lock(g_logMutex);
  if (repeats == Repeats::kLogOnce && !g_saidOnce.emplace(what).second) return;
  Say(line);
}

void LogLine(std::string_view line) {
  const std::string whole = std::string(line) + "\n";
  const std::lock_guard<std::mutex> lock(g_logMutex);
  Say(whole);
}

void LogErrno(std::string_view what, int error, Repeats repeats) {
  LogError(what, std::strerror(error), repeats);
}

void ForgetLoggedErrors() {
  const std::lock_guard<std::mutex> lock(g_logMutex);
  g_saidOnce.clear();
}

void LogToFile(const std::string& path) {
  if (ConsoleReachesPlayer()) return;
  const std::lock_guard<std::mutex> lock(g_logMutex);
  g_logFile.Open(path);
  bool tookAll = true;
  for (const std::string& line : g_waiting) {
    g_logFile.Append(line);
    tookAll = tookAll && g_logFile.TookLastLine();
  }
  if (!g_waiting.empty() && tookAll) g_lastNotInFile = 0;
  g_waiting.clear();
}

std::uint64_t LogMark() {
  const std::lock_guard<std::mutex> lock(g_logMutex);
  return g_lineNumber;
}

bool LogFileHoldsLinesSince(std::uint64_t mark) {
  const std::lock_guard<std::mutex> lock(g_logMutex);
  return g_lastNotInFile <= mark;
}

std::string LinesSaidSince(std::uint64_t mark) {
  const std::lock_guard<std::mutex> lock(g_logMutex);
  std::string lines;
  for (const auto& [number, line] : g_recent) {
    if (number <= mark) continue;
    lines += std::string_view(line).starts_with("morvex2: ") ? line.substr(9) : line;
  }
  return lines;
}

}  // namespace platform
