#include "opening/opening_scene.h"

OpeningScene::OpeningScene() {}
void OpeningScene::OnTimer(HWND) {}
void OpeningScene::OnKeyUp() {}
void OpeningScene::OnKeyDown(HWND, UINT) {}
void OpeningScene::OnIdle(HWND) {}
void OpeningScene::LoadImages(HWND, IDirectDrawSurface*) {}
void OpeningScene::Start(HWND) {}
