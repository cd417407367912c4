#include "core/scene_switch.h"

namespace {
SceneSwitch g_sceneSwitch = nullptr;
}  // namespace

void ChangeScene(int sceneId) {
  if (g_sceneSwitch != nullptr) g_sceneSwitch(sceneId);
}

void SetSceneSwitch(SceneSwitch change) {
  g_sceneSwitch = change;
}
