#include "opening/opening_scene.h"

#include "core/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/screen.h"
#include "sound/kbgm.h"

namespace {

struct BalloonStart {
  std::int32_t kind;
  std::int32_t x;
  std::int32_t y;
};

// Three balloons start on screen, three below it, so they never drift as a group.
constexpr BalloonStart kBalloonStarts[6] = {
    {-5, 150, 180}, {-6, 20, 280}, {-8, 200, 400}, {-7, 400, 600}, {-8, 370, 1000}, {-5, 220, 1100},
};

// The menu lines by level (0 advanced, 1 middle, 2 beginner) and their rows.
// The beginner line is on top.
constexpr const char* kMenuText[3] = {
    "\x81"
    "E\x8f\xe3\x8b\x89(\x91\xac\x82\xb7\x82\xac\x82\xdc\x82\xb7)",  // ・上級(速すぎます)
    "\x81"
    "E\x92\x86\x8b\x89(\x82\xb1\x82\xf1\x82\xc8\x82\xe0\x82\xf1\x82\xc5\x82\xb5\x82\xe5"
    "\x82\xa4)",  // ・中級(こんなもんでしょう)
    "\x81"
    "E\x8f\x89\x8b\x89(\x82\xa8\x82\xce\x82\xa0\x82\xbf\x82\xe1\x82\xf1\x82\xcc\x82\xbd"
    "\x82\xdf\x82\xcc\x83\x82\x81[\x83h)",  // ・初級(おばあちゃんのためのモード)
};
constexpr int kMenuY[3] = {360, 320, 280};
constexpr int kMenuX = 200;

// 53 bytes: its last 24 pixels run off the right edge, as they always have.
constexpr const char* kHelpLine =
    "F1 to HI Score  \x81\xaa\x81\xab\x91I\x91\xf0  RETURN to start  ESC to end";  // ↑↓選択
constexpr const char* kCreditLine = "(C)1997 Morvex2 Team";

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A balloon just above the top edge reappears just below the bottom edge.
constexpr std::int32_t kTopOut = -40;
constexpr std::int32_t kBottomIn = 480;

}  // namespace

OpeningScene::OpeningScene() {
  keyHeld = 0;
  for (int i = 0; i < 6; ++i) {
    balloons[i] = Cell{};
    balloons[i].kind = kBalloonStarts[i].kind;
    balloons[i].x = kBalloonStarts[i].x;
    balloons[i].y = kBalloonStarts[i].y;
  }
}

void OpeningScene::Start(HWND hwnd) {
  selection = GetLevel();
  SetLastResult(0, 0);
  SetTimer(hwnd, 1, 80, nullptr);
}

void OpeningScene::LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) {
  if (!LoadBitmapToSurface(hwnd, backgroundSurface, "BOPENING")) FatalDisplayError(hwnd);
}

void OpeningScene::OnTimer(HWND) {
  for (Cell& balloon : balloons) {
    if (balloon.y == kTopOut) {
      balloon.y = kBottomIn;
    } else {
      --balloon.y;
    }
  }
}

void OpeningScene::OnKeyUp() {
  keyHeld = 0;
}

void OpeningScene::OnKeyDown(HWND hwnd, UINT virtualKey) {
  switch (virtualKey) {
    case VK_RETURN:
      KillTimer(hwnd, 1);
      SetLevel(selection);
      ChangeScene(Play);
      break;
    case VK_ESCAPE:
      KBGMStop();
      KillTimer(hwnd, 1);
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      break;
    case VK_UP:
      // Up the screen is towards the beginner line, the highest number.
      if (keyHeld == 0) selection = selection == 2 ? 0 : selection + 1;
      break;
    case VK_DOWN:
      if (keyHeld == 0) selection = selection == 0 ? 2 : selection - 1;
      break;
    case VK_F1:
      // The title's timer keeps running; the ranking screen ignores its ticks.
      ChangeScene(Ranking);
      break;
    default:
      break;
  }
  keyHeld = 1;
}

void OpeningScene::OnIdle(HWND hwnd) {
  DrawBackground(hwnd);
  DrawString(240, 460, kHelpLine, kBlack, kBlue);
  DrawString(460, 220, kCreditLine, kBlack, kBlue);
  for (int level = 2; level >= 0; --level) {
    const COLORREF color = level == selection ? kRed : kBlack;
    DrawString(kMenuX, kMenuY[level], kMenuText[level], color, kBlue);
  }
  for (const Cell& balloon : balloons) DrawTile(hwnd, balloon);
  FlipScreen(hwnd);
}
