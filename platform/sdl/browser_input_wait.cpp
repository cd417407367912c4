#include "platform/sdl/browser_input_wait.h"

#include <emscripten.h>

namespace {

// Resolves with 1 when the page wakes it for input, 0 when the time is up.
// A hidden page waits until it is woken (the page wakes it when it is shown
// again): the game is in the background then, where its timers' ticks would
// only be dropped, and each wake would cost the browser a task for nothing.
// clang-format off
EM_ASYNC_JS(int, WaitForPageInput, (int ms), {
  return await new Promise(function(resolve) {
    var timer = 0;
    var done = function(woken) {
      clearTimeout(timer);
      Module.morvex2WakeForInput = null;
      resolve(woken);
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

bool BrowserInputWait::Wait(int ms) {
  return WaitForPageInput(ms) != 0;
}

bool BrowserInputWait::ControllersWanted() {
  return PageWantsControllers() != 0;
}

}  // namespace platform
