#include "platform/base/durable_files.h"

namespace platform {

// The flush has already put the bytes on the disk.
void KeepFlushedFiles() {}

}  // namespace platform
