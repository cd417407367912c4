// The wait for input in a browser. SDL's own wait would look at its queue
// every millisecond, and each poll hands the page to the browser and back;
// this one hands it over once, until the time is up or something comes for
// the game, whichever is first: a key, the focus, the page hidden or shown,
// resized, put on the full screen or the mouse moved over it, a gamepad
// plugged in (web/page.js wakes it), a tune's rendering (the same) or a
// network answer (platform/net/http_client_web.cpp). Since nothing needs a
// look of its own, with no timer due it sleeps up to a second: each wake
// hands the page over and draws a frame, and a running game woke ten times a
// second for nothing.
// Built only for the browser.
//
// A page that watches for controllers makes the browser poll them sixty times
// a second for as long as it is open, whether one is plugged in or not: about
// a percent of a core. So controllers are watched only once the player has
// asked for them on the page (web/page.js remembers that for later visits).
#pragma once

#include <cstdint>

#include "platform/sdl/input_wait.h"

namespace platform {

class BrowserInputWait final : public InputWait {
 public:
  bool Wait(int ms) override;
  // Input reaches SDL's queue only while the browser has the page.
  bool MayHaveInput() override { return false; }
  bool ControllersWanted() override;
  [[nodiscard]] std::int64_t LongestSleepMs() const override { return kLongestMs; }

  static constexpr std::int64_t kLongestMs = 1000;
};

}  // namespace platform
