#include "play/play_scene.h"

#include "platform/win32/host.h"

std::int32_t g_fieldSettled = 0;
std::int32_t g_resolveBusy = 0;

PlayScene::PlayScene()
    : PlayScene(static_cast<std::uint32_t>(platform::GameClock().UnixSeconds())) {}

PlayScene::PlayScene(std::uint32_t seed) {
  for (Cell& cell : field) cell = Cell{};
  for (Cell& cell : next) cell = Cell{};
  seedCounter = seed;
  for (int column = 0; column < kFieldColumns; ++column) {
    for (int row = 1; row < kFieldRows; ++row) {
      At(column, row).x = 20 + 40 * column;
      At(column, row).y = 20 + 40 * (row - 1);
    }
  }
  for (int i = 0; i < 3; ++i) {
    next[i].x = 370 + 40 * i;
    next[i].y = 40;
  }
  phase = Phase::kFalling;
  spawnPending = PendingSpawn::kFirstPiece;
  paused = Pause::kPaused;
}

// The generator is seeded afresh before every draw, so each kind depends only
// on its own seed; colour sequences of recorded games rely on this bit for bit.
std::int32_t PlayScene::RandomKind() {
  std::uint32_t state = seedCounter;
  ++seedCounter;  // wraps from 4294967295 to 0
  state = state * 214013u + 2531011u;
  const std::uint32_t number = (state >> 16) & 0x7FFFu;
  return -1 - static_cast<std::int32_t>(number & 7u);
}
