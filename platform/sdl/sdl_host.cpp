#include "platform/sdl/sdl_host.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <iterator>

#include "platform/base/colour_aid.h"
#include "platform/base/late_files.h"
#include "platform/base/log.h"
#include "platform/sdl/error_box.h"
#include "platform/sdl/late_renderings.h"
#include "platform/sdl/sdl_error.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_owned.h"
#include "platform/win32/host.h"

namespace platform {

namespace {

SdlHost* g_installed = nullptr;

bool IsReturn(SDL_Keycode key) {
  return key == SDLK_RETURN || key == SDLK_KP_ENTER;
}

bool IsAlt(SDL_Keycode key) {
  return key == SDLK_LALT || key == SDLK_RALT;
}

// +1 for the keys that make the sound louder, -1 for those that make it softer.
int VolumeKeyStep(SDL_Keycode key) {
  switch (key) {
    case SDLK_UP:
    case SDLK_PLUS:
    case SDLK_EQUALS:  // the + key of most keyboards, unshifted
    case SDLK_KP_PLUS:
      return 1;
    case SDLK_DOWN:
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
      return -1;
    default:
      return 0;
  }
}

// The pictures are unpacked into buffers of a few hundred kilobytes that live
// only while a scene starts. glibc serves the first from a mapping of its own,
// then raises its threshold and serves the later ones from the heap, whose
// pages it keeps; with the threshold fixed, each is given back when freed.
void GiveLargeBuffersBack() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

}  // namespace

SdlHost::~SdlHost() {
  Uninstall();
}

void SdlHost::SetIcon(std::vector<std::uint32_t> argb, int width, int height) {
  icon_ = std::move(argb);
  iconWidth_ = width;
  iconHeight_ = height;
}

void SdlHost::Install() {
  g_installed = this;
  GiveLargeBuffersBack();
  audio_.DeferStart();
  AwaitLateRenderings(audio_);
  InstallHost({.window = this, .video = &video_, .audio = &audio_, .input = &SdlHost::Pump});
}

void SdlHost::Uninstall() {
  if (g_installed != this) return;
  UninstallHost();
  g_installed = nullptr;
}

bool SdlHost::Create(const char* title, int width, int height) {
  // A window SDL could not make ends the game at once, as the original's did;
  // SDL's reason has been said, and the run ends with status 1, not 0.
  if (!video_.Create(title, width, height)) {
    failureShown_ = true;
    return false;
  }
  input_ = MakeInputWait(video_.Window());
  ApplyIcon();
  return true;
}

void SdlHost::Show() {
  video_.Show();
  shown_ = true;
}

void SdlHost::Destroy() {
  shown_ = false;
  input_ = MakeInputWait(nullptr);
  video_.Destroy();
}

void SdlHost::ApplyIcon() {
  SDL_Window* window = video_.Window();
  if (window == nullptr || icon_.empty()) return;
  const OwnedSurface surface(
      SdlMade(SDL_CreateRGBSurfaceWithFormatFrom(icon_.data(), iconWidth_, iconHeight_, 32,
                                                 iconWidth_ * 4, SDL_PIXELFORMAT_ARGB8888),
              "SDL_CreateRGBSurfaceWithFormatFrom(icon)"));
  if (surface == nullptr) return;
  SDL_SetWindowIcon(window, surface.get());
}

void SdlHost::Pump() {
  SdlHost* host = g_installed;
  if (host == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  // The queue asks once for each message and each frame. Taking SDL's events
  // costs system calls, so they are taken only when the window system has
  // sent something, or now and then for what SDL watches by itself. A poll
  // just before a sleep is left to the sleep, which ends at once on input.
  const std::int64_t now = GameClock().NowMs();
  if (now - host->lastDrainMs_ >= kQuietPollMs) host->DrainEventsAt(now);
  host->gamepads_.Repeat(now);
  host->ShowPointerAsDue(now);
  const std::int64_t wakeMs =
      std::min({NextMessageDueMs(), host->gamepads_.NextRepeatMs(),
                host->pointer_.HidesAtMs(host->video_.IsFullscreen(), now)});
  const std::int64_t sleepMs = host->idle_.SleepMs(
      {host->video_.ChangedFrames() + host->video_.UnchangedFrames(), host->video_.RepaintPending(),
       host->active_, now, wakeMs, host->input_->LongestSleepMs()});
  if (sleepMs <= 0) {
    if (host->input_->MayHaveInput()) host->DrainEventsAt(now);
  } else if (host->gamepads_.Open() > 0) {
    // While a controller is open SDL's wait looks at it every millisecond,
    // which costs a few percent of a core; a poll every few milliseconds is
    // as quick as the controller itself reports and costs a fraction of that.
    SDL_Delay(static_cast<Uint32>(std::min(sleepMs, kControllerPollMs)));
    host->DrainEvents();
  } else if (host->input_->Wait(static_cast<int>(sleepMs))) {
    host->DrainEventsAt(GameClock().NowMs());
  }
  host->StartSoundOnceShown();
  if (host->audio_.AwaitsRenderings() && LateFilesArrived()) host->audio_.TakeLateRenderings();
}

void SdlHost::DrainEventsAt(std::int64_t now) {
  DrainEvents();
  lastDrainMs_ = now;
}

// One poll of the window system, then whatever it queued: SDL_PollEvent would
// look again for every event taken.
void SdlHost::DrainEvents() {
  SDL_PumpEvents();
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    batch_.push_back(event);
  }
  HandleBatch(batch_);
  batch_.clear();
  StartGamepadsIfWanted();
  // Some window systems send no focus event at all: a shown window that has
  // the keyboard is in the foreground all the same.
  SDL_Window* window = video_.Window();
  if (!active_ && shown_ && !hidden_ && window != nullptr && SDL_GetKeyboardFocus() == window) {
    SetActive(true);
  }
}

void SdlHost::StartSoundOnceShown() {
  if (soundStarted_) return;
  const std::int64_t now = GameClock().NowMs();
  if (firstPumpMs_ < 0) firstPumpMs_ = now;
  if (video_.ChangedFrames() == 0 && now - firstPumpMs_ < kLatestSoundStartMs) return;
  soundStarted_ = true;
  audio_.FinishStart();
  StartGamepadsIfWanted();
}

// Once the first frame is out, and once only: a failed start has been said,
// and trying again at every poll would cost a poll of every device each time.
void SdlHost::StartGamepadsIfWanted() {
  if (gamepadsTried_ || !soundStarted_ || !input_->ControllersWanted()) return;
  gamepadsTried_ = true;
  gamepads_.Start();
}

void SdlHost::RepeatHeldDirections() {
  gamepads_.Repeat(GameClock().NowMs());
}

void SdlHost::ShowPointerAsDue(std::int64_t now) {
  if (video_.Window() == nullptr) return;
  const bool shown = pointer_.Shown(video_.IsFullscreen(), now);
  if (shown == pointerShown_) return;
  pointerShown_ = shown;
  SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

void SdlHost::UseDisplaySettings(const DisplaySettings& settings) {
  video_.StartInWindow(!settings.fullscreen);
  video_.UseWindowSize(settings.windowWidth, settings.windowHeight);
  video_.SetScaleMode(settings.scale);
  aids_ = settings.aids;
  audio_.SetLoudness(aids_.mute, aids_.volume);
  SetColourAid(aids_.colourAid);
}

DisplaySettings SdlHost::CurrentDisplaySettings() const {
  DisplaySettings settings;
  settings.fullscreen = video_.IsFullscreen();
  video_.WindowSize(&settings.windowWidth, &settings.windowHeight);
  settings.scale = video_.GetScaleMode();
  settings.aids = aids_;
  settings.aids.colourAid = ColourAidOn();
  return settings;
}

void SdlHost::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  gamepads_.SetActive(active, GameClock().NowMs());
  PostInputMessage(WM_ACTIVATEAPP, active ? 1 : 0, 0);
}

// SDL releases every held key just before it reports that the focus went.
// Those releases are the focus loss's, not the player's: on the original's
// system no release came, and one that happens while the game is in the
// background never reaches it. So they go after the focus loss, where the
// game drops them, and a fast drop goes on when another window takes the focus.
void SdlHost::HandleBatch(std::vector<SDL_Event>& events) {
  for (auto lost = events.begin(); lost != events.end(); ++lost) {
    if (lost->type != SDL_WINDOWEVENT || lost->window.event != SDL_WINDOWEVENT_FOCUS_LOST) continue;
    auto releases = lost;
    while (releases != events.begin() && std::prev(releases)->type == SDL_KEYUP) --releases;
    std::rotate(releases, lost, std::next(lost));
  }
  for (const SDL_Event& event : events) HandleEvent(event);
}

void SdlHost::HandleEvent(const SDL_Event& event) {
  if (gamepads_.HandleEvent(event, GameClock().NowMs())) return;
  switch (event.type) {
    case SDL_QUIT:
      // The window manager's close, SIGINT and SIGTERM all arrive as this.
      PostInputMessage(WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) SetActive(true);
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) SetActive(false);
      // A window the window system hid (a page in a tab behind another, a
      // phone locked) is in the background, whatever SDL says of the
      // keyboard; shown again, it is in the foreground as soon as it has it.
      if (event.window.event == SDL_WINDOWEVENT_HIDDEN) {
        hidden_ = true;
        SetActive(false);
      }
      if (event.window.event == SDL_WINDOWEVENT_SHOWN) hidden_ = false;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) PostInputMessage(WM_CLOSE, 0, 0);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      HandleKey(event.key);
      break;
    case SDL_MOUSEMOTION:
      pointer_.Moved(GameClock().NowMs());
      break;
    default:
      break;
  }
}

