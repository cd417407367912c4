// The headless host's script: what the game is fed on a virtual clock.
//
// Script lines ('#' starts a comment):
//   down KEY      a key press (WM_KEYDOWN); KEY is RETURN, ESC, SPACE, LEFT,
//   repeat KEY    UP, RIGHT, DOWN, F1, TAB, a letter or digit, or a decimal code;
//   up KEY        an auto-repeated press; a release (WM_KEYUP)
//   key KEY       a tap: press, 6 ms, release
//   focus 0|1     the game loses or gains the foreground (WM_ACTIVATEAPP)
//   wait MS       lets the game run for MS milliseconds
//   capture FILE  saves the last frame shown as a PNG file
//   close         the window manager's close request (WM_CLOSE)
// When the script has run out the host closes the window, so a run always ends.
// Scripts come from files that anyone may write: any bytes are refused or
// read, never trusted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct HostStep {
  enum class Kind { kKeyDown, kKeyUp, kFocus, kWait, kCapture, kClose };
  Kind kind;
  std::int64_t value;  // the key code, the focus flag or the milliseconds
  std::string path;    // for kCapture
};

// False, with a message naming the line, for a script that cannot be run.
[[nodiscard]] bool ParseHostScript(const std::string& text, std::vector<HostStep>* steps,
                                   std::string* error);

}  // namespace platform
