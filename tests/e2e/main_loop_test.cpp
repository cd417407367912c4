// The program's own main loop, run by WinMain on the headless host: what the
// current screen gets between two of its frames.
#include <string>
#include <vector>

#include "app/win_main.h"
#include "core/scene.h"
#include "core/scene_switch.h"
#include "tests/e2e/game_run.h"

namespace {

// A screen that notes its keys and its first frames; at its first frame it
// posts a key press and its release, as a player's quick tap arrives.
class TappedScreen final : public Scene {
 public:
  void OnKeyDown(HWND, UINT key) override { seen.push_back("down " + std::to_string(key)); }
  void OnKeyUp() override { seen.push_back("up"); }
  void OnIdle(HWND hwnd) override {
    if (seen.size() < 8) seen.push_back("frame");
    if (seen.size() == 1) {
      PostMessageA(hwnd, WM_KEYDOWN, VK_LEFT, 0);
      PostMessageA(hwnd, WM_KEYUP, VK_LEFT, 0);
    }
  }
  std::vector<std::string> seen;
};

TappedScreen* g_screen = nullptr;

using MainLoopRun = GameRunTest;

TEST_F(MainLoopRun, TwoPostedMessagesAreBothTakenBeforeTheNextFrame) {
  TappedScreen screen;
  g_screen = &screen;
  SetFirstScreen([] { g_currentScene = g_screen; });
  const GameRun run = RunGame(folder_, "wait 10\n");
  SetFirstScreen(nullptr);
  g_screen = nullptr;
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_GE(screen.seen.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(screen.seen.begin(), screen.seen.begin() + 4),
            (std::vector<std::string>{"frame", "down 37", "up", "frame"}));
}

}  // namespace
