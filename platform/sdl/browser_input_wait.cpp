#include "platform/sdl/browser_input_wait.h"

#include <emscripten.h>

namespace {

// Resolves with 1 when the page wakes it for input, 0 when the time is up.
// clang-format off
EM_ASYNC_JS(int, WaitForPageInput, (int ms), {
  return await new Promise(function(resolve) {
    var timer = 0;
    var done = function(woken) {
      clearTimeout(timer);
      Module.morvex2WakeForInput = null;
      resolve(woken);
    };
    timer = setTimeout(function() { done(0); }, ms);
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
