#include "play/play_scene.h"

// Replaced by the clearing phase.
void PlayScene::ClearingStep(HWND) {}
std::int32_t PlayScene::GravityStep() { return 1; }
std::int32_t PlayScene::ResolveStep() { return 1; }
void PlayScene::FlaskBlast(int, int) {}
