// Feeds arbitrary text to the headless host's script reader. A script it
// accepts holds only steps the host can run: key codes of one byte, focus 0
// or 1, waits that cannot overflow the clock, a file for every capture; one
// it refuses names the line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/headless/host_script.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using Kind = platform::HostStep::Kind;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<platform::HostStep> steps;
  std::string error;
  if (!platform::ParseHostScript(text, &steps, &error)) {
    Check(error.rfind("line ", 0) == 0);
    return 0;
  }
  for (const platform::HostStep& step : steps) {
    switch (step.kind) {
      case Kind::kKeyDown:
      case Kind::kKeyUp:
        Check(step.value >= 0 && step.value <= 0xFF);
        break;
      case Kind::kFocus:
        Check(step.value == 0 || step.value == 1);
        break;
      case Kind::kWait:
        Check(step.value >= 0 && step.value < 1000000000);
        break;
      case Kind::kCapture:
        Check(!step.path.empty());
        break;
      case Kind::kClose:
        break;
    }
  }
  return 0;
}
