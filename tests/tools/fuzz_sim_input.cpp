// Feeds arbitrary text to morvex2-sim's two readers, the field and the
// script (the first byte chooses). What they accept is within what the
// simulator can run: a level of 0 to 2, key codes of one byte, a tick limit
// that is not negative; what they refuse comes with a one-line reason.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/morvex2_sim/sim_input.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckReason(const std::string& error) {
  Check(!error.empty() && error.find('\n') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string error;
  if (data[0] % 2 == 0) {
    sim::FieldInput field;
    if (!sim::ParseField(text, field, error)) return CheckReason(error), 0;
    Check(field.maxTicks >= 0);
    return 0;
  }
  sim::ScriptInput script;
  if (!sim::ParseScript(text, script, error)) return CheckReason(error), 0;
  Check(script.level >= 0 && script.level <= 2 && script.events.size() <= size);
  for (const sim::Event& event : script.events) {
    Check(event.kind != sim::EventKind::kKey || event.key <= 0xFF);
  }
  return 0;
}
