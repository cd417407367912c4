// What the player is told when the data folder cannot be made or written,
// in the player's language, before the system's reasons (in English).
#pragma once

namespace data_folder_text {

// データフォルダを使えません。今回はハイスコア、リプレイ、世界の記録に送る結果を保存しません。
inline constexpr char kNotUsable[] =
    "\x83"
    "f\x81[\x83^\x83t\x83H\x83\x8b\x83_\x82\xf0\x8eg\x82\xa6\x82\xdc\x82\xb9\x82\xf1\x81"
    "B\x8d\xa1\x89\xf1\x82\xcd\x83n\x83"
    "C\x83X\x83R\x83"
    "A\x81"
    "A\x83\x8a\x83v\x83\x8c\x83"
    "C\x81"
    "A\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xc9\x91\x97\x82\xe9\x8c\x8b\x89\xca\x82\xf0\x95\xdb\x91\xb6\x82\xb5"
    "\x82\xdc\x82\xb9\x82\xf1\x81"
    "B\n";
inline constexpr char kNotUsableEnglish[] =
    "The game's data folder cannot be used: this time nothing is saved, not the high scores, "
    "the replays, nor results for the world table.\n";

}  // namespace data_folder_text
