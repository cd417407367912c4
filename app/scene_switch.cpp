#include "app/scene_switch.h"

#include "app/replay_recorder.h"
#include "app/world_games.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "display/screen.h"
#include "opening/opening_scene.h"
#include "play/play_scene.h"
#include "ranking/ranking_scene.h"
#include "sound/kbgm.h"

OpeningScene* g_openingScene = nullptr;
PlayScene* g_playScene = nullptr;
RankingScene* g_rankingScene = nullptr;

void SwitchScene(int sceneId) {
  Scene* next = nullptr;
  switch (sceneId) {
    case Opening:
      // Every way into the title screen has already stopped the music.
      KBGMPlay(g_openingMusic, 1);
      next = g_openingScene;
      break;
    case Play:
      KBGMStop();
      KBGMPlay(g_playMusic, 1);
      next = g_playScene;
      break;
    case Ranking:
      KBGMStop();
      next = g_rankingScene;
      break;
    default:
      return;
  }
  // A ranked game's seed is set before the recorder notes it.
  NoteWorldSceneStarting(next);
  NoteSceneStarting(next);
  g_currentScene = next;
  g_currentScene->Start(g_hwnd);
  NoteSceneStarted(next);
  NoteWorldSceneStarted(next);
  g_currentScene->LoadImages(g_hwnd, g_backgroundSurface);
}
