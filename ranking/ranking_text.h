// The ranking screen's own texts. Its headings are part of its picture; the
// last one, "数" (the count of balloons removed), is covered in English by
// a word in the screen font, in the headings' light blue. The box that says
// a result was not saved speaks the player's language.
#pragma once

namespace ranking_text {

inline constexpr char kCountHeadingEnglish[] = "POPS";
// Drawn first, black on black, to hide the picture's heading under the word.
inline constexpr char kHeadingCover[] = "     ";

// この結果はハイスコアの表に保存できませんでした。\n理由はデータフォルダの morvex2.log
// に書いてあります。
inline constexpr char kResultNotSaved[] =
    "\x82\xb1\x82\xcc\x8c\x8b\x89\xca\x82\xcd\x83n\x83"
    "C\x83X\x83R\x83"
    "A\x82\xcc\x95\x5c\x82\xc9\x95\xdb\x91\xb6\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82"
    "\xb5\x82\xbd\x81"
    "B\n\x97\x9d\x97R\x82\xcd\x83"
    "f\x81[\x83^\x83t\x83H\x83\x8b\x83_\x82\xcc morvex2.log "
    "\x82\xc9\x8f\x91\x82\xa2\x82\xc4\x82\xa0\x82\xe8\x82\xdc\x82\xb7\x81"
    "B";
inline constexpr char kResultNotSavedEnglish[] =
    "The result of this game could not be saved in the high-score table.\n"
    "The reason is written in morvex2.log in the game's data folder.";

// Where the log could not take the reason, the box gives it itself, after
// this: この結果はハイスコアの表に保存できませんでした。理由:
inline constexpr char kResultNotSavedBecause[] =
    "\x82\xb1\x82\xcc\x8c\x8b\x89\xca\x82\xcd\x83n\x83"
    "C\x83X\x83R\x83"
    "A\x82\xcc\x95\x5c\x82\xc9\x95\xdb\x91\xb6\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82"
    "\xb5\x82\xbd\x81"
    "B\x97\x9d\x97R:\n";
inline constexpr char kResultNotSavedBecauseEnglish[] =
    "The result of this game could not be saved in the high-score table:\n";

}  // namespace ranking_text
