// The texts of the play screen in Shift-JIS as the game draws them: the
// game's own Japanese, and the English that stands in the same places.
#pragma once

#include <iterator>

namespace play_text {

// The label above the preview, in either language.
inline constexpr char kNext[] = "next";

// "得点" (score)
inline constexpr char kScoreLabel[] = "\x93\xbe\x93\x5f";
inline constexpr char kScoreLabelEnglish[] = "Score";
// "消した数" (balloons removed)
inline constexpr char kRemovedLabel[] = "\x8f\xc1\x82\xb5\x82\xbd\x90\x94";
inline constexpr char kRemovedLabelEnglish[] = "Popped";

// Shown in place of the field while the game is paused.
inline constexpr const char* kHelpLines[] = {
    "RETURN : Start and Stop",
    "ESC : Opening",
    "\x81\xaa,Space : \x89\xf1\x93\x5d",     // "↑,Space : 回転" (turn)
    "\x81\xa9,\x81\xa8 : \x88\xda\x93\xae",  // "←,→ : 移動" (move)
    "\x81\xab : \x89\xc1\x91\xac",           // "↓ : 加速" (speed up)
};
// The arrows are the same double-width ones.
inline constexpr const char* kHelpLinesEnglish[] = {
    "RETURN : Start and Pause", "ESC : Title screen",
    "\x81\xaa,Space : Turn",     // "↑,Space : Turn"
    "\x81\xa9,\x81\xa8 : Move",  // "←,→ : Move"
    "\x81\xab : Drop",           // "↓ : Drop"
};
static_assert(std::size(kHelpLines) == std::size(kHelpLinesEnglish));

}  // namespace play_text
