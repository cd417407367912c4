// What the browser's page asks of the running game (web/page.js calls these).
#include <emscripten.h>

#include <optional>
#include <string>

#include "app/scene_switch.h"
#include "core/scene.h"
#include "core/scene_switch.h"
#include "opening/opening_scene.h"
#include "play/play_scene.h"
#include "ranking/name_setting.h"
#include "ranking/ranking_scene.h"

// Keeps `utf8` as the player's name in the tables (zel.ini in the data
// folder, the working folder once the game runs). Empty when it is kept, else
// why not, in English, for the page to show.
extern "C" EMSCRIPTEN_KEEPALIVE const char* morvex2_set_player_name(const char* utf8) {
  static std::string error;
  error.clear();
  const std::optional<PlayerName> name = PlayerNameFromUtf8(utf8 != nullptr ? utf8 : "", &error);
  if (name && !WritePlayerName(*name, &error) && error.empty()) error = "cannot write zel.ini";
  return error.c_str();
}

// Which screen the game shows: 0 none yet, else its scene number (Opening,
// Play, Ranking). The page lays the picture out for a phone by it and shows
// the pad's keys for that screen; it asks after each frame the game puts.
extern "C" EMSCRIPTEN_KEEPALIVE int morvex2_scene() {
  if (g_currentScene == nullptr) return 0;
  if (g_currentScene == g_openingScene) return Opening;
  if (g_currentScene == g_playScene) return Play;
  if (g_currentScene == g_rankingScene) return Ranking;
  return 0;
}

// Whether a game runs on the play screen, not paused: the page's Back pauses
// it while it asks the player whether to end it.
extern "C" EMSCRIPTEN_KEEPALIVE int morvex2_game_running() {
  const bool playing = g_currentScene != nullptr && g_currentScene == g_playScene;
  return playing && g_playScene->paused == Pause::kRunning ? 1 : 0;
}
