// The high-score screen of the current level. With a world server chosen,
// TAB switches between this machine's table and the world's, where UP and
// DOWN choose an entry and RETURN shows its game; after a ranked game, what
// became of it shows across the top.
#pragma once

#include <cstddef>
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
  bool worldView = false;
  std::size_t worldChoice = 0;  // the chosen row of the world's table
  // The player has been told this run that a result could not be saved.
  bool toldResultLost = false;

 private:
  void OnWorldKey(UINT virtualKey);
  void DrawWorldTable() const;
};
