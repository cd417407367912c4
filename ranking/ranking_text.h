// The ranking screen's own text. Its headings are part of its picture; the
// last one, "数" (the count of balloons removed), is covered in English by
// this word in the screen font, in the headings' light blue.
#pragma once

namespace ranking_text {

inline constexpr char kCountHeadingEnglish[] = "POPS";
// Drawn first, black on black, to hide the picture's heading under the word.
inline constexpr char kHeadingCover[] = "     ";

}  // namespace ranking_text
