// The play screen: the field, the falling piece, the preview and the counters
// of one game, and the operations that drive them from timer ticks and keys.
//
//   play_scene.cpp    construction, the random kinds, the cell helpers
//   play_control.cpp  Start, LoadImages, ticks, keys
//   falling.cpp       spawning, the fall one row a tick, landing, game over
//   piece_moves.cpp   moving and turning the falling piece
//   clearing.cpp      the clearing phase after a landing
//   clearing_pop.cpp  a balloon popping, and the pins it throws
//   flight.cpp        the flight of a thrown pin, one cell a turn
//   play_drawing.cpp  one frame of the play screen
#pragma once

#include <array>
#include <cstdint>

#include "core/cell.h"
#include "core/scene.h"

// What a game is doing. The numbers are the game's own; the simulator prints
// them and its committed outputs hold them.
enum class Phase : std::int32_t {
  kFalling = 0,    // the piece falls a row a tick and the keys move it
  kClearing = -1,  // after a landing: gravity and resolution scans, keys wait
};

// Whether the game runs or stands behind the key help; RETURN switches.
enum class Pause : std::int32_t { kRunning = 0, kPaused = -1 };

constexpr Pause Toggled(Pause pause) {
  return pause == Pause::kRunning ? Pause::kPaused : Pause::kRunning;
}

// Whether the next falling tick spawns a piece, and who asked for it: Start
// for a game's first piece, the end of a clearing phase for the next. Play
// only asks whether one is due.
enum class PendingSpawn : std::int32_t { kNone = 0, kFirstPiece = 1, kAfterClearing = -1 };

class PlayScene : public Scene {
 public:
  // Seeds the generator from the wall clock, as every new run of the game does.
  PlayScene();
  // Seeds the generator with `seedCounter` (the simulator and tests).
  explicit PlayScene(std::uint32_t seedCounter);

  void OnTimer(HWND hwnd) override;
  void OnKeyUp() override;
  void OnKeyDown(HWND hwnd, UINT virtualKey) override;
  void OnIdle(HWND hwnd) override;
  void LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) override;
  void Start(HWND hwnd) override;

  // Falling phase.
  void FallingStep(HWND hwnd);
  void Land(HWND hwnd);
  void ShiftPiece(const std::array<CellPos, 3>& to);
  void MoveLeft();
  void MoveRight();
  void Rotate(int direction);  // 0 clockwise (UP), 1 counter-clockwise (SPACE)

  // Clearing phase.
  void ClearingStep(HWND hwnd);
  std::int32_t GravityStep();
  std::int32_t ResolveStep();
  void FlaskBlast(int column, int row);

  // The kind of one new cell; advances seedCounter.
  std::int32_t RandomKind();

  Cell& At(int column, int row) { return field[FieldIndex(column, row)]; }
  [[nodiscard]] const Cell& At(int column, int row) const { return field[FieldIndex(column, row)]; }

  // The members of one game, in their original order.
  Phase phase = Phase::kFalling;
  std::int32_t interval = 0;
  std::uint32_t seedCounter = 0;
  Field field{};
  std::array<Cell, 3> next{};
  std::array<CellPos, 3> piece{};
  PendingSpawn spawnPending = PendingSpawn::kNone;
  Pause paused = Pause::kRunning;
  std::int32_t pieceActive = 0;
  std::int32_t score = 0;
  std::int32_t removedCount = 0;
  std::int32_t chainPoints = 0;
  std::int32_t pieceCount = 0;
  std::int32_t speedUpCount = 0;
  std::uint8_t fastDrop = 0;

 private:
  // Falling phase helpers (falling.cpp).
  void SpawnPiece(HWND hwnd);
  void EndGame(HWND hwnd);
  // Piece move helpers (piece_moves.cpp).
  [[nodiscard]] bool IsFree(int column, int row) const;
  [[nodiscard]] bool Fits(const std::array<CellPos, 3>& to) const;
  void ShiftColumns(int step);
};

// The two flags of the clearing step. They outlive a game: Start does not reset
// them, so a game left in the middle of a clearing phase hands them to the next.
extern std::int32_t g_fieldSettled;
extern std::int32_t g_resolveBusy;
