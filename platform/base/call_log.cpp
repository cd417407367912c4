#include "platform/base/call_log.h"

namespace platform {

namespace {
CallLog* g_activeCallLog = nullptr;
}

CallLog* ActiveCallLog() {
  return g_activeCallLog;
}

void SetActiveCallLog(CallLog* log) {
  g_activeCallLog = log;
}

}  // namespace platform
