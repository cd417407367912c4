// One part of the installed host changed, the rest left as it is: a test's
// window or captured screen beside whatever clock and call log its fixture
// installed.
#pragma once

#include <type_traits>

#include "platform/win32/host.h"

namespace testsupport {

// Installs the host as it is with `part` set to `value`; returns the host
// before, for the test to install again when it is done.
template <typename Part>
platform::Host PutInHost(Part platform::Host::*part, std::type_identity_t<Part> value) {
  const platform::Host before = platform::InstalledHost();
  platform::Host host = before;
  host.*part = value;
  platform::InstallHost(host);
  return before;
}

}  // namespace testsupport
