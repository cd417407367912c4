#include "ranking/ranking_scene.h"

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "core/language.h"
#include "core/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/messages.h"
#include "display/screen.h"
#include "platform/base/log.h"
#include "ranking/band_lines.h"
#include "ranking/decimal_text.h"
#include "ranking/ranking_text.h"
#include "ranking/world_view_text.h"
#include "world/ranked_games.h"
#include "world/world_server.h"
#include "world/world_tables.h"

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

void DrawRow(const char* name, const char* date, const char* score, const char* removed,
             COLORREF color, int y) {
  DrawString(kNameX, y, name, color, kBlack);
  DrawString(kDateX, y, date, color, kBlack);
  DrawString(kScoreX, y, score, color, kBlack);
  DrawString(kRemovedX, y, removed, color, kBlack);
}

// The band across the top holds the picture's title; a line about the world
// table is drawn over it on two lines of cover, between the two balloons.
constexpr int kBandX = 64;
constexpr int kBandCoverY[2] = {2, 18};
constexpr int kBandTextY = 10;
constexpr std::size_t kBandColumns = 64;
constexpr int kScreenMiddleX = 320;
constexpr int kCharWidth = 8;
constexpr COLORREF kChosenYellow = RGB(255, 255, 0);

// A line is centred, as the title it stands over; a longer text (a server's
// reason) takes the two lines of cover.
void DrawBand(const std::string& text) {
  const std::string cover(kBandColumns, ' ');
  for (const int y : kBandCoverY) DrawString(kBandX, y, cover.c_str(), kBlack, kBlack);
  const std::vector<std::string> lines = BandLines(text, kBandColumns, std::size(kBandCoverY));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int x = kScreenMiddleX - static_cast<int>(lines[i].size()) * kCharWidth / 2;
    const int y = lines.size() == 1 ? kBandTextY : kBandCoverY[i];
    DrawString(x, y, lines[i].c_str(), kHeadingBlue, kBlack);
  }
}

std::string Say(const world_view_text::Text& text) {
  return Localized(text.japanese, text.english);
}

// What became of the game just played, or nothing to say.
std::string OutcomeLine(const RankedOutcome& outcome) {
  using Standing = RankedOutcome::Standing;
  switch (outcome.standing) {
    case Standing::kNone:
    case Standing::kPlaying:
      return {};
    case Standing::kNotRanked:
      return Say(world_view_text::kNotRanked) + outcome.reason;
    case Standing::kSending:
      return Say(world_view_text::kSending);
    case Standing::kRanked: {
      if (outcome.rank <= 0) return Say(world_view_text::kEntered);
      char line[kBandColumns + 1];
      std::snprintf(line, sizeof line, Say(world_view_text::kRanked).c_str(), outcome.rank);
      return line;
    }
    case Standing::kRefused:
      return Say(world_view_text::kRefused) + outcome.reason;
    case Standing::kKept:
      return Say(world_view_text::kKept);
    case Standing::kLost:
      return Say(world_view_text::kLost) + outcome.reason;
  }
  return {};
}

// What became of the results of earlier games sent again at this start: the
// one, or how many of each.
std::string EarlierLine(const std::vector<RankedOutcome>& earlier) {
  if (earlier.empty()) return {};
  if (earlier.size() == 1) return Say(world_view_text::kEarlier) + OutcomeLine(earlier[0]);
  int counts[3] = {0, 0, 0};
  for (const RankedOutcome& one : earlier) {
    using Standing = RankedOutcome::Standing;
    ++counts[one.standing == Standing::kRanked ? 0 : one.standing == Standing::kRefused ? 1 : 2];
  }
  char line[kBandColumns * 2];
  std::snprintf(line, sizeof line, Say(world_view_text::kEarlierMany).c_str(),
                static_cast<int>(earlier.size()), counts[0], counts[1], counts[2]);
  return line;
}

}  // namespace

void RankingScene::Start(HWND hwnd) {
  int score = 0;
  int removedCount = 0;
  GetLastResult(&score, &removedCount);
  bool lost = false;
  const std::uint64_t mark = platform::LogMark();
  table = RecordResult(GetLevel(), score, removedCount, &lost);
  // Back from an entry's replay, the world's table is shown as it was left.
  worldView = WorldServerChosen() && TakeWorldViewOnStart();
  if (!worldView) worldChoice = 0;
  // A player who keeps a table read-only is told once, not after every game;
  // the log has every one.
  if (lost && !toldResultLost) {
    toldResultLost = true;
    // The box sends the player to the log only when the log has the reason.
    const std::string text = platform::LogFileHoldsLinesSince(mark)
                                 ? std::string(Localized(ranking_text::kResultNotSaved,
                                                         ranking_text::kResultNotSavedEnglish))
                                 : Localized(ranking_text::kResultNotSavedBecause,
                                             ranking_text::kResultNotSavedBecauseEnglish) +
                                       platform::LinesSaidSince(mark);
    MessageBoxA(hwnd, text.c_str(), display_text::kCaption, MB_OK | MB_ICONWARNING);
  }
}

