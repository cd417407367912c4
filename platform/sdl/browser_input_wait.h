// The wait for input in a browser. SDL's own wait would look at its queue
// every millisecond, and each look hands the page to the browser and back;
// this one hands it over once, until the time is up or the page sees input
// for the game (a key, the focus, the page hidden or shown), whichever comes
// first (web/page.js wakes it). Built only for the browser.
#pragma once

#include "platform/sdl/input_wait.h"

namespace platform {

class BrowserInputWait final : public InputWait {
 public:
  bool Wait(int ms) override;
  // Input reaches SDL's queue only while the browser has the page.
  bool MayHaveInput() override { return false; }
};

}  // namespace platform
