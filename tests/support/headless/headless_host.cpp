#include "tests/support/headless/headless_host.h"

#include <algorithm>
#include <limits>

#include "platform/win32/host.h"

namespace platform {

namespace {

HeadlessHost* g_installed = nullptr;

}  // namespace

HeadlessHost::HeadlessHost(std::vector<HostStep> script, std::int64_t unixSeconds)
    : script_(std::move(script)), clock_(0, unixSeconds) {}

HeadlessHost::~HeadlessHost() {
  Uninstall();
}

void HeadlessHost::Install() {
  g_installed = this;
  video_.SetPacingClock(&clock_);
  InstallHost({.window = this,
               .video = &video_,
               .audio = &audio_,
               .input = &HeadlessHost::Pump,
               .clock = &clock_,
               .calls = &calls_});
}

void HeadlessHost::Uninstall() {
  if (g_installed != this) return;
  UninstallHost();
  g_installed = nullptr;
}

// A shown window gets the foreground at once, as on a desktop.
void HeadlessHost::Show() {
  PostInputMessage(WM_ACTIVATEAPP, 1, 0);
}

// A turn of the loop that takes a message counts as two polls, one that finds
// none as one: the recorded games and the golden frames were made at that
// pace, and a headless run keeps it so that they come out the same again.
void HeadlessHost::Pump() {
  HeadlessHost* host = g_installed;
  if (host == nullptr) return;
  host->Poll();
  if (NextMessageDueMs() <= host->clock_.NowMs()) host->Poll();
}

void HeadlessHost::Poll() {
  KeepTimeMoving();
  if (watcher_) watcher_(*this);
  RunDueSteps();
}

// Frames move the clock on by 1/60 s each. While the game draws nothing (in
// the background, where it does not flip), time still has to pass, or a wait
// would never end: then every few turns of the loop count a millisecond.
void HeadlessHost::KeepTimeMoving() {
  const int frames = video_.FramesPresented();
  if (frames != lastFrames_) {
    lastFrames_ = frames;
    turnsWithoutFrame_ = 0;
    if (resting_) RestUntilSomethingIsDue();
    return;
  }
  if (++turnsWithoutFrame_ >= 4) {
    turnsWithoutFrame_ = 0;
    clock_.Advance(1);
  }
}

// As the SDL host sleeps in its poll of the queue once a frame is out: the
// clock goes straight on to the next timer tick or script step, whichever
// comes first, and the frames the game would have drawn meanwhile, all the
// same, are not drawn.
void HeadlessHost::RestUntilSomethingIsDue() {
  std::int64_t until = NextMessageDueMs();
  if (next_ < script_.size()) until = std::min(until, resumeAtMs_);
  const std::int64_t now = clock_.NowMs();
  if (until > now && until < std::numeric_limits<std::int64_t>::max()) {
    clock_.Advance(until - now);
  }
}

void HeadlessHost::AppendSteps(const std::vector<HostStep>& steps) {
  script_.insert(script_.end(), steps.begin(), steps.end());
}

bool HeadlessHost::ScriptDone() {
  return next_ >= script_.size() && clock_.NowMs() >= resumeAtMs_;
}

void HeadlessHost::RunDueSteps() {
  using Kind = HostStep::Kind;
  while (!closed_ && next_ < script_.size() && clock_.NowMs() >= resumeAtMs_) {
    const HostStep& step = script_[next_++];
    switch (step.kind) {
      case Kind::kKeyDown:
        PostInputMessage(WM_KEYDOWN, static_cast<WPARAM>(step.value), 1);
        break;
      case Kind::kKeyUp:
        PostInputMessage(WM_KEYUP, static_cast<WPARAM>(step.value), 1);
        break;
      case Kind::kFocus:
        PostInputMessage(WM_ACTIVATEAPP, static_cast<WPARAM>(step.value), 0);
        break;
      case Kind::kWait:
        resumeAtMs_ = clock_.NowMs() + step.value;
        break;
      case Kind::kCapture:
        if (!video_.SaveLastFramePng(step.path)) ++failedCaptures_;
        break;
      case Kind::kClose:
        closed_ = PostInputMessage(WM_CLOSE, 0, 0);
        break;
    }
  }
  if (!closed_ && (ScriptDone() || clock_.NowMs() > kMaxRunMs)) {
    closed_ = PostInputMessage(WM_CLOSE, 0, 0);
  }
}

}  // namespace platform
