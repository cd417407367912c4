// A screen of the game. The shell knows screens only through these six
// operations, in this order; each does nothing unless a screen replaces it.
#pragma once

#include "platform/win32/win32.h"

class IDirectDrawSurface;

class Scene {
 public:
  virtual void OnTimer(HWND hwnd);
  virtual void OnKeyUp();
  virtual void OnKeyDown(HWND hwnd, UINT virtualKey);
  virtual void OnIdle(HWND hwnd);
  virtual void LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface);
  virtual void Start(HWND hwnd);

 protected:
  // Screens are made once at start-up and never destroyed through a Scene.
  ~Scene() = default;
};

// Scene numbers, the argument of ChangeScene.
enum SceneId : int {
  Opening = 1,
  Play = 2,
  Ranking = 3,
};
