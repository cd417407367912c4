// The state that passes between the screens (the chosen level and the last
// game's result) and the screen that is current.
#include "core/scene_switch.h"
#include "platform/win32/host.h"

Scene* g_currentScene = nullptr;
std::int32_t g_level = 0;
std::int32_t g_lastScore = 0;
std::int32_t g_lastRemovedCount = 0;

void SetLevel(int level) {
  g_level = level;
}

int GetLevel() {
  return g_level;
}

void SetLastResult(int score, int removedCount) {
  platform::RecordCall("SetLastResult", {score, removedCount});
  RestoreLastResult(score, removedCount);
}

void GetLastResult(int* score, int* removedCount) {
  *score = g_lastScore;
  *removedCount = g_lastRemovedCount;
}

void RestoreLastResult(int score, int removedCount) {
  g_lastScore = score;
  g_lastRemovedCount = removedCount;
}