// Keys pressed with Alt held are system keys: they never reach a screen, and
// nor do their releases, which may come after Alt has been let go.
void SdlHost::HandleKey(const SDL_KeyboardEvent& key) {
  const SDL_Keycode code = key.keysym.sym;
  const bool down = key.type == SDL_KEYDOWN;
  const bool alt = (key.keysym.mod & KMOD_ALT) != 0 || IsAlt(code);
  if (down && alt) {
    if (!IsAlt(code) &&
        std::find(systemKeysDown_.begin(), systemKeysDown_.end(), code) == systemKeysDown_.end()) {
      systemKeysDown_.push_back(code);
    }
    HandleSystemKey(key);
    return;
  }
  if (!down && (SwallowsRelease(code) || alt)) return;
  PostInputMessage(down ? WM_KEYDOWN : WM_KEYUP, VirtualKeyFromSdl(code),
                   key.repeat ? 0x40000001 : 1);
}

// Alt+Enter switches between full screen and a window, Alt+S between the
// smooth and the pixel-exact scale, Alt+M mutes and unmutes, Alt+Up and
// Alt+Down (or Alt and + or -) change the volume, Alt+C switches the colour
// aid, Alt+F4 closes. Only the volume follows a held key's repeats.
void SdlHost::HandleSystemKey(const SDL_KeyboardEvent& key) {
  const SDL_Keycode code = key.keysym.sym;
  const bool first = key.repeat == 0;
  if (const int step = VolumeKeyStep(code); step != 0) {
    // Changing the volume is meant to be heard: it ends a mute.
    aids_.volume = VolumeStep(aids_.volume, step);
    aids_.mute = false;
    audio_.SetLoudness(aids_.mute, aids_.volume);
    return;
  }
  if (!first) return;
  if (IsReturn(code)) {
    video_.ToggleFullscreen();
  } else if (code == SDLK_s) {
    video_.SetScaleMode(video_.GetScaleMode() == ScaleMode::kSmooth ? ScaleMode::kPixelExact
                                                                    : ScaleMode::kSmooth);
  } else if (code == SDLK_m) {
    aids_.mute = !aids_.mute;
    audio_.SetLoudness(aids_.mute, aids_.volume);
  } else if (code == SDLK_c) {
    SetColourAid(!ColourAidOn());
  } else if (code == SDLK_F4) {
    PostInputMessage(WM_CLOSE, 0, 0);
  }
}

bool SdlHost::SwallowsRelease(SDL_Keycode code) {
  const auto found = std::find(systemKeysDown_.begin(), systemKeysDown_.end(), code);
  if (found == systemKeysDown_.end()) return false;
  systemKeysDown_.erase(found);
  return true;
}

namespace {

// Whether a box can be shown at all: not under the drivers without a screen,
// where nobody could ever click it away.
bool HasScreenForBox() {
  return SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetCurrentVideoDriver() != nullptr &&
         !DrawsOnlyIntoMemory();
}

}  // namespace

bool SdlHost::ShowMessageBox(const char* title, const char* message) {
  failureShown_ = true;
  if (!HasScreenForBox()) return false;
  if (ShowErrorBox(MainSdlWindow(), title, message)) return true;
  LogSdlError("showing the message box");
  return false;
}

bool SdlHost::ShowNotice(const char* title, const char* message) {
  return HasScreenForBox() && ShowWarningBox(MainSdlWindow(), title, message);
}

}  // namespace platform
