#include "platform/win32/host.h"

namespace platform {

namespace {
SystemClock g_systemClock;
Host g_host;
}  // namespace

void InstallHost(const Host& host) {
  g_host = host;
}

void UninstallHost() {
  g_host = Host{};
}

const Host& InstalledHost() {
  return g_host;
}

Clock& GameClock() {
  return g_host.clock != nullptr ? *g_host.clock : g_systemClock;
}

}  // namespace platform
