#include "app/replay_recorder.h"
#include "app/win_main.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "display/screen.h"
#include "platform/net/network.h"
#include "world/ranked_games.h"

// Keys and ticks reach the current screen only while the game is in the
// foreground; otherwise they are swallowed, so the game stands still and a
// key released elsewhere never reaches it.
LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      ReleaseDisplay();
      PostQuitMessage(0);
      return 0;
    case WM_ACTIVATEAPP:
      g_appActive = static_cast<std::uint32_t>(wParam);
      return 0;
    case WM_KEYDOWN:
      // No screen is current yet while a start-up error box is showing.
      if (g_appActive != 0 && g_currentScene != nullptr) {
        NoteDeliveredMessage(message, wParam);
        g_currentScene->OnKeyDown(hwnd, static_cast<UINT>(wParam));
      }
      return 0;
    case WM_KEYUP:
      if (g_appActive != 0 && g_currentScene != nullptr) {
        NoteDeliveredMessage(message, wParam);
        g_currentScene->OnKeyUp();
      }
      return 0;
    case WM_TIMER:
      if (g_appActive != 0 && g_currentScene != nullptr) {
        NoteDeliveredMessage(message, wParam);
        g_currentScene->OnTimer(hwnd);
        TellRankedProgress();
      }
      return 0;
    case platform::net::kNetworkMessage:
      // Answers from the network are handed out here, between two messages,
      // in the foreground or not: a world result must not wait for the focus.
      DeliverNetworkAnswers();
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
