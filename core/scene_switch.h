// Switching between the three screens, and the little state that passes
// between them: the chosen level and the result of the last game. Every screen
// asks for the switch; only the program, which holds all three screens, makes
// it: ChangeScene and the three screens' pointers are defined in
// app/scene_switch.cpp, the rest in core/scene_state.cpp.
#pragma once

#include <cstdint>

#include "core/scene.h"

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
