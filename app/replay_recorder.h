// Keeps every game as a replay: from the play screen's Start to the moment it
// leaves that screen, the level, the seed and each message the screen was
// given, with its time. When the game ends it is written as `last.mvr` in the
// working folder, and a game that takes first place in its table also as
// `<table>-best.mvr` beside that table (zyou-best.mvr, tyuu-best.mvr,
// syo-best.mvr). Files are written whole or not at all.
//
// The window procedure and ChangeScene tell the recorder what happens; it is
// off until the program turns it on, so tests and playback record nothing.
#pragma once

#include "core/replay_file.h"
#include "platform/win32/win32.h"

class Scene;

void SetReplayRecording(bool on);
[[nodiscard]] bool ReplayRecordingOn();

// The game saved last, until the next one starts; null when none was saved.
[[nodiscard]] const Replay* LastSavedGame();

// From the window procedure: a key, key-up or timer message about to be given
// to the current screen.
void NoteDeliveredMessage(UINT message, WPARAM wParam);

// From ChangeScene: `next` is about to be started, then has been started.
void NoteSceneStarting(Scene* next);
void NoteSceneStarted(Scene* next);

// The file names a finished game is kept under.
constexpr const char kLastReplayName[] = "last.mvr";
std::string BestReplayName(int level);  // empty for an unknown level
