#include "platform/base/clock.h"

namespace platform {

std::int64_t SystemClock::UnixSeconds() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

std::tm SystemClock::LocalTime() {
  return LocalTimeAt(UnixSeconds());
}

std::tm VirtualClock::LocalTime() {
  return LocalTimeAt(UnixSeconds());
}

}  // namespace platform
