// Frames compared as images. A golden frame is a PNG in the source tree; the
// comparison is made in the 16-bit terms of the back buffer. Run the tests with
// MORVEX2_UPDATE_GOLDEN=1 to write the goldens afresh from what is drawn, and
// look at them before committing. On a mismatch the frame drawn is saved
// beside the build as <build>/golden-actual/<name>.png.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// `golden` is a path relative to the source tree, e.g.
// "tests/display/golden/score_label.png"; `area` the part of `frame` compared.
::testing::AssertionResult MatchesGolden(const SDL_Surface& frame, const std::string& golden,
                                         const SDL_Rect& area = {0, 0, 640, 480});

}  // namespace testsupport
