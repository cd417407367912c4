// The recording side of the platform layer. While the host has a CallLog
// (RecordCall in platform/win32/host.h), the layer notes every timer, sound and
// music call the game makes (and the scene switches and results the shell is
// asked for), in order. The simulator prints them and tests assert on them; the
// game itself never installs one.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace platform {

struct RecordedCall {
  std::string name;                // "SetTimer", "KillTimer", "PlaySound", "KBGMPlay", ...
  std::vector<std::int64_t> args;  // numeric arguments in call order
  std::string text;                // a file name argument, if the call has one

  bool operator==(const RecordedCall&) const = default;
};

// ["Name",arg,...,"text"], as the simulator prints calls; readable test failures.
inline std::ostream& operator<<(std::ostream& out, const RecordedCall& call) {
  out << "[\"" << call.name << '"';
  for (std::int64_t arg : call.args) out << ',' << arg;
  if (!call.text.empty()) out << ",\"" << call.text << '"';
  return out << ']';
}

class CallLog {
 public:
  void Record(std::string name, std::vector<std::int64_t> args = {}, std::string text = {}) {
    calls_.push_back(RecordedCall{std::move(name), std::move(args), std::move(text)});
  }
  [[nodiscard]] const std::vector<RecordedCall>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }

 private:
  std::vector<RecordedCall> calls_;
};

}  // namespace platform
