#include <emscripten.h>

#include <cstdint>
#include <memory>

#include "platform/sdl/input_wait.h"
#include "platform/sdl/window_system.h"

namespace {

// Hands the page back to the browser until it wakes the game for input (1)
// or the time is up (0). A hidden page waits until it is woken (the page
// wakes it when it is shown again): the game is in the background then, where
// its timers' ticks would only be dropped, and each wake would cost the
// browser a task for nothing.
//
// The game's stack is kept by asyncify's own sleep, and the timer or the wake
// that ends the wait takes the game up again at once, in its own task: no
// promise, no async function and no microtask between them. The title wakes
// twelve times a second, and the promises' chain cost each of those turns a
// few allocations and two more hops. The link names this function as one
// that may sleep (web/CMakeLists.txt).
// clang-format off
EM_JS(int, WaitForPageInput, (int ms), {
  return Asyncify.handleSleep(function(wakeUp) {
    var timer = 0;
    var done = function(woken) {
      clearTimeout(timer);  // nothing where it has run, or none was set
      Module.morvex2WakeForInput = null;
      wakeUp(woken);
    };
    if (!document.hidden) timer = setTimeout(function() { done(0); }, ms);
    Module.morvex2WakeForInput = function() { done(1); };
  });
});

EM_JS(int, PageWantsControllers, (), {
  return Module.morvex2WantsControllers ? 1 : 0;
});
// clang-format on

}  // namespace

namespace platform {

namespace {

// The wait for input in a browser. SDL's own wait would look at its queue
// every millisecond, and each poll hands the page to the browser and back;
// this one hands it over once, until the time is up or something comes for
// the game, whichever is first: a key, the focus, the page hidden or shown,
// resized, put on the full screen or the mouse moved over it, a gamepad
// plugged in (web/page.js wakes it), a tune's rendering (the same) or a
// network answer (platform/web/http_client_web.cpp). Since nothing needs a
// look of its own, with no timer due it sleeps up to a second: each wake
// hands the page over and draws a frame, and a running game woke ten times a
// second for nothing.
//
// A page that watches for controllers makes the browser poll them sixty times
// a second for as long as it is open, whether one is plugged in or not: about
// a percent of a core. So controllers are watched only once the player has
// asked for them on the page (web/page.js remembers that for later visits).
class BrowserInputWait final : public InputWait {
 public:
  bool Wait(int ms) override;
  // Input reaches SDL's queue only while the browser has the page.
  bool MayHaveInput() override { return false; }
  bool ControllersWanted() override;
  [[nodiscard]] std::int64_t LongestSleepMs() const override { return kLongestMs; }

  static constexpr std::int64_t kLongestMs = 1000;
};

bool BrowserInputWait::Wait(int ms) {
  return WaitForPageInput(ms) != 0;
}

bool BrowserInputWait::ControllersWanted() {
  return PageWantsControllers() != 0;
}

}  // namespace

std::unique_ptr<InputWait> MakeInputWait(SDL_Window* /*window*/) {
  return std::make_unique<BrowserInputWait>();
}

}  // namespace platform
