#include "play/play_scene.h"

void PlayScene::OnIdle(HWND) {}
