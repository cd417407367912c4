#include "app/replay_player.h"

#include <cstdio>

#include "app/scene_switch.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "platform/win32/host.h"
#include "play/play_scene.h"
#include "sound/kbgm.h"
#include "verify/replay_playback.h"

namespace {

// The player's own timer, beside the play screen's timer 1: it moves the
// replay on between frames. The platform runs it at its shortest period.
constexpr UINT_PTR kPlayerTimer = 2;
constexpr UINT kPlayerPeriodMs = 10;
// How long the last frame stays up after the result line before the player
// closes by itself, so that a script can run a replay and read its status.
constexpr UINT kLastFrameMs = 2000;

ReplayPlayer* g_player = nullptr;

const char* EndingText(ReplayEnding ending) {
  return ending == ReplayEnding::kGameOver ? "game over" : "left with ESC";
}

}  // namespace

void ReplayPlayer::Begin() {
  g_player = this;
  SetLevel(replay_.level);
  g_playScene->seedCounter = replay_.seed;
  g_fieldSettled = replay_.fieldSettled;
  g_resolveBusy = replay_.resolveBusy;
  // The same way into the game as from the title screen: music, Start, picture.
  SwitchScene(Play);
  // From here the game's own scene switches only tell the player it ended.
  SetSceneSwitch(&ReplayPlayer::OnGameLeft);
  g_currentScene = this;
  lastMs_ = platform::GameClock().NowMs();
  SetTimer(g_hwnd, kPlayerTimer, kPlayerPeriodMs, nullptr);
}

void ReplayPlayer::OnGameLeft(int sceneId) {
  if (g_player != nullptr && g_player->leftTo_ == 0) g_player->leftTo_ = sceneId;
}

// Every tick, the play screen's as well as the player's own, moves the replay
// to the time now, so it keeps pace with the clock whatever the ticks do.
// Once the replay has ended, its own timer closes the window.
void ReplayPlayer::OnTimer(HWND hwnd) {
  if (outcome_ != Outcome::kRunning) {
    if (platform::GameClock().NowMs() - finishedMs_ < kLastFrameMs) return;
    KillTimer(hwnd, kPlayerTimer);
    Close(hwnd);
    return;
  }
  Advance();
}

void ReplayPlayer::Advance() {
  const std::int64_t now = platform::GameClock().NowMs();
  if (!paused_ && outcome_ == Outcome::kRunning) playMs_ += (now - lastMs_) * speed_;
  lastMs_ = now;
  while (outcome_ == Outcome::kRunning && leftTo_ == 0 && next_ < replay_.messages.size() &&
         replay_.messages[next_].timeMs <= playMs_) {
    DeliverReplayMessage(*g_playScene, replay_.messages[next_++]);
  }
  if (outcome_ == Outcome::kRunning && (leftTo_ != 0 || next_ == replay_.messages.size())) {
    Finish();
  }
}

void ReplayPlayer::Finish() {
  KillTimer(g_hwnd, 1);
  // The player's timer now only ends the showing, once the last frame has
  // been seen for a moment.
  finishedMs_ = platform::GameClock().NowMs();
  SetTimer(g_hwnd, kPlayerTimer, kLastFrameMs, nullptr);
  KBGMStop();
  const ReplayEnding ending = leftTo_ == Ranking ? ReplayEnding::kGameOver : ReplayEnding::kLeft;
  const PlayScene& game = *g_playScene;
  const bool same = Reproduces(replay_, {.ended = leftTo_ != 0,
                                         .ending = ending,
                                         .score = game.score,
                                         .removedCount = game.removedCount,
                                         .delivered = next_,
                                         .early = {},
                                         .latest = {}});
  outcome_ = same ? Outcome::kReproduced : Outcome::kDiffers;
  if (same) {
    std::printf("replay reproduced: level %d, score %d, removed %d, %s\n", replay_.level,
                game.score, game.removedCount, EndingText(ending));
  } else {
    std::printf(
        "replay did NOT reproduce: recorded score %d, removed %d, %s; played back score %d, "
        "removed %d, %s after %zu of %zu messages\n",
        replay_.score, replay_.removedCount, EndingText(replay_.ending), game.score,
        game.removedCount, leftTo_ == 0 ? "still running" : EndingText(ending), next_,
        replay_.messages.size());
  }
  std::fflush(stdout);
}

void ReplayPlayer::OnKeyDown(HWND hwnd, UINT virtualKey) {
  switch (virtualKey) {
    case VK_RETURN:
      Advance();  // the time up to the press still counts
      paused_ = !paused_;
      break;
    case VK_SPACE:
      Advance();
      speed_ = speed_ == 1 ? 2 : 1;
      break;
    case VK_ESCAPE:
      if (outcome_ == Outcome::kRunning) {
        outcome_ = Outcome::kStopped;
        std::printf("replay stopped by the player after %zu of %zu messages\n", next_,
                    replay_.messages.size());
        std::fflush(stdout);
      }
      Close(hwnd);
      break;
    default:
      break;
  }
}

void ReplayPlayer::Close(HWND hwnd) {
  if (done_ == nullptr) {
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return;
  }
  // Stopped early, the game's own timer and tune stop with it.
  KillTimer(hwnd, kPlayerTimer);
  KillTimer(hwnd, 1);
  KBGMStop();
  done_();
}

// The frame is the play screen's own, so a replay looks as the game did.
void ReplayPlayer::OnIdle(HWND hwnd) {
  g_playScene->OnIdle(hwnd);
}

void ReplayPlayer::LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) {
  g_playScene->LoadImages(hwnd, backgroundSurface);
}
