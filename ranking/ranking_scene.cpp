#include "ranking/ranking_scene.h"

#include "core/language.h"
#include "core/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/messages.h"
#include "display/screen.h"
#include "ranking/ranking_text.h"

namespace {

// Row i of the table sits in the lower half of the picture's ruled row i.
constexpr int kFirstRowY = 90;
constexpr int kRowHeight = 40;
constexpr int kNameX = 64;
constexpr int kDateX = 198;
constexpr int kScoreX = 480;
constexpr int kRemovedX = 577;
constexpr COLORREF kBlack = 0;

// The last heading's box is 48 x 34 pixels from (572, 36); its glyph lies
// within x 585..607, y 40..62. Two lines of cover hide it, then the English
// word is drawn across their middle.
constexpr int kCoverX = 576;
constexpr int kCoverY[2] = {38, 54};
constexpr int kHeadingX = 580;
constexpr int kHeadingY = 45;
constexpr COLORREF kHeadingBlue = RGB(176, 230, 255);

void DrawEnglishCountHeading() {
  for (const int y : kCoverY) DrawString(kCoverX, y, ranking_text::kHeadingCover, kBlack, kBlack);
  DrawString(kHeadingX, kHeadingY, ranking_text::kCountHeadingEnglish, kHeadingBlue, kBlack);
}

void DrawRow(const ScoreRecord& record, int y) {
  DrawString(kNameX, y, record.name, record.color, kBlack);
  DrawString(kDateX, y, record.date, record.color, kBlack);
  DrawString(kScoreX, y, record.scoreText, record.color, kBlack);
  DrawString(kRemovedX, y, record.removedText, record.color, kBlack);
}

}  // namespace

void RankingScene::Start(HWND hwnd) {
  int score = 0;
  int removedCount = 0;
  GetLastResult(&score, &removedCount);
  bool lost = false;
  table = RecordResult(GetLevel(), score, removedCount, &lost);
  // A player who keeps a table read-only is told once, not after every game;
  // the log has every one.
  if (lost && !toldResultLost) {
    toldResultLost = true;
    MessageBoxA(hwnd,
                Localized(ranking_text::kResultNotSaved, ranking_text::kResultNotSavedEnglish),
                display_text::kCaption, MB_OK | MB_ICONWARNING);
  }
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
  if (GetLanguage() == platform::Language::kEnglish) DrawEnglishCountHeading();
  // The table is gone only between ESC and the end of the program; a frame
  // drawn then shows the bare picture rather than reading a released table.
  if (table) {
    for (std::size_t i = 0; i < table->size(); ++i) {
      DrawRow((*table)[i], kFirstRowY + kRowHeight * static_cast<int>(i));
    }
  }
  FlipScreen(hwnd);
}
