// What the window calls ask of the host. The message queue and the window
// registry are plain C++; a host that has a real screen (the SDL2 host) brings
// its window as a WindowBackend, and a host that feeds input (keys, focus,
// close requests) brings an input pump that the queue calls whenever it looks
// for messages (both installed with the host, host.h). Without a backend the
// window exists only as a handle, which is all that unit tests need.
#pragma once

#include <cstdint>

#include "platform/win32/win32.h"

namespace platform {

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;
  // Creates the real window, not yet shown. False when no window can be had.
  [[nodiscard]] virtual bool Create(const char* title, int width, int height) = 0;
  virtual void Show() = 0;
  virtual void Destroy() = 0;
  // The desktop's size, for a window that covers it.
  virtual int DesktopWidth() = 0;
  virtual int DesktopHeight() = 0;
  // The game's window procedure has just been told that the game is now in
  // the foreground or in the background (WM_ACTIVATEAPP dispatched). What must
  // not happen before the game knows, such as taking a full screen away,
  // happens here rather than when the host first hears of the change.
  virtual void ActivationDelivered(bool /*active*/) {}
  // Shows a modal box of the fatal-error path (UTF-8 texts) above the window.
  // False when there is no screen to show it on.
  [[nodiscard]] virtual bool ShowMessageBox(const char* /*title*/, const char* /*message*/) {
    return false;
  }
  // Shows a modal box that warns of something the game gets past, whose
  // reason is already said on standard error. False when this host leaves
  // that line to speak for itself.
  [[nodiscard]] virtual bool ShowNotice(const char* /*title*/, const char* /*message*/) {
    return false;
  }
};

// Queues a key, focus or close message from the host for the main window, in
// arrival order with posted messages. False (and dropped) when there is no window.
bool PostInputMessage(UINT message, WPARAM wParam, LPARAM lParam);

// When the game's queue will next have a message, on GameClock() in
// milliseconds, if no input comes first: the lowest int64 while one waits, the
// highest with nothing queued and no timer (MessageQueue::NextMessageDueMs).
std::int64_t NextMessageDueMs();

}  // namespace platform
