#include <unistd.h>

#include "platform/base/durable_files.h"

namespace platform {

bool FlushToStorage(int handle) {
  return ::fsync(handle) == 0;
}

}  // namespace platform
