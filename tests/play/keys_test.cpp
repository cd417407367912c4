// The keys of the play screen: pause, leaving, steering only while playable,
// and the fast fall with its end on any key release.
#include <cstring>

#include "play_fixture.h"

namespace {

const Piece kFlat = {{{3, 5}, {4, 5}, {5, 5}}};

TEST_F(PlayTest, ReturnTogglesThePause) {
  scene_.Start(nullptr);
  const std::int32_t expected[] = {0, -1, 0, -1};
  for (std::int32_t paused : expected) {
    scene_.OnKeyDown(nullptr, VK_RETURN);
    EXPECT_EQ(scene_.paused, paused);
  }
}

// Playable means running, in the falling phase, with a piece to steer.
TEST_F(PlayTest, SteeringKeysActOnlyWhileThePieceIsPlayable) {
  struct Case {
    const char* name;
    std::int32_t paused;
    std::int32_t pieceActive;
    std::int32_t phase;
    bool playable;
  };
  const Case cases[] = {
      {"playable", 0, 1, 0, true},
      {"paused", -1, 1, 0, false},
      {"no piece yet", 0, 0, 0, false},
      {"clearing", 0, 1, -1, false},
  };
  const UINT keys[] = {VK_SPACE, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
  for (const Case& c : cases) {
    for (UINT key : keys) {
      scene_ = PlayScene(0);
      PlacePiece(kFlat);
      scene_.paused = c.paused;
      scene_.pieceActive = c.pieceActive;
      scene_.phase = c.phase;
      log_.Clear();
      scene_.OnKeyDown(nullptr, key);
      const bool acted = scene_.piece != kFlat || scene_.fastDrop != 0;
      EXPECT_EQ(acted, c.playable) << c.name << ", key " << key;
      EXPECT_EQ(!Calls().empty(), c.playable && key == VK_DOWN) << c.name << ", key " << key;
    }
  }
}

TEST_F(PlayTest, OtherKeysDoNothing) {
  PlacePiece(kFlat);
  for (UINT key : {0u, 0x0Au, 0x41u, 0x70u, 0x24u, 0x29u, 0xFFFFFFFFu}) {
    scene_.OnKeyDown(nullptr, key);
  }
  EXPECT_EQ(scene_.piece, kFlat);
  EXPECT_EQ(scene_.paused, 0);
  EXPECT_EQ(scene_.fastDrop, 0);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(PlayTest, DownFallsAtFullSpeedUntilAnyKeyIsReleased) {
  StartRunning();
  scene_.OnTimer(nullptr);
  log_.Clear();
  scene_.OnKeyDown(nullptr, VK_DOWN);
  EXPECT_EQ(scene_.fastDrop, 1);
  // 1 ms: the platform raises it to the fastest period it has.
  EXPECT_EQ(Calls(), (std::vector{Call("KillTimer", {1}), Call("SetTimer", {1, 1})}));
  log_.Clear();
  scene_.OnKeyUp();
  EXPECT_EQ(scene_.fastDrop, 0);
  EXPECT_EQ(Calls(), (std::vector{Call("KillTimer", {1}), Call("SetTimer", {1, 488})}));
  log_.Clear();
  scene_.OnKeyUp();  // a second release has no fast fall left to end
  EXPECT_TRUE(Calls().empty());
}

TEST_F(PlayTest, AReleaseEndsTheFastFallEvenWhilePaused) {
  PlacePiece(kFlat);
  scene_.interval = 700;
  scene_.OnKeyDown(nullptr, VK_DOWN);
  scene_.OnKeyDown(nullptr, VK_RETURN);
  log_.Clear();
  scene_.OnKeyUp();
  EXPECT_EQ(scene_.fastDrop, 0);
  EXPECT_EQ(Calls(), (std::vector{Call("KillTimer", {1}), Call("SetTimer", {1, 700})}));
}

TEST_F(PlayTest, AReleaseDuringTheClearingPhaseKeepsTheFastFall) {
  PlacePiece({{{3, 11}, {4, 11}, {5, 11}}});
  scene_.OnKeyDown(nullptr, VK_DOWN);
  scene_.OnTimer(nullptr);  // lands
  ASSERT_EQ(scene_.phase, -1);
  log_.Clear();
  scene_.OnKeyUp();
  EXPECT_EQ(scene_.fastDrop, 1);
  EXPECT_TRUE(Calls().empty());
  scene_.phase = 0;  // the clearing phase has ended
  scene_.OnKeyUp();
  EXPECT_EQ(scene_.fastDrop, 0);
}

// A hovering cell falls one row per clearing tick, which shows whether the
// clearing phase runs.
TEST_F(PlayTest, ReturnFreezesAndResumesAClearingPhase) {
  PlacePiece({{{3, 11}, {4, 11}, {5, 11}}});
  Block({{0, 2}});
  scene_.OnTimer(nullptr);  // lands
  scene_.OnTimer(nullptr);  // the hovering cell falls a row
  ASSERT_EQ(scene_.At(0, 3).kind, -5);
  scene_.OnKeyDown(nullptr, VK_RETURN);
  const Field frozen = scene_.field;
  log_.Clear();
  for (int tick = 0; tick < 20; ++tick) scene_.OnTimer(nullptr);
  EXPECT_EQ(scene_.phase, -1);
  EXPECT_EQ(std::memcmp(&scene_.field, &frozen, sizeof frozen), 0);
  EXPECT_TRUE(Calls().empty());
  scene_.OnKeyDown(nullptr, VK_RETURN);
  scene_.OnTimer(nullptr);
  EXPECT_EQ(scene_.At(0, 4).kind, -5);
}

TEST_F(PlayTest, EscapeLeavesForTheTitleWithoutARecord) {
  struct Case {
    const char* name;
    std::int32_t paused;
    std::int32_t phase;
  };
  const Case cases[] = {
      {"running", 0, 0}, {"paused", -1, 0}, {"clearing", 0, -1}, {"paused while clearing", -1, -1}};
  for (const Case& c : cases) {
    scene_ = PlayScene(0);
    PlacePiece(kFlat);
    scene_.paused = c.paused;
    scene_.phase = c.phase;
    scene_.score = 1230;
    log_.Clear();
    scene_.OnKeyDown(nullptr, VK_ESCAPE);
    EXPECT_EQ(Calls(), (std::vector{Call("KBGMStop"), Call("KillTimer", {1}),
                                    Call("ChangeScene", {Opening})}))
        << c.name;
  }
}

}  // namespace
