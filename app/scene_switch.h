// Switching between the three screens, and the little state that passes
// between them: the chosen level and the result of the last game.
#pragma once

#include <cstdint>

#include "app/scene.h"

class OpeningScene;
class PlayScene;
class RankingScene;

extern OpeningScene* g_openingScene;
extern PlayScene* g_playScene;
extern RankingScene* g_rankingScene;
extern Scene* g_currentScene;
extern std::int32_t g_level;  // 0 advanced, 1 middle, 2 beginner
extern std::int32_t g_lastScore;
extern std::int32_t g_lastRemovedCount;

// Music for the new screen, make it current, Start it, then LoadImages.
// Any number but Opening, Play and Ranking changes nothing.
void ChangeScene(int sceneId);

void SetLevel(int level);
int GetLevel();
void SetLastResult(int score, int removedCount);
void GetLastResult(int* score, int* removedCount);

// The simulator watches scene switches instead of making them: while a hook is
// installed, ChangeScene only reports the number to it.
using SceneSwitchHook = void (*)(int sceneId);
void SetSceneSwitchHook(SceneSwitchHook hook);
