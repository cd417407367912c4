#include "app/win_main.h"

#include "app/scene_switch.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "display/screen.h"
#include "opening/opening_scene.h"
#include "platform/net/network.h"
#include "play/play_scene.h"
#include "ranking/ranking_scene.h"
#include "sound/kbgm.h"

namespace {

FirstScreen g_firstScreen = nullptr;
bool g_answersPosted = false;

constexpr const char* kClassName = "morvex2";
constexpr const char* kTitle = "Morvex2";

void OpenMusic() {
  KBGMOpen(10, -1);
  KBGMLoadFile(&g_openingMusic, "music2.mid");
  KBGMLoadFile(&g_playMusic, "music1.mid");
}

void CloseMusic() {
  KBGMFree(g_openingMusic);
  KBGMFree(g_playMusic);
  KBGMClose();
}

bool RegisterWindowClass() {
  WNDCLASSA wc{};
  wc.style = 0;
  wc.lpfnWndProc = WndProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = g_hInstance;
  wc.hIcon = LoadIconA(g_hInstance, "ZELF");
  // A resource number in the place of a name, as Win32 takes the arrow cursor.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = kClassName;
  return RegisterClassA(&wc) != 0;
}

// A borderless, top-most window covering the desktop, measured before the
// display takes the screen over.
HWND CreateMainWindow() {
  return CreateWindowExA(WS_EX_TOPMOST, kClassName, kTitle, WS_POPUP, 0, 0,
                         GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                         nullptr, g_hInstance, nullptr);
}

// Polls rather than waits: whenever no message is waiting, the current screen
// draws a frame, and the flip paces the loop to the display.
WPARAM RunMainLoop() {
  MSG msg{};
  for (;;) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageA(&msg, nullptr, 0, 0)) return msg.wParam;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      PostNetworkAnswers();
      g_currentScene->OnIdle(g_hwnd);
    }
  }
}

}  // namespace

void PostNetworkAnswers() {
  if (g_answersPosted || !platform::net::AnswersWaiting()) return;
  g_answersPosted = true;
  PostMessageA(g_hwnd, platform::net::kNetworkMessage, 0, 0);
}

void DeliverNetworkAnswers() {
  g_answersPosted = false;
  platform::net::DeliverAnswers();
}

void SetFirstScreen(FirstScreen begin) {
  g_firstScreen = begin;
}

int WinMain(HINSTANCE hInstance, HINSTANCE, char*, int nCmdShow) {
  SetSceneSwitch(&SwitchScene);
  g_answersPosted = false;
  OpenMusic();
  g_hInstance = hInstance;
  // The early exits close the music library too, so that nothing is left
  // playing or open whichever way the program ends.
  if (!RegisterWindowClass()) {
    CloseMusic();
    return 0;
  }
  g_hwnd = CreateMainWindow();
  if (g_hwnd == nullptr) {
    CloseMusic();
    return 0;
  }
  ShowWindow(g_hwnd, nCmdShow);
  UpdateWindow(g_hwnd);
  if (!InitDisplay(g_hwnd)) {
    CloseMusic();
    return 0;
  }
  // The three screens live for the whole run, made in this order and owned
  // here, so they are freed as it ends. Held by value: the screens are never
  // deleted through a pointer, which their Scene base does not allow.
  OpeningScene openingScene;
  PlayScene playScene;
  RankingScene rankingScene;
  g_openingScene = &openingScene;
  g_playScene = &playScene;
  g_rankingScene = &rankingScene;
  SetLevel(1);
  if (g_firstScreen != nullptr) {
    g_firstScreen();
  } else {
    ChangeScene(Opening);
  }
  const WPARAM exitCode = RunMainLoop();
  CloseMusic();
  // Nothing may reach a screen once it is gone.
  g_currentScene = nullptr;
  g_openingScene = nullptr;
  g_playScene = nullptr;
  g_rankingScene = nullptr;
  return static_cast<int>(exitCode);
}
