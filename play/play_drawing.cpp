// One frame of the play screen: background, labels, counters, preview, then
// either the key help (paused) or the visible field, and the flip. The frame
// only reads the game; everything that moves, moves between frames.
#include <cstdio>
#include <iterator>

#include "core/language.h"
#include "display/draw.h"
#include "play/play_scene.h"
#include "play/play_text.h"

namespace {

constexpr COLORREF kTextColor = RGB(0, 0, 0);
constexpr COLORREF kBackColor = RGB(255, 255, 255);

// Counters end at x = 450; the screen font's digits are 8 pixels wide.
constexpr int kNumberRightEdge = 450;
constexpr int kCharWidth = 8;

constexpr int kHelpX = 120;
constexpr int kHelpTop = 230;
constexpr int kHelpLineStep = 20;

struct NumberText {
  char text[16];  // room for any 32-bit value, sign included
  int length;
};

NumberText FormatNumber(std::int32_t value) {
  NumberText number{};
  number.length = std::snprintf(number.text, sizeof number.text, "%d", value);
  return number;
}

void DrawText(int x, int y, const char* text) {
  DrawString(x, y, text, kTextColor, kBackColor);
}

// Numbers of any length keep their last digit at the same place.
void DrawRightAligned(const NumberText& number, int y) {
  DrawText(kNumberRightEdge - kCharWidth * number.length, y, number.text);
}

}  // namespace

void PlayScene::OnIdle(HWND hwnd) {
  DrawBackground(hwnd);
  const NumberText scoreText = FormatNumber(score);
  const NumberText removedText = FormatNumber(removedCount);
  DrawText(370, 20, play_text::kNext);
  DrawText(370, 100, Localized(play_text::kScoreLabel, play_text::kScoreLabelEnglish));
  DrawRightAligned(scoreText, 130);
  DrawText(370, 200, Localized(play_text::kRemovedLabel, play_text::kRemovedLabelEnglish));
  DrawRightAligned(removedText, 230);
  for (const Cell& cell : next) DrawTile(hwnd, cell);
  if (paused == Pause::kPaused) {
    // The field stays hidden so that a pause cannot be used to study it.
    for (std::size_t i = 0; i < std::size(play_text::kHelpLines); ++i) {
      DrawText(kHelpX, kHelpTop + kHelpLineStep * static_cast<int>(i),
               Localized(play_text::kHelpLines[i], play_text::kHelpLinesEnglish[i]));
    }
  } else {
    // Row 0 is the hidden row above the field and is never drawn.
    for (int row = 1; row < kFieldRows; ++row) {
      for (int column = 0; column < kFieldColumns; ++column) DrawTile(hwnd, At(column, row));
    }
  }
  FlipScreen(hwnd);
}
