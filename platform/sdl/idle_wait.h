// When the game's loop may sleep, and for how long. The loop never waits for
// messages: whenever none is waiting it draws a frame, and a frame drawn with
// nothing new since the one before is the same frame again. At each poll from
// the queue the SDL host asks this how long it may sleep instead, and sleeps
// that long unless input comes first.
//
// Between two polls the loop either handles a message or draws one frame. The
// game draws its frames from its state alone, and its state changes only with
// messages; so after a frame, with no message waiting, the loop may sleep until
// the next timer falls due. After a message it must draw first, as the message
// may have changed what the frame shows: except in the background, where no
// frame is shown. A window that needs painting again is drawn at once.
#pragma once

#include <cstdint>

namespace platform {

class IdleWait {
 public:
  // The longest sleep, should nothing else come, for a wait that may miss
  // something: the loop looks again this often.
  static constexpr std::int64_t kLongestMs = 100;

  struct Poll {
    std::uint64_t framesPresented;  // frames handed to the video so far
    bool repaintPending;            // the window must be painted again
    bool active;                    // the game is in the foreground
    std::int64_t nowMs;
    std::int64_t nextMessageDueMs;        // NextMessageDueMs(): lowest while one waits
    std::int64_t longestMs = kLongestMs;  // the input wait's LongestSleepMs()
  };

  // Milliseconds to sleep at this poll; 0 to go on at once.
  std::int64_t SleepMs(const Poll& poll);

 private:
  std::uint64_t seenFrames_ = 0;
};

}  // namespace platform
