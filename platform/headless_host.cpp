#include "platform/headless_host.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "platform/audio.h"
#include "platform/video.h"

namespace platform {

namespace {

HeadlessHost* g_installed = nullptr;

struct NamedKey {
  const char* name;
  UINT code;
};

constexpr NamedKey kKeyNames[] = {
    {"RETURN", VK_RETURN}, {"ESC", VK_ESCAPE},  {"SPACE", VK_SPACE}, {"LEFT", VK_LEFT},
    {"UP", VK_UP},         {"RIGHT", VK_RIGHT}, {"DOWN", VK_DOWN},   {"F1", VK_F1},
};

// How long a tap holds its key, as a typed key does on a real keyboard.
constexpr std::int64_t kTapMs = 6;

bool ParseNumber(const std::string& word, std::int64_t* value) {
  if (word.empty() || word.size() > 9) return false;
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  *value = std::strtoll(word.c_str(), nullptr, 10);
  return true;
}

bool ParseKey(const std::string& word, std::int64_t* code) {
  for (const NamedKey& key : kKeyNames) {
    if (word == key.name) {
      *code = key.code;
      return true;
    }
  }
  if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0]))) {
    *code = std::toupper(static_cast<unsigned char>(word[0]));
    return true;
  }
  return ParseNumber(word, code) && *code <= 0xFF;
}

bool ParseLine(const std::string& verb, const std::string& argument, std::vector<HostStep>* steps) {
  using Kind = HostStep::Kind;
  std::int64_t value = 0;
  if (verb == "down" || verb == "repeat") {
    if (!ParseKey(argument, &value)) return false;
    steps->push_back({Kind::kKeyDown, value, {}});
  } else if (verb == "up") {
    if (!ParseKey(argument, &value)) return false;
    steps->push_back({Kind::kKeyUp, value, {}});
  } else if (verb == "key") {
    if (!ParseKey(argument, &value)) return false;
    steps->push_back({Kind::kKeyDown, value, {}});
    steps->push_back({Kind::kWait, kTapMs, {}});
    steps->push_back({Kind::kKeyUp, value, {}});
  } else if (verb == "focus") {
    if (argument != "0" && argument != "1") return false;
    steps->push_back({Kind::kFocus, argument == "1" ? 1 : 0, {}});
  } else if (verb == "wait") {
    if (!ParseNumber(argument, &value)) return false;
    steps->push_back({Kind::kWait, value, {}});
  } else if (verb == "capture") {
    if (argument.empty()) return false;
    steps->push_back({Kind::kCapture, 0, argument});
  } else if (verb == "close") {
    if (!argument.empty()) return false;
    steps->push_back({Kind::kClose, 0, {}});
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool ParseHostScript(const std::string& text, std::vector<HostStep>* steps, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string verb;
    std::string argument;
    std::string extra;
    if (!(words >> verb)) continue;
    words >> argument;
    if ((words >> extra) || !ParseLine(verb, argument, steps)) {
      *error = "line " + std::to_string(number) + ": cannot run \"" + line + "\"";
      return false;
    }
  }
  return true;
}

HeadlessHost::HeadlessHost(std::vector<HostStep> script, std::int64_t unixSeconds)
    : script_(std::move(script)), clock_(0, unixSeconds) {}

HeadlessHost::~HeadlessHost() {
  Uninstall();
}

void HeadlessHost::Install() {
  g_installed = this;
  SetGameClock(&clock_);
  video_.SetPacingClock(&clock_);
  SetWindowBackend(this);
  SetVideoOutput(&video_);
  SetAudioBackend(&audio_);
  SetActiveCallLog(&calls_);
  SetInputPump(&HeadlessHost::Pump);
}

void HeadlessHost::Uninstall() {
  if (g_installed != this) return;
  SetInputPump(nullptr);
  SetActiveCallLog(nullptr);
  SetAudioBackend(nullptr);
  SetVideoOutput(nullptr);
  SetWindowBackend(nullptr);
  SetGameClock(nullptr);
  g_installed = nullptr;
}

// A shown window gets the foreground at once, as on a desktop.
void HeadlessHost::Show() {
  PostInputMessage(WM_ACTIVATEAPP, 1, 0);
}

void HeadlessHost::Pump() {
  HeadlessHost* host = g_installed;
  if (host == nullptr) return;
  host->KeepTimeMoving();
  host->RunDueSteps();
}

// Frames move the clock on by 1/60 s each. While the game draws nothing (in
// the background, where it does not flip), time still has to pass, or a wait
// would never end: then every few turns of the loop count a millisecond.
void HeadlessHost::KeepTimeMoving() {
  const int frames = video_.FramesPresented();
  if (frames != lastFrames_) {
    lastFrames_ = frames;
    turnsWithoutFrame_ = 0;
    return;
  }
  if (++turnsWithoutFrame_ >= 4) {
    turnsWithoutFrame_ = 0;
    clock_.Advance(1);
  }
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
  const bool scriptDone = next_ >= script_.size() && clock_.NowMs() >= resumeAtMs_;
  if (!closed_ && (scriptDone || clock_.NowMs() > kMaxRunMs)) {
    closed_ = PostInputMessage(WM_CLOSE, 0, 0);
  }
}

}  // namespace platform
