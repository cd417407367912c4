// The texts of the title screen in Shift-JIS as the game draws them: the
// game's own Japanese, and the English that stands in the same places.
#pragma once

namespace title_text {

// The menu lines by level: 0 advanced, 1 middle, 2 beginner.
inline constexpr const char* kMenu[3] = {
    "\x81"
    "E\x8f\xe3\x8b\x89(\x91\xac\x82\xb7\x82\xac\x82\xdc\x82\xb7)",  // ・上級(速すぎます)
    "\x81"
    "E\x92\x86\x8b\x89(\x82\xb1\x82\xf1\x82\xc8\x82\xe0\x82\xf1\x82\xc5\x82\xb5\x82\xe5"
    "\x82\xa4)",  // ・中級(こんなもんでしょう)
    "\x81"
    "E\x8f\x89\x8b\x89(\x82\xa8\x82\xce\x82\xa0\x82\xbf\x82\xe1\x82\xf1\x82\xcc\x82\xbd"
    "\x82\xdf\x82\xcc\x83\x82\x81[\x83h)",  // ・初級(おばあちゃんのためのモード)
};
// The same in English, with the same bullet; none is wider than the widest
// Japanese line (272 pixels).
inline constexpr const char* kMenuEnglish[3] = {
    "\x81"
    "EAdvanced (far too fast)",  // ・Advanced (far too fast)
    "\x81"
    "EMiddle (about right)",  // ・Middle (about right)
    "\x81"
    "EBeginner (for Grandma)",  // ・Beginner (for Grandma)
};

// 53 bytes: its last 24 pixels run off the right edge, as they always have.
inline constexpr const char* kHelp =
    "F1 to HI Score  \x81\xaa\x81\xab\x91I\x91\xf0  RETURN to start  ESC to end";  // ↑↓選択
// 50 bytes: the English line ends at the right edge.
inline constexpr const char* kHelpEnglish =
    "F1 High scores  \x81\xaa\x81\xab Level  RETURN Start  ESC Quit";  // ↑↓ Level
// The same in either language.
inline constexpr const char* kCredit = "(C)1997 Morvex2 Team";

}  // namespace title_text
