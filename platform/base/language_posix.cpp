// The desktop's language on Linux and the other POSIX systems: the locale's
// variables.
#include <cstdlib>

#include "platform/base/language.h"

namespace platform {

Language EnvironmentLanguage() {
  return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

}  // namespace platform
