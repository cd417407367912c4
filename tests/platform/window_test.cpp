// The Win32 window calls as the game's start-up, loop and shutdown use them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/call_log.h"
#include "platform/clock.h"
#include "platform/win32.h"
#include "platform/window_backend.h"

namespace {

// What the window procedure saw and what the main loop did, in order.
std::vector<std::string> g_events;

// Behaves like the game's procedure where it matters here: WM_DESTROY quits.
LRESULT TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_events.push_back("msg " + std::to_string(message));
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class FakeBackend : public platform::WindowBackend {
 public:
  bool Create(const char* title, int width, int height) override {
    calls.push_back("Create " + std::string(title) + " " + std::to_string(width) + "x" +
                    std::to_string(height));
    return createSucceeds;
  }
  void Show() override { calls.push_back("Show"); }
  void Destroy() override { calls.push_back("Destroy"); }
  int DesktopWidth() override { return 1920; }
  int DesktopHeight() override { return 1080; }

  bool createSucceeds = true;
  std::vector<std::string> calls;
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

  // The game's main loop: dispatch whatever waits, otherwise one idle turn.
  // Runs `idleTurns` idle turns or until GetMessageA returns 0; returns the
  // WM_QUIT exit code, or -1 if the loop did not end.
  static int RunLoop(int idleTurns) {
    MSG msg{};
    while (idleTurns > 0) {
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (GetMessageA(&msg, nullptr, 0, 0) == 0) return static_cast<int>(msg.wParam);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      } else {
        g_events.push_back("idle");
        --idleTurns;
      }
    }
    return -1;
  }

  platform::VirtualClock clock_;
};

TEST_F(WindowTest, RegistryCreatesOneWindowOfARegisteredClass) {
  EXPECT_EQ(Create(), nullptr);
  ASSERT_NE(Register(), 0);
  EXPECT_EQ(Register("MORVEX2"), 0);  // class names ignore case
  HWND first = Create("Morvex2");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Create(), nullptr);
  ASSERT_TRUE(DestroyWindow(first));
  HWND second = Create();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_FALSE(DestroyWindow(first));
}

TEST_F(WindowTest, BackendMakesShowsAndDestroysTheRealWindow) {
  FakeBackend backend;
  platform::SetWindowBackend(&backend);
  ASSERT_NE(Register(), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
  backend.createSucceeds = false;
  EXPECT_EQ(Create(), nullptr);
  backend.createSucceeds = true;
  HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOWNORMAL));
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(backend.calls,
            (std::vector<std::string>{"Create Morvex2 640x480", "Create Morvex2 640x480", "Show",
                                      "Show", "Destroy"}));
}

TEST_F(WindowTest, DesktopIs640x480WithoutABackend) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
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
  FakeBackend backend;
  platform::SetWindowBackend(&backend);
  Register();
  HWND hwnd = Create();
  SetTimer(hwnd, 1, 80, nullptr);
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(RunLoop(5), 0);
  EXPECT_EQ(g_events, (std::vector<std::string>{"msg 16", "msg 2"}));
  EXPECT_EQ(backend.calls.back(), "Destroy");
  // The window is gone: nothing more reaches it, and its timer is dead.
  EXPECT_FALSE(PostMessageA(hwnd, WM_CLOSE, 0, 0));
  EXPECT_FALSE(platform::PostInputMessage(WM_KEYDOWN, VK_RETURN, 0));
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
}

TEST_F(WindowTest, DestroyDropsMessagesAlreadyQueuedForTheWindow) {
  Register();
  HWND hwnd = Create();
  PostMessageA(hwnd, WM_KEYDOWN, VK_UP, 0);
  PostMessageA(nullptr, WM_NULL, 5, 0);  // a thread message outlives the window
  DestroyWindow(hwnd);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
}

TEST_F(WindowTest, TimerTicksReachTheProcedureOnTheGameClock) {
  Register();
  HWND hwnd = Create();
  EXPECT_NE(SetTimer(hwnd, 1, 80, nullptr), 0u);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(clock_.NowMs(), 80);
  DispatchMessageA(&msg);
  EXPECT_EQ(g_events, (std::vector<std::string>{"msg 275"}));
  EXPECT_TRUE(KillTimer(hwnd, 1));
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
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
  EXPECT_EQ(log.Calls(), (std::vector<platform::RecordedCall>{
                             {"SetTimer", {1, 1}, ""},
                             {"KillTimer", {1}, ""},
                             {"SetTimer", {1, 500}, ""},
                         }));
}

TEST_F(WindowTest, InputPumpFeedsTheWindowBeforeEveryLook) {
  Register();
  HWND hwnd = Create();
  static int pumped = 0;
  pumped = 0;
  platform::SetInputPump([] {
    if (pumped++ == 0) platform::PostInputMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  });
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.wParam, VK_ESCAPE);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(pumped, 2);
}

TEST_F(WindowTest, HandlesTheGameOnlyPassesBackAreNonNull) {
  EXPECT_NE(LoadIconA(nullptr, "ZELF"), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)), nullptr);
  EXPECT_NE(GetStockObject(LTGRAY_BRUSH), nullptr);
}

}  // namespace
