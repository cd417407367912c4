#include "ranking/ranking_scene.h"

#include "core/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/screen.h"

namespace {

// Row i of the table sits in the lower half of the picture's ruled row i.
constexpr int kFirstRowY = 90;
constexpr int kRowHeight = 40;
constexpr int kNameX = 64;
constexpr int kDateX = 198;
constexpr int kScoreX = 480;
constexpr int kRemovedX = 577;
constexpr COLORREF kBlack = 0;

void DrawRow(const ScoreRecord& record, int y) {
  DrawString(kNameX, y, record.name, record.color, kBlack);
  DrawString(kDateX, y, record.date, record.color, kBlack);
  DrawString(kScoreX, y, record.scoreText, record.color, kBlack);
  DrawString(kRemovedX, y, record.removedText, record.color, kBlack);
}

}  // namespace

void RankingScene::Start(HWND) {
  int score = 0;
  int removedCount = 0;
  GetLastResult(&score, &removedCount);
  table = RecordResult(GetLevel(), score, removedCount);
}

void RankingScene::LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) {
  if (!LoadBitmapToSurface(hwnd, backgroundSurface, "BRANK")) FatalDisplayError(hwnd);
}

void RankingScene::OnKeyDown(HWND hwnd, UINT virtualKey) {
  switch (virtualKey) {
    case VK_RETURN:
      table.reset();
      ChangeScene(Opening);
      break;
    case VK_ESCAPE:
      table.reset();
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

void RankingScene::OnIdle(HWND hwnd) {
  DrawBackground(hwnd);
  // The table is gone only between ESC and the end of the program; a frame
  // drawn then shows the bare picture rather than reading a released table.
  if (table) {
    for (std::size_t i = 0; i < table->size(); ++i) {
      DrawRow((*table)[i], kFirstRowY + kRowHeight * static_cast<int>(i));
    }
  }
  FlipScreen(hwnd);
}
