// A thread's priority on Windows: the idle class of the process's range.
#include <windows.h>

#include "platform/tunes/thread_priority.h"

namespace platform {

void LowerThisThreadsPriority() {
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_IDLE);
}

}  // namespace platform
