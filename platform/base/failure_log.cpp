#include "platform/base/failure_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

namespace platform {

namespace {

// The tunes are rendered on a thread of their own, which may fail too.
std::mutex g_logMutex;
std::set<std::string, std::less<>> g_saidOnce;

}  // namespace

void LogFailure(std::string_view what, std::string_view why, Repeats repeats) {
  std::string line = "morvex2: ";
  line.append(what).append(": ").append(why.empty() ? std::string_view("unknown reason") : why);
  // A reason may carry a line break of its own; the line stays one.
  std::replace(line.begin(), line.end(), '\n', ' ');
  line += '\n';
  const std::lock_guard<std::mutex> lock(g_logMutex);
  if (repeats == Repeats::kSayOnce && !g_saidOnce.emplace(what).second) return;
  std::fputs(line.c_str(), stderr);
}

void SayLine(std::string_view line) {
  const std::string whole = std::string(line) + "\n";
  const std::lock_guard<std::mutex> lock(g_logMutex);
  std::fputs(whole.c_str(), stderr);
}

void LogErrnoFailure(std::string_view what, int error, Repeats repeats) {
  LogFailure(what, std::strerror(error), repeats);
}

void ForgetLoggedFailures() {
  const std::lock_guard<std::mutex> lock(g_logMutex);
  g_saidOnce.clear();
}

}  // namespace platform
