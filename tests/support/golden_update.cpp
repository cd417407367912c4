#include "tests/support/golden_update.h"

#include <cstdlib>
#include <string_view>

namespace testsupport {

bool UpdatingGoldens() {
  const char* update = std::getenv("MORVEX2_UPDATE_GOLDEN");
  return update != nullptr && std::string_view(update) == "1";
}

}  // namespace testsupport
