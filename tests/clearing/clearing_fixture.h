// A PlayScene put into the clearing phase as a landing leaves it, with the
// platform calls of each tick recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/call_log.h"
#include "play/play_scene.h"
#include "tests/clearing/field_text.h"

class ClearingTest : public testing::Test {
 protected:
  void SetUp() override {
    g_fieldSettled = 0;
    g_resolveBusy = 0;
    platform::SetActiveCallLog(&log_);
  }
  void TearDown() override {
    platform::SetActiveCallLog(nullptr);
    g_fieldSettled = 0;
    g_resolveBusy = 0;
  }

  // The field right after the first landing of a game: clearing phase,
  // running, no spawn due, nothing counted yet.
  void Land(const Rows& bottomRows, std::int32_t interval = 1000) {
    SetBottomRows(scene_, bottomRows);
    scene_.phase = -1;
    scene_.paused = 0;
    scene_.spawnPending = 0;
    scene_.pieceActive = 0;
    scene_.interval = interval;
    scene_.chainPoints = 0;
    scene_.removedCount = 0;
  }

  // One tick of timer 1; the log then holds that tick's calls.
  void Tick() {
    log_.Clear();
    scene_.OnTimer(nullptr);
  }

  // Ticks until the phase hands back to the falling phase; how many it took.
  int TicksToEnd(int limit = 200) {
    for (int tick = 1; tick <= limit; ++tick) {
      Tick();
      if (scene_.phase == 0) return tick;
    }
    return -1;
  }

  int Claps() const {
    int claps = 0;
    for (const auto& call : log_.Calls()) claps += call.name == "PlaySound" ? 1 : 0;
    return claps;
  }

  PlayScene scene_{0};
  platform::CallLog log_;
};
