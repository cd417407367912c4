// The process entry: puts the game on the SDL2 host and hands over to WinMain,
// as the original's runtime did. The game reads no argument and no variable;
// the host keeps how the player left the screen in a settings file.
#include <utility>

#include "app/win_main.h"
#include "display/window_icon.h"
#include "platform/display_settings.h"
#include "platform/sdl_host.h"

int main() {
  platform::SdlHost host;
  IconImage icon;
  if (LoadWindowIcon(&icon)) host.SetIcon(std::move(icon.argb), icon.width, icon.height);
  // How the player left the screen last time; kept again at the end.
  const platform::DisplaySettings saved = platform::LoadDisplaySettings();
  const platform::DisplaySettings started = saved;
  host.UseDisplaySettings(started);
  host.Install();
  // The module handle only has to be non-null and the same everywhere.
  static char module;
  const int exitCode = WinMain(reinterpret_cast<HINSTANCE>(&module), nullptr, nullptr, 1);
  host.Uninstall();
  const platform::DisplaySettings kept =
      platform::KeptDisplaySettings(saved, started, host.CurrentDisplaySettings());
  if (kept != saved) platform::SaveDisplaySettings(kept);
  return exitCode;
}
