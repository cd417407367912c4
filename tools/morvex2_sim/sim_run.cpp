#include "tools/morvex2_sim/sim_run.h"

#include <string>

#include "core/globals.h"
#include "core/scene_switch.h"
#include "platform/win32/host.h"
#include "play/play_scene.h"
#include "tools/morvex2_sim/sim_json.h"

namespace sim {
namespace {

bool g_sceneSwitched = false;

void RecordSceneSwitch(int sceneId) {
  platform::RecordCall("ChangeScene", {sceneId});
  g_sceneSwitched = true;
}

// Records every call while it lives and keeps ChangeScene from leaving the
// play screen.
class Recording {
 public:
  Recording() {
    platform::InstallHost({.calls = &log_});
    SetSceneSwitch(RecordSceneSwitch);
    g_sceneSwitched = false;
  }
  ~Recording() {
    SetSceneSwitch(nullptr);
    platform::UninstallHost();
  }
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
  scene.paused = 0;
  scene.phase = -1;
  scene.pieceActive = 0;
  scene.spawnPending = 0;
  scene.chainPoints = field.chainPoints;
  scene.removedCount = field.removedCount;
  scene.interval = field.interval;
  g_fieldSettled = field.fieldSettled;
  g_resolveBusy = field.resolveBusy;
}

const char* RunEvent(const Event& event, PlayScene& scene) {
  switch (event.kind) {
    case EventKind::kTick:
      scene.OnTimer(g_hwnd);
      return "tick";
    case EventKind::kKey:
      scene.OnKeyDown(g_hwnd, event.key);
      return "key";
    case EventKind::kKeyUp:
      scene.OnKeyUp();
      return "keyup";
  }
  return "tick";
}

}  // namespace

void RunClear(const FieldInput& field, std::FILE* out) {
  PlayScene scene(0);
  LandField(field, scene);
  Recording recording;
  for (std::int32_t tick = 0; tick < field.maxTicks && scene.phase != 0; ++tick) {
    recording.BeginEvent();
    scene.OnTimer(g_hwnd);
    recording.Print("tick", scene, out);
  }
}

void RunGame(const ScriptInput& script, std::FILE* out) {
  PlayScene scene(script.seed);
  SetLevel(script.level);
  g_fieldSettled = script.fieldSettled;
  g_resolveBusy = script.resolveBusy;
  Recording recording;
  scene.Start(g_hwnd);
  recording.Print("start", scene, out);
  for (const Event& event : script.events) {
    if (g_sceneSwitched) break;
    recording.BeginEvent();
    const char* name = RunEvent(event, scene);
    recording.Print(name, scene, out);
  }
}

}  // namespace sim
