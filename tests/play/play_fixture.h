// A PlayScene from seed 0 with the platform's timer, music and scene-switch
// calls recorded in one log, in the order the game makes them.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "app/scene_switch.h"
#include "platform/call_log.h"
#include "play/play_scene.h"

using Piece = std::array<CellPos, 3>;
using Kinds = std::array<std::int32_t, 3>;

inline platform::RecordedCall Call(const char* name, std::vector<std::int64_t> args = {}) {
  return platform::RecordedCall{name, std::move(args), {}};
}

class PlayTest : public testing::Test {
 protected:
  void SetUp() override {
    g_fieldSettled = 0;
    g_resolveBusy = 0;
    SetLevel(0);
    platform::SetActiveCallLog(&log_);
    // ChangeScene only reports where the game wants to go.
    SetSceneSwitchHook([](int sceneId) { platform::RecordCall("ChangeScene", {sceneId}); });
  }
  void TearDown() override {
    SetSceneSwitchHook(nullptr);
    platform::SetActiveCallLog(nullptr);
    g_fieldSettled = 0;
    g_resolveBusy = 0;
    SetLevel(1);
  }

  // A new game of `level`, unpaused, with the log emptied.
  void StartRunning(int level = 0) {
    SetLevel(level);
    scene_.Start(nullptr);
    scene_.OnKeyDown(nullptr, VK_RETURN);
    log_.Clear();
  }

  // Puts a falling piece on an otherwise unchanged field of a running game.
  void PlacePiece(const Piece& cells, const Kinds& kinds = {-1, -2, -3}) {
    for (int i = 0; i < 3; ++i) scene_.At(cells[i].column, cells[i].row).kind = kinds[i];
    scene_.piece = cells;
    scene_.phase = 0;
    scene_.paused = 0;
    scene_.spawnPending = 0;
    scene_.pieceActive = 1;
  }

  void Block(std::initializer_list<CellPos> cells, std::int32_t kind = -5) {
    for (const CellPos& cell : cells) scene_.At(cell.column, cell.row).kind = kind;
  }

  Kinds KindsAt(const Piece& cells) const {
    Kinds kinds{};
    for (int i = 0; i < 3; ++i) kinds[i] = scene_.At(cells[i].column, cells[i].row).kind;
    return kinds;
  }

  int OccupiedCells() const {
    int count = 0;
    for (const Cell& cell : scene_.field) count += cell.kind != 0 ? 1 : 0;
    return count;
  }

  // Spawns the next piece on a field emptied first, so that no game ends.
  void SpawnOnEmptyField() {
    for (Cell& cell : scene_.field) ClearCell(cell);
    scene_.spawnPending = 1;
    scene_.FallingStep(nullptr);
  }

  const std::vector<platform::RecordedCall>& Calls() const { return log_.Calls(); }

  PlayScene scene_{0};
  platform::CallLog log_;
};
