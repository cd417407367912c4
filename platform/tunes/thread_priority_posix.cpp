// A thread's priority on Linux, where each thread has a nice value of its own.
#include <sys/resource.h>
#include <unistd.h>

#include "platform/tunes/thread_priority.h"

namespace platform {

void LowerThisThreadsPriority() {
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
}

}  // namespace platform
