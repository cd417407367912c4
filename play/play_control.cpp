#include "core/globals.h"
#include "core/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/screen.h"
#include "play/play_scene.h"
#include "sound/kbgm.h"

namespace {

// Timer 1's period while a piece falls, by level: advanced, middle, beginner.
constexpr std::int32_t kStartInterval[3] = {500, 1000, 2000};
constexpr const char* kBackground[3] = {"BCRI", "BGIYA", "BFUNE"};

// Asking for 1 ms makes the piece fall as fast as the platform's timers go.
constexpr UINT kFastDropPeriod = 1;

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
  phase = Phase::kFalling;
  interval = kStartInterval[LevelIndex()];
  SetTimer(hwnd, 1, static_cast<UINT>(interval), nullptr);
  spawnPending = PendingSpawn::kFirstPiece;
  paused = Pause::kPaused;
  pieceActive = 0;
}

void PlayScene::LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) {
  if (!LoadBitmapToSurface(hwnd, backgroundSurface, kBackground[LevelIndex()])) {
    FatalDisplayError(hwnd);
  }
}

void PlayScene::OnTimer(HWND hwnd) {
  if (paused == Pause::kPaused) return;
  if (phase == Phase::kFalling) {
    FallingStep(hwnd);
  } else {
    ClearingStep(hwnd);
  }
}

void PlayScene::OnKeyDown(HWND hwnd, UINT virtualKey) {
  switch (virtualKey) {
    case VK_RETURN:
      paused = Toggled(paused);
      return;
    case VK_ESCAPE:
      // Back to the title without a result: the title screen's Start clears it.
      KBGMStop();
      KillTimer(hwnd, 1);
      ChangeScene(Opening);
      return;
    default:
      break;
  }
  // Steering keys act only on a falling piece of a running game.
  if (paused == Pause::kPaused || pieceActive == 0 || phase != Phase::kFalling) return;
  switch (virtualKey) {
    case VK_SPACE:
      Rotate(1);
      break;
    case VK_LEFT:
      MoveLeft();
      break;
    case VK_UP:
      Rotate(0);
      break;
    case VK_RIGHT:
      MoveRight();
      break;
    case VK_DOWN:
      fastDrop = 1;
      KillTimer(hwnd, 1);
      SetTimer(hwnd, 1, kFastDropPeriod, nullptr);
      break;
    default:
      break;
  }
}

// The release carries no key code, so letting go of any key ends a fast fall.
// In the clearing phase the release is ignored and fastDrop waits for a later
// one; a landing never clears it.
void PlayScene::OnKeyUp() {
  if (fastDrop == 0 || phase != Phase::kFalling) return;
  fastDrop = 0;
  KillTimer(g_hwnd, 1);
  SetTimer(g_hwnd, 1, static_cast<UINT>(interval), nullptr);
}
