#include "core/scene.h"

void Scene::OnTimer(HWND) {}
void Scene::OnKeyUp() {}
void Scene::OnKeyDown(HWND, UINT) {}
void Scene::OnIdle(HWND) {}
void Scene::LoadImages(HWND, IDirectDrawSurface*) {}
void Scene::Start(HWND) {}
