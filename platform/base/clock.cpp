#include "platform/base/clock.h"

namespace platform {

std::tm VirtualClock::LocalTime() {
  return LocalTimeAt(UnixSeconds());
}

}  // namespace platform
