// The wait for input in a browser. SDL's own wait would look at its queue
// every millisecond, and each look hands the page to the browser and back;
// this one hands it over once, until the time is up or the page sees input
// for the game (a key, the focus, the page hidden or shown), whichever comes
// first (web/page.js wakes it). Built only for the browser.
//
// A page that watches for controllers makes the browser poll them sixty times
// a second for as long as it is open, whether one is plugged in or not: about
// a percent of a core. So controllers are watched only once the player has
// asked for them on the page (web/page.js remembers that for later visits).
#pragma once

#include "platform/sdl/input_wait.h"

namespace platform {

class BrowserInputWait final : public InputWait {
 public:
  bool Wait(int ms) override;
  // Input reaches SDL's queue only while the browser has the page.
  bool MayHaveInput() override { return false; }
  bool ControllersWanted() override;
};

}  // namespace platform
