// The falling phase: spawning a piece from the preview (with the speed-up and
// the flask), the piece's fall one row a tick, and its landing.
#include "core/scene_switch.h"
#include "play/chain_score.h"
#include "play/play_scene.h"

namespace {

constexpr int kSpawnRow = 1;
constexpr int kSpawnColumn = 3;                // P0; P1 and P2 follow to its right
constexpr std::int32_t kFastestInterval = 50;  // no speed-up below this
constexpr std::int32_t kSpeedUpStep = 4;       // ms taken off per spawned cell
constexpr std::int32_t kGiveBackStep = 3;      // ms returned per step at a flask
constexpr std::int32_t kPiecesPerFlask = 50;
constexpr UINT kClearingPeriod = 100;

}  // namespace

void PlayScene::FallingStep(HWND hwnd) {
  if (spawnPending != PendingSpawn::kNone) {
    SpawnPiece(hwnd);
    return;
  }
  // The landing test is made here, at the tick, before the move, never right
  // after a move: a piece that has just come to rest on row 11 or on a cell
  // stays the player's for one more tick. It lands when the row below it is
  // the floor or holds a cell under its lowest end (under all three cells
  // when it lies flat).
  std::array<CellPos, 3> below = piece;
  for (CellPos& pos : below) ++pos.row;
  if (!Fits(below)) {
    Land(hwnd);
    return;
  }
  ShiftPiece(below);
}

void PlayScene::SpawnPiece(HWND hwnd) {
  // The last phase's points count even when this spawn ends the game.
  score = AddChainScore(score, chainPoints);
  chainPoints = 0;
  for (int i = 0; i < 3; ++i) {
    if (At(kSpawnColumn + i, kSpawnRow).kind != kEmpty) {
      EndGame(hwnd);
      return;
    }
  }
  ++pieceCount;
  for (int i = 0; i < 3; ++i) {
    At(kSpawnColumn + i, kSpawnRow).kind = next[i].kind;
    next[i].kind = RandomKind();
    KillTimer(hwnd, 1);
    if (interval >= kFastestInterval) {
      ++speedUpCount;
      interval -= kSpeedUpStep;
    }
    // pieceCount is reset here, so the flask only ever lands in next[0], and
    // the kind just drawn for that cell is thrown away.
    if (pieceCount == kPiecesPerFlask) {
      interval += kGiveBackStep * speedUpCount;
      next[i].kind = kFlask;
      pieceCount = 0;
      speedUpCount = 0;
    }
    SetTimer(hwnd, 1, static_cast<UINT>(interval), nullptr);
    piece[i] = CellPos{kSpawnColumn + i, kSpawnRow};
  }
  spawnPending = PendingSpawn::kNone;
  pieceActive = 1;
}

void PlayScene::EndGame(HWND hwnd) {
  KillTimer(hwnd, 1);
  SetLastResult(score, removedCount);
  ChangeScene(Ranking);
}

// The piece's kinds already stand in the field; from now on they are ordinary
// cells for the clearing phase. fastDrop is deliberately left as it is.
void PlayScene::Land(HWND hwnd) {
  pieceActive = 0;
  phase = Phase::kClearing;
  SetTimer(hwnd, 1, kClearingPeriod, nullptr);  // replaces the falling period
}
