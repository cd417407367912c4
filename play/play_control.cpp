#include "app/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/screen.h"
#include "play/play_scene.h"

namespace {

// Timer 1's period while a piece falls, by level: advanced, middle, beginner.
constexpr std::int32_t kStartInterval[3] = {500, 1000, 2000};
constexpr const char* kBackground[3] = {"BCRI", "BGIYA", "BFUNE"};

int LevelIndex() {
  const int level = GetLevel();
  return level >= 0 && level <= 2 ? level : 1;
}

}  // namespace

void PlayScene::Start(HWND hwnd) {
  SetLastResult(0, 0);
  fastDrop = 0;
  removedCount = 0;
  score = 0;
  chainPoints = 0;
  pieceCount = 0;
  speedUpCount = 0;
  for (Cell& cell : field) ClearCell(cell);
  for (Cell& cell : next) cell.kind = RandomKind();
  phase = 0;
  interval = kStartInterval[LevelIndex()];
  SetTimer(hwnd, 1, static_cast<UINT>(interval), nullptr);
  spawnPending = 1;
  paused = -1;
  pieceActive = 0;
}

void PlayScene::LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) {
  if (!LoadBitmapToSurface(hwnd, backgroundSurface, kBackground[LevelIndex()])) {
    FatalDisplayError(hwnd);
  }
}

void PlayScene::OnTimer(HWND hwnd) {
  if (paused != 0) return;
  if (phase == 0) {
    FallingStep(hwnd);
  } else {
    ClearingStep(hwnd);
  }
}

// The falling phase, the keys and the piece's moves come next.
void PlayScene::FallingStep(HWND) {}
void PlayScene::Land(HWND) {}
void PlayScene::ShiftPiece(const std::array<CellPos, 3>&) {}
void PlayScene::MoveLeft() {}
void PlayScene::MoveRight() {}
void PlayScene::Rotate(int) {}
void PlayScene::OnKeyDown(HWND, UINT) {}
void PlayScene::OnKeyUp() {}
