// The Win32 window calls as the game's start-up, loop and shutdown use them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/clock.h"
#include "platform/win32/host.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_backend.h"
#include "platform/win32/window_testing.h"

namespace {

// What the window procedure and the backend saw, in order.
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
    platform::InstallHost({.clock = &clock_});
    g_events.clear();
  }
  void TearDown() override {
    platform::ResetWindowSystem();
    platform::UninstallHost();
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

  // The messages up to the quit, dispatched; its exit code, or -1 when the
  // queue gives out or a hundred messages come first.
  static int DispatchUntilQuit() {
    MSG msg{};
    for (int taken = 0; taken < 100; ++taken) {
      const int got = GetMessageA(&msg, nullptr, 0, 0);
      if (got <= 0) return got == 0 ? static_cast<int>(msg.wParam) : -1;
      DispatchMessageA(&msg);
    }
    return -1;
  }

  platform::VirtualClock clock_;
};

TEST_F(WindowTest, ARegisteredClassMakesOneRealWindowAtATime) {
  FakeBackend backend;
  platform::InstallHost({.window = &backend, .clock = &clock_});
  EXPECT_EQ(Create(), nullptr);
  ASSERT_NE(Register(), 0);
  EXPECT_EQ(Register("MORVEX2"), 0);  // class names ignore case
  backend.createSucceeds = false;
  EXPECT_EQ(Create(), nullptr);
  backend.createSucceeds = true;
  HWND hwnd = Create("Morvex2");
  EXPECT_EQ(Create(), nullptr);
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_FALSE(DestroyWindow(hwnd));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) * 10000 + GetSystemMetrics(SM_CYSCREEN), 19201080);
  EXPECT_EQ(g_events, (std::vector<std::string>{"Create Morvex2 640x480", "Create Morvex2 640x480",
                                                "Show", "msg 2", "Destroy"}));
}

TEST_F(WindowTest, CloseDestroysTheWindowAndEndsTheLoop) {
  Register();
  HWND hwnd = Create();
  SetTimer(hwnd, 1, 80, nullptr);
  PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  PostMessageA(hwnd, WM_KEYUP, VK_ESCAPE, 0);  // dropped with the window
  EXPECT_EQ(DispatchUntilQuit(), 0);
  EXPECT_EQ(g_events, (std::vector<std::string>{"msg 256", "msg 16", "msg 2"}));
  // Nothing reaches a window that is gone, and its timer died with it.
  EXPECT_FALSE(PostMessageA(hwnd, WM_CLOSE, 0, 0));
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
}

TEST_F(WindowTest, TimerTicksReachTheProcedureOnTheGameClock) {
  Register();
  SetTimer(Create(), 1, 80, nullptr);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  DispatchMessageA(&msg);
  EXPECT_EQ(clock_.NowMs(), 80);
  EXPECT_EQ(g_events, (std::vector<std::string>{"msg 275"}));
}

}  // namespace
