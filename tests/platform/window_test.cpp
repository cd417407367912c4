// The Win32 window calls as the game's start-up, loop and shutdown use them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/call_log.h"
#include "platform/clock.h"
#include "platform/win32.h"
#include "platform/window_backend.h"

namespace {

// What the window procedure and the backend saw, and the loop's idle turns, in order.
std::vector<std::string> g_events;

// Like the game's procedure where it matters here: WM_DESTROY quits.
LRESULT TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_events.push_back("msg " + std::to_string(message));
  if (message != WM_DESTROY) return DefWindowProcA(hwnd, message, wParam, lParam);
  PostQuitMessage(0);
  return 0;
}

struct FakeBackend : platform::WindowBackend {
  bool Create(const char* title, int w, int h) override {
    g_events.push_back("Create " + std::string(title) + " " + std::to_string(w) + "x" +
                       std::to_string(h));
    return createSucceeds;
  }
  void Show() override { g_events.push_back("Show"); }
  void Destroy() override { g_events.push_back("Destroy"); }
  int DesktopWidth() override { return 1920; }
  int DesktopHeight() override { return 1080; }
  bool createSucceeds = true;
};

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::ResetWindowSystem();
    platform::SetGameClock(&clock_);
    g_events.clear();
  }
  void TearDown() override {
    platform::ResetWindowSystem();
    platform::SetGameClock(nullptr);
  }

  static ATOM Register(const char* name = "morvex2") {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TestProc;
    wc.lpszClassName = name;
    return RegisterClassA(&wc);
  }
  static HWND Create(const char* className = "morvex2") {
    return CreateWindowExA(WS_EX_TOPMOST, className, "Morvex2", WS_POPUP, 0, 0, 640, 480, nullptr,
                           nullptr, nullptr, nullptr);
  }

  // The game's main loop for `idleTurns` idle turns; returns the exit code if
  // GetMessageA ends it first, else -1.
  static int RunLoop(int idleTurns) {
    for (MSG msg{}; idleTurns > 0;) {
      if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        g_events.push_back("idle");
        --idleTurns;
        continue;
      }
      if (GetMessageA(&msg, nullptr, 0, 0) == 0) return static_cast<int>(msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return -1;
  }

  platform::VirtualClock clock_;
};

TEST_F(WindowTest, RegistryMakesOneWindowOfARegisteredClass) {
  EXPECT_EQ(Create(), nullptr);
  ASSERT_NE(Register(), 0);
  EXPECT_EQ(Register("MORVEX2"), 0);  // class names ignore case
  HWND first = Create("Morvex2");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Create(), nullptr);
  ASSERT_TRUE(DestroyWindow(first));
  HWND second = Create();
  EXPECT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_FALSE(DestroyWindow(first));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) * 1000 + GetSystemMetrics(SM_CYSCREEN), 640480);
}

TEST_F(WindowTest, BackendMakesShowsAndDestroysTheRealWindow) {
  FakeBackend backend;
  platform::SetWindowBackend(&backend);
  Register();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) * 10000 + GetSystemMetrics(SM_CYSCREEN), 19201080);
  backend.createSucceeds = false;
  EXPECT_EQ(Create(), nullptr);
  backend.createSucceeds = true;
  HWND hwnd = Create();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(g_events, (std::vector<std::string>{"Create Morvex2 640x480", "Create Morvex2 640x480",
                                                "Show", "msg 2", "Destroy"}));
}

TEST_F(WindowTest, TwoPostedMessagesAreBothDispatchedBeforeTheNextIdleTurn) {
  Register();
  HWND hwnd = Create();
  RunLoop(1);
  PostMessageA(hwnd, WM_KEYDOWN, VK_LEFT, 0);
  PostMessageA(hwnd, WM_KEYUP, VK_LEFT, 0);
  RunLoop(1);
  EXPECT_EQ(g_events, (std::vector<std::string>{"idle", "msg 256", "msg 257", "idle"}));
}

TEST_F(WindowTest, CloseDestroysTheWindowAndEndsTheLoop) {
  Register();
  HWND hwnd = Create();
  SetTimer(hwnd, 1, 80, nullptr);
  PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  PostMessageA(hwnd, WM_KEYUP, VK_ESCAPE, 0);  // dropped with the window
  EXPECT_EQ(RunLoop(5), 0);
  EXPECT_EQ(g_events, (std::vector<std::string>{"msg 256", "msg 16", "msg 2"}));
  // Nothing reaches a window that is gone, and its timer died with it.
  EXPECT_FALSE(PostMessageA(hwnd, WM_CLOSE, 0, 0));
  EXPECT_FALSE(platform::PostInputMessage(WM_KEYDOWN, VK_RETURN, 0));
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
}

TEST_F(WindowTest, TimerTicksReachTheProcedureOnTheGameClock) {
  Register();
  HWND hwnd = Create();
  SetTimer(hwnd, 1, 80, nullptr);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(clock_.NowMs(), 80);
  DispatchMessageA(&msg);
  EXPECT_EQ(g_events, (std::vector<std::string>{"msg 275"}));
}

TEST_F(WindowTest, TimerCallsAreRecordedAsAsked) {
  platform::CallLog log;
  platform::SetActiveCallLog(&log);
  Register();
  HWND hwnd = Create();
  SetTimer(hwnd, 1, 1, nullptr);
  KillTimer(hwnd, 1);
  EXPECT_EQ(SetTimer(nullptr, 1, 500, nullptr), 0u);  // no timers without the window
  platform::SetActiveCallLog(nullptr);
  EXPECT_EQ(log.Calls(),
            (std::vector<platform::RecordedCall>{
                {"SetTimer", {1, 1}, ""}, {"KillTimer", {1}, ""}, {"SetTimer", {1, 500}, ""}}));
}

TEST_F(WindowTest, InputPumpFeedsTheWindowBeforeEveryLook) {
  Register();
  HWND hwnd = Create();
  platform::SetInputPump([] { platform::PostInputMessage(WM_KEYDOWN, VK_ESCAPE, 0); });
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));  // narrowed looks are refused
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.wParam, VK_ESCAPE);
}

}  // namespace
