// The texts of the display's message boxes, in Shift-JIS as the game shows them,
// and the English line said after each where the player reads English.
#pragma once

namespace display_text {

// The caption of every box: the window title.
inline constexpr char kCaption[] = "Morvex2";
// DirectDrawのセットアップに失敗
inline constexpr char kSetupFailed[] =
    "DirectDraw\x82\xcc\x83Z\x83"
    "b\x83g\x83"
    "A\x83"
    "b\x83v\x82\xc9\x8e\xb8\x94s";
// リソースをロードできません
inline constexpr char kCannotLoadResource[] =
    "\x83\x8a\x83\x5c\x81[\x83X\x82\xf0\x83\x8d\x81[\x83h\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
// 画像のローディングに失敗
inline constexpr char kPictureLoadFailed[] =
    "\x89\xe6\x91\x9c\x82\xcc\x83\x8d\x81[\x83"
    "f\x83"
    "B\x83\x93\x83O\x82\xc9\x8e\xb8\x94s";
// デバイスコンテキストの取得に失敗
inline constexpr char kNoDeviceContext[] =
    "\x83"
    "f\x83o\x83"
    "C\x83X\x83R\x83\x93\x83"
    "e\x83L\x83X\x83g\x82\xcc\x8e\xe6\x93\xbe\x82\xc9"
    "\x8e\xb8\x94s";

// In English, said after the box, which keeps the game's own text.
inline constexpr char kSetupFailedEnglish[] = "The screen could not be set up.";
inline constexpr char kCannotLoadResourceEnglish[] = "A picture of the game cannot be found.";
inline constexpr char kPictureLoadFailedEnglish[] = "A picture of the game could not be read.";
inline constexpr char kNoDeviceContextEnglish[] = "A picture could not be drawn into.";

}  // namespace display_text