void RankingScene::LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) {
  if (!LoadBitmapToSurface(hwnd, backgroundSurface, "BRANK")) FatalDisplayError(hwnd);
}

void RankingScene::OnKeyDown(HWND hwnd, UINT virtualKey) {
  if (WorldServerChosen() && (worldView || virtualKey == VK_TAB) && virtualKey != VK_ESCAPE) {
    OnWorldKey(virtualKey);
    return;
  }
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

void RankingScene::OnWorldKey(UINT virtualKey) {
  const std::vector<WorldEntry>& entries = WorldTableOf(GetLevel());
  switch (virtualKey) {
    case VK_TAB:
      worldView = !worldView;
      worldChoice = 0;
      if (worldView) RequestWorldTable(GetLevel());
      break;
    case VK_UP:
      if (worldChoice > 0) --worldChoice;
      break;
    case VK_DOWN:
      if (worldChoice + 1 < entries.size()) ++worldChoice;
      break;
    case VK_RETURN:
      if (WorldTableStateOf(GetLevel()) == WorldTableState::kReady &&
          worldChoice < entries.size()) {
        WatchWorldEntry(entries[worldChoice].entry);
      }
      break;
    default:
      break;
  }
}

void RankingScene::DrawWorldTable() const {
  const int level = GetLevel();
  const WorldTableState state = WorldTableStateOf(level);
  const std::vector<WorldEntry>& entries = WorldTableOf(level);
  std::string band = Say(world_view_text::kWorldHeading);
  if (WatchedReplayState() == WorldTableState::kLoading) {
    band = Say(world_view_text::kReplayLoading);
  } else if (WatchedReplayState() == WorldTableState::kUnreadable) {
    band = Say(world_view_text::kReplayUnreadable);
  } else if (WatchedReplayState() == WorldTableState::kFailed) {
    band = Say(world_view_text::kReplayFailed);
  } else if (state == WorldTableState::kLoading) {
    band = Say(world_view_text::kLoading);
  } else if (state == WorldTableState::kFailed) {
    band = Say(world_view_text::kUnreachable);
  } else if (state == WorldTableState::kReady && entries.empty()) {
    band = Say(world_view_text::kEmpty);
  }
  DrawBand(band);
  if (state != WorldTableState::kReady) return;
  for (std::size_t i = 0; i < entries.size() && i < kWorldTableRows; ++i) {
    const WorldEntry& entry = entries[i];
    const COLORREF color = i == worldChoice ? kChosenYellow : kScoreRowWhite;
    // A server's numbers are held to the columns this machine's table has,
    // so that none runs into the next column or off the screen.
    ScoreRecord fitted{};
    FormatDecimal(entry.score, fitted.scoreText, sizeof fitted.scoreText - 1);
    FormatDecimal(entry.removed, fitted.removedText, sizeof fitted.removedText - 1);
    DrawRow(entry.name.c_str(), entry.date.c_str(), fitted.scoreText, fitted.removedText, color,
            kFirstRowY + kRowHeight * static_cast<int>(i));
  }
}

void RankingScene::OnIdle(HWND hwnd) {
  DrawBackground(hwnd);
  if (GetLanguage() == platform::Language::kEnglish) DrawEnglishCountHeading();
  if (worldView) {
    DrawWorldTable();
  } else if (table) {
    // The table is gone only between ESC and the end of the program; a frame
    // drawn then shows the bare picture rather than reading a released table.
    for (std::size_t i = 0; i < table->size(); ++i) {
      const ScoreRecord& record = (*table)[i];
      DrawRow(record.name, record.date, record.scoreText, record.removedText, record.color,
              kFirstRowY + kRowHeight * static_cast<int>(i));
    }
  }
  if (!worldView && WorldServerChosen()) {
    std::string line = OutcomeLine(LastRankedOutcome());
    if (line.empty()) line = EarlierLine(EarlierRankedOutcomes());
    if (!line.empty()) DrawBand(line);
  }
  FlipScreen(hwnd);
}
