#include "app/globals.h"

#include "app/scene_switch.h"
#include "platform/window_backend.h"
#include "play/play_scene.h"
#include "sound/kbgm.h"

HINSTANCE g_hInstance = nullptr;
HWND g_hwnd = nullptr;
std::uint32_t g_appActive = 0;

void ResetProgramState() {
  platform::ResetWindowSystem();
  g_hInstance = nullptr;
  g_hwnd = nullptr;
  g_appActive = 0;
  g_openingScene = nullptr;
  g_playScene = nullptr;
  g_rankingScene = nullptr;
  g_currentScene = nullptr;
  g_level = 0;
  g_lastScore = 0;
  g_lastRemovedCount = 0;
  g_openingMusic = 0;
  g_playMusic = 0;
  g_fieldSettled = 0;
  g_resolveBusy = 0;
}
