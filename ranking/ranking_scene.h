// The high-score screen of the current level.
#pragma once

#include <memory>

#include "core/scene.h"
#include "ranking/score_table.h"

class RankingScene : public Scene {
 public:
  void OnKeyDown(HWND hwnd, UINT virtualKey) override;
  void OnIdle(HWND hwnd) override;
  void LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) override;
  void Start(HWND hwnd) override;

  std::unique_ptr<ScoreTable> table;
  // The player has been told this run that a result could not be saved.
  bool toldResultLost = false;
};
