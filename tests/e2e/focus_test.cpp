// The focus in a game: a key released while another window has the focus
// never reaches the game, so a fast drop goes on through a focus loss.
#include "app/scene_switch.h"
#include "core/scene_switch.h"
#include "play/play_scene.h"
#include "tests/e2e/game_run.h"

namespace {

using FocusTest = GameRunTest;

TEST_F(FocusTest, AFastDropSurvivesAFocusLossWithDownHeld) {
  int fastDropAtEnd = -1;
  const GameRun run =
      RunGame(folder_,
              "wait 100\nkey RETURN\nwait 100\nkey RETURN\nwait 1100\n"
              "down DOWN\nwait 30\nfocus 0\nup DOWN\nwait 50\nfocus 1\nwait 30\n",
              1796488723, [&](platform::HeadlessHost& host) {
                if (host.ScriptDone() && g_currentScene == g_playScene && fastDropAtEnd < 0) {
                  fastDropAtEnd = g_playScene->fastDrop;
                }
              });
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(fastDropAtEnd, 0) << "the release made in the background ended the fast drop";
}

}  // namespace
