#include "app/world_games.h"

#include <cstdio>
#include <memory>
#include <string>

#include "app/replay_player.h"
#include "app/replay_recorder.h"
#include "app/scene_switch.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "opening/opening_scene.h"
#include "platform/base/shift_jis.h"
#include "play/play_scene.h"
#include "ranking/player_name.h"
#include "ranking/ranking_scene.h"
#include "world/ranked_games.h"
#include "world/world_server.h"
#include "world/world_tables.h"

namespace {

// What showing a world replay changes and the game must have back after it:
// the replay sets the level, the seed and the clearing flags of its own game.
struct BeforeWatching {
  int level = 1;
  std::uint32_t seed = 0;
  std::int32_t fieldSettled = 0;
  std::int32_t resolveBusy = 0;
  bool recording = false;
};

bool g_watching = false;
BeforeWatching g_beforeWatching;
// Kept after the showing ends: it ends from inside its own calls.
std::unique_ptr<ReplayPlayer> g_worldPlayer;

// The tables' name as UTF-8 for the server; the name every table starts with
// when zel.ini holds none.
std::string PlayerNameForServer() {
  std::string name;
  if (const std::optional<PlayerName> kept = ReadPlayerName()) {
    name.assign(kept->bytes.data(), kept->length);
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
  }
  std::string utf8 = platform::Utf8FromShiftJis(name.c_str());
  while (!utf8.empty() && utf8.back() == ' ') utf8.pop_back();
  return utf8.empty() ? "PLAYER" : utf8;
}

void ComeBackFromWatching() {
  SetSceneSwitch(&SwitchScene);
  SetLevel(g_beforeWatching.level);
  g_playScene->seedCounter = g_beforeWatching.seed;
  g_fieldSettled = g_beforeWatching.fieldSettled;
  g_resolveBusy = g_beforeWatching.resolveBusy;
  // The shown game's result is no result of the player's.
  SetLastResult(0, 0);
  SetReplayRecording(g_beforeWatching.recording);
  g_watching = false;
  OpenWorldViewOnNextStart();
  ChangeScene(Ranking);
}

}  // namespace

void NoteWorldSceneStarting(Scene* next) {
  if (!WorldServerChosen() || g_watching) return;
  if (g_currentScene == g_playScene && g_playScene != nullptr && next != g_playScene) {
    EndRankedGame(next == g_rankingScene);
  }
  if (next == g_playScene && g_playScene != nullptr) {
    if (const std::optional<std::uint32_t> seed = BeginRankedGame(GetLevel())) {
      g_playScene->seedCounter = *seed;
    }
  }
}

void NoteWorldSceneStarted(Scene* next) {
  if (!WorldServerChosen() || g_watching) return;
  if (next == g_openingScene) {
    ForgetRankedOutcome();
    PrefetchTickets();
  } else if (next == g_rankingScene) {
    if (const Replay* game = LastSavedGame();
        game != nullptr && game->ending == ReplayEnding::kGameOver) {
      SubmitRankedGame(PlayerNameForServer(), EncodeReplay(*game));
    }
  }
}

void WatchWorldReplay(const std::vector<std::uint8_t>& bytes) {
  if (g_watching || g_currentScene != g_rankingScene) return;
  Replay replay;
  std::string error;
  if (!DecodeReplay(bytes, &replay, &error)) {
    std::fprintf(stderr, "morvex2: the world entry's replay cannot be shown: %s\n", error.c_str());
    return;
  }
  g_beforeWatching = {GetLevel(), g_playScene->seedCounter, g_fieldSettled, g_resolveBusy,
                      ReplayRecordingOn()};
  g_watching = true;
  SetReplayRecording(false);
  g_worldPlayer = std::make_unique<ReplayPlayer>(std::move(replay));
  g_worldPlayer->ReturnWhenDone(&ComeBackFromWatching);
  g_worldPlayer->Begin();
}
