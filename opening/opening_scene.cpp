#include "opening/opening_scene.h"

#include "core/language.h"
#include "core/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/screen.h"
#include "opening/title_text.h"
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

// The rows of the menu lines by level; the beginner line is on top.
constexpr int kMenuY[3] = {360, 320, 280};
constexpr int kMenuX = 200;

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
  DrawString(240, 460, Localized(title_text::kHelp, title_text::kHelpEnglish), kBlack, kBlue);
  DrawString(460, 220, title_text::kCredit, kBlack, kBlue);
  for (int level = 2; level >= 0; --level) {
    const COLORREF color = level == selection ? kRed : kBlack;
    DrawString(kMenuX, kMenuY[level],
               Localized(title_text::kMenu[level], title_text::kMenuEnglish[level]), color, kBlue);
  }
  for (const Cell& balloon : balloons) DrawTile(hwnd, balloon);
  FlipScreen(hwnd);
}
