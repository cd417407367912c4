// One frame of the play screen: background, labels, counters, preview, then
// either the key help (paused) or the visible field, and the flip. The frame
// only reads the game; everything that moves, moves between frames.
#include <cstdio>

#include "display/draw.h"
#include "play/play_scene.h"

namespace {

constexpr COLORREF kTextColor = RGB(0, 0, 0);
constexpr COLORREF kBackColor = RGB(255, 255, 255);

// Counters end at x = 450; the screen font's digits are 8 pixels wide.
constexpr int kNumberRightEdge = 450;
constexpr int kCharWidth = 8;

// "得点" (score)
constexpr const char kScoreLabel[] = "\x93\xbe\x93\x5f";
// "消した数" (balloons removed)
constexpr const char kRemovedLabel[] = "\x8f\xc1\x82\xb5\x82\xbd\x90\x94";

// Shown in place of the field while the game is paused.
constexpr const char* kHelpLines[] = {
    "RETURN : Start and Stop",
    "ESC : Opening",
    "\x81\xaa,Space : \x89\xf1\x93\x5d",     // "↑,Space : 回転" (turn)
    "\x81\xa9,\x81\xa8 : \x88\xda\x93\xae",  // "←,→ : 移動" (move)
    "\x81\xab : \x89\xc1\x91\xac",           // "↓ : 加速" (speed up)
};
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
  DrawText(370, 20, "next");
  DrawText(370, 100, kScoreLabel);
  DrawRightAligned(scoreText, 130);
  DrawText(370, 200, kRemovedLabel);
  DrawRightAligned(removedText, 230);
  for (const Cell& cell : next) DrawTile(hwnd, cell);
  if (paused != 0) {
    // The field stays hidden so that a pause cannot be used to study it.
    int y = kHelpTop;
    for (const char* line : kHelpLines) {
      DrawText(kHelpX, y, line);
      y += kHelpLineStep;
    }
  } else {
    // Row 0 is the hidden row above the field and is never drawn.
    for (int row = 1; row < kFieldRows; ++row) {
      for (int column = 0; column < kFieldColumns; ++column) DrawTile(hwnd, At(column, row));
    }
  }
  FlipScreen(hwnd);
}
