// A PlayScene in the clearing phase as the first landing of a game leaves it,
// with each tick's platform calls recorded.
#pragma once

#include <gtest/gtest.h>

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
  void TearDown() override { platform::SetActiveCallLog(nullptr); }

  void Land(const Rows& bottomRows) {
    SetUp();
    SetBottomRows(scene_, bottomRows);
    scene_.phase = -1;
    scene_.paused = 0;
    scene_.spawnPending = 0;
    scene_.interval = 1000;
    scene_.chainPoints = 0;
    scene_.removedCount = 0;
    ticks_ = 0;
  }

  void Tick() {
    log_.Clear();
    scene_.OnTimer(nullptr);
  }

  // Runs up to tick `tick`, counting from the landing.
  void TickTo(int tick) {
    for (; ticks_ < tick; ++ticks_) Tick();
  }

  int Claps() const {
    int claps = 0;
    for (const auto& call : log_.Calls()) claps += call.name == "PlaySound" ? 1 : 0;
    return claps;
  }

  PlayScene scene_{0};
  platform::CallLog log_;
  int ticks_ = 0;
};
