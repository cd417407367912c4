#include "tests/support/program_state.h"

#include "app/scene_switch.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "platform/win32/window_testing.h"
#include "play/play_scene.h"
#include "sound/kbgm.h"
#include "world/ranked_games_testing.h"
#include "world/world_tables_testing.h"

void ResetProgramState() {
  platform::ResetWindowSystem();
  g_hInstance = nullptr;
  g_hwnd = nullptr;
  g_appActive = 0;
  g_openingScene = nullptr;
  g_playScene = nullptr;
  g_rankingScene = nullptr;
  g_currentScene = nullptr;
  SetSceneSwitch(nullptr);
  SetLevel(0);
  RestoreLastResult(0, 0);
  g_openingMusic = 0;
  g_playMusic = 0;
  g_fieldSettled = 0;
  g_resolveBusy = 0;
  ResetRankedGames();
  ResetWorldTables();
}
