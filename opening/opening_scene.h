// The title screen: the level menu, key help, credit line and drifting balloons.
#pragma once

#include <array>
#include <cstdint>

#include "core/cell.h"
#include "core/scene.h"

class OpeningScene : public Scene {
 public:
  OpeningScene();

  void OnTimer(HWND hwnd) override;
  void OnKeyUp() override;
  void OnKeyDown(HWND hwnd, UINT virtualKey) override;
  void OnIdle(HWND hwnd) override;
  void LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) override;
  void Start(HWND hwnd) override;

  std::int32_t keyHeld = 0;
  std::array<Cell, 6> balloons{};
  std::int32_t selection = 0;
};
