// The game in English, as a player whose desktop speaks English meets it: the
// title, the play screen and the ranking screen, each against its own golden
// frame; and every English text within the room its Japanese one had.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "opening/title_text.h"
#include "platform/win32/gdi.h"
#include "play/play_text.h"
#include "ranking/ranking_text.h"
#include "tests/e2e/game_run.h"

namespace {

int Width(const char* text) {
  return TextWidth(text, static_cast<int>(std::strlen(text)));
}

TEST(EnglishTexts, EachFitsTheRoomOfItsPlace) {
  const struct {
    const char* where;
    const char* english;
    int x;
    int right;  // the first column past the room
  } cases[] = {
      // The menu lines: no wider than the widest Japanese line.
      {"advanced line", title_text::kMenuEnglish[0], 200, 200 + Width(title_text::kMenu[2])},
      {"middle line", title_text::kMenuEnglish[1], 200, 200 + Width(title_text::kMenu[2])},
      {"beginner line", title_text::kMenuEnglish[2], 200, 200 + Width(title_text::kMenu[2])},
      // The Japanese help line runs off the screen; the English one ends at its edge.
      {"title help", title_text::kHelpEnglish, 240, 640},
      // Labels: left of where the numbers under them end.
      {"score label", play_text::kScoreLabelEnglish, 370, 450},
      {"removed label", play_text::kRemovedLabelEnglish, 370, 450},
      // Inside the field they stand for, which ends at x = 340.
      {"help 1", play_text::kHelpLinesEnglish[0], 120, 340},
      {"help 2", play_text::kHelpLinesEnglish[1], 120, 340},
      {"help 3", play_text::kHelpLinesEnglish[2], 120, 340},
      {"help 4", play_text::kHelpLinesEnglish[3], 120, 340},
      {"help 5", play_text::kHelpLinesEnglish[4], 120, 340},
      // The last heading's box, x 572..619.
      {"count heading", ranking_text::kCountHeadingEnglish, 580, 620},
  };
  for (const auto& c : cases) {
    EXPECT_LE(c.x + Width(c.english), c.right) << c.where << ": " << c.english;
  }
  EXPECT_EQ(Width(title_text::kHelpEnglish), 400);
  // The cover hides the picture's heading glyph, x 585..607, and the word is
  // centred in the box.
  EXPECT_LE(576 + Width(ranking_text::kHeadingCover), 620);
  EXPECT_GE(576 + Width(ranking_text::kHeadingCover), 608);
  EXPECT_EQ(580 + Width(ranking_text::kCountHeadingEnglish) / 2, 572 + 48 / 2);
  // The key help's arrows are the same double-width characters as in Japanese.
  for (int i = 2; i < 5; ++i) {
    EXPECT_EQ(std::strncmp(play_text::kHelpLines[i], play_text::kHelpLinesEnglish[i], 2), 0) << i;
  }
}

using EnglishRun = GameRunTest;

TEST_F(EnglishRun, TitlePlayAndRankingScreensReadInEnglish) {
  std::ofstream(folder_ / "tyuu.pod", std::ios::binary) << OneRowTable("PLAYER", "1230");
  const std::string script = "wait 200\nkey UP\nwait 100\n" + Capture("title.png") +
                             "key DOWN\nwait 50\nkey RETURN\nwait 300\n" + Capture("play.png") +
                             "key ESC\nwait 100\nkey F1\nwait 100\n" + Capture("ranking.png") +
                             "key ESC\n";
  const GameRun run = RunGame(folder_, script, 1796488723, {}, platform::Language::kEnglish);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.failedCaptures, 0);
  ExpectGoldenFrame(Shot("title.png"), "english_title_beginner.png");
  ExpectGoldenFrame(Shot("play.png"), "english_play_middle_paused.png");
  ExpectGoldenFrame(Shot("ranking.png"), "english_ranking_middle.png");
}

}  // namespace
