// Switching between the three screens, and the little state that passes
// between them: the chosen level and the result of the last game. Every screen
// asks for the switch; only the program, which holds all three screens, makes
// it, through the switch it installs at start-up (app/scene_switch.h). The
// state is kept in core/scene_state.cpp.
#pragma once

#include <cstdint>

#include "core/scene.h"

extern Scene* g_currentScene;
extern std::int32_t g_level;  // 0 advanced, 1 middle, 2 beginner
extern std::int32_t g_lastScore;
extern std::int32_t g_lastRemovedCount;

// Hands the number to the installed switch. The program's gives the new
// screen its music, makes it current, Starts it, then LoadImages; any number
// but Opening, Play and Ranking changes nothing. Without a switch, as in a new
// process, nothing changes.
void ChangeScene(int sceneId);

// Who makes the switch: the program installs its own as it starts; the
// simulator, a replay and tests install one that only notes the number.
using SceneSwitch = void (*)(int sceneId);
void SetSceneSwitch(SceneSwitch change);  // null: ChangeScene changes nothing

void SetLevel(int level);
int GetLevel();
void SetLastResult(int score, int removedCount);
void GetLastResult(int* score, int* removedCount);
// Puts back a result kept aside (a playback's borrowed state, a fresh run's
// zeros). Not the game's own call, so nothing notes it.
void RestoreLastResult(int score, int removedCount);
