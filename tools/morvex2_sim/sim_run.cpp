#include "tools/morvex2_sim/sim_run.h"

#include <string>

#include "core/globals.h"
#include "core/scene_switch.h"
#include "platform/win32/host.h"
#include "play/play_scene.h"
#include "tools/morvex2_sim/sim_json.h"
#include "verify/replay_playback.h"

namespace sim {
namespace {

void RecordSceneSwitch(int sceneId) {
  platform::RecordCall("ChangeScene", {sceneId});
}

// Records every call while it lives. A game's playback holds the scene
// switch itself; a clearing phase alone only notes a switch.
class Recording {
 public:
  Recording() { platform::InstallHost({.calls = &log_}); }
  ~Recording() { platform::UninstallHost(); }
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  void BeginEvent() { log_.Clear(); }
  void Print(const char* event, const PlayScene& scene, std::FILE* out) {
    const std::string line = StateLine(event, scene, log_.Calls());
    std::fwrite(line.data(), 1, line.size(), out);
  }

 private:
  platform::CallLog log_;
};

// The scene as a landing leaves it: clearing phase, running, no piece.
void LandField(const FieldInput& field, PlayScene& scene) {
  for (int row = 0; row < kFieldRows; ++row) {
    for (int column = 0; column < kFieldColumns; ++column) {
      scene.At(column, row).kind = field.kinds[row][column];
    }
  }
  scene.paused = Pause::kRunning;
  scene.phase = Phase::kClearing;
  scene.pieceActive = 0;
  scene.spawnPending = PendingSpawn::kNone;
  scene.chainPoints = field.chainPoints;
  scene.removedCount = field.removedCount;
  scene.interval = field.interval;
  g_fieldSettled = field.fieldSettled;
  g_resolveBusy = field.resolveBusy;
}

// The script's event as the message a replay would hold, and its name in the
// output.
ReplayMessage MessageOf(const Event& event) {
  switch (event.kind) {
    case EventKind::kTick:
      return {.kind = ReplayMessageKind::kTick};
    case EventKind::kKey:
      return {.kind = ReplayMessageKind::kKeyDown, .key = event.key};
    case EventKind::kKeyUp:
      return {.kind = ReplayMessageKind::kKeyUp};
  }
  return {};
}

const char* NameOf(const Event& event) {
  switch (event.kind) {
    case EventKind::kTick:
      return "tick";
    case EventKind::kKey:
      return "key";
    case EventKind::kKeyUp:
      return "keyup";
  }
  return "tick";
}

}  // namespace

void RunClear(const FieldInput& field, std::FILE* out) {
  PlayScene scene(0);
  LandField(field, scene);
  Recording recording;
  SetSceneSwitch(RecordSceneSwitch);
  for (std::int32_t tick = 0; tick < field.maxTicks && scene.phase != Phase::kFalling; ++tick) {
    recording.BeginEvent();
    scene.OnTimer(g_hwnd);
    recording.Print("tick", scene, out);
  }
  SetSceneSwitch(nullptr);
}

void RunGame(const ScriptInput& script, std::FILE* out) {
  ReplayPlayback playback({.level = script.level,
                           .seed = script.seed,
                           .fieldSettled = script.fieldSettled,
                           .resolveBusy = script.resolveBusy});
  Recording recording;
  playback.Start();
  recording.Print("start", playback.Scene(), out);
  for (const Event& event : script.events) {
    if (playback.Ended()) break;
    recording.BeginEvent();
    playback.Deliver(MessageOf(event));
    recording.Print(NameOf(event), playback.Scene(), out);
  }
}

}  // namespace sim
