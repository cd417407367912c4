// The notation the tunes are written in: a slip in a bar must stop the build
// of the tunes rather than shift every later note.
#include "tools/art/tune_notation.h"

#include <gtest/gtest.h>

namespace {

TEST(TuneNotation, ReadsBarsThatAddUpAndRefusesOthers) {
  const auto notes = art::ParseMelody("C4:4 C#4 Bb3:2 r:2 A5:4 |");
  ASSERT_TRUE(notes);
  ASSERT_EQ(notes->size(), 4u);
  EXPECT_EQ(notes->back().key, 81);
  EXPECT_EQ(notes->back().start, 12u);
  for (const char* text :
       {"C4:4 D4 E4 |", "C4:8 D4:12 |", "C4:16 | D4:4", "H4:16 |", "C4:x |", "G9:16 |"}) {
    EXPECT_FALSE(art::ParseMelody(text)) << text;
  }
  EXPECT_TRUE(art::ParseChords("Fmaj7 | Am7 D7 | G/B |"));
  EXPECT_FALSE(art::ParseChords("Fxyz |"));
  EXPECT_FALSE(art::ParseChords("C D E |"));
}

}  // namespace
