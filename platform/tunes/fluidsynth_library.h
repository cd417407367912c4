// The FluidSynth functions the tunes' rendering calls, looked up once in the
// library opened the first time a tune must be synthesised: a player who
// hears only the game's own tunes, from the renderings made with the game,
// never loads the synthesiser nor glib, libinstpatch, jack and readline
// behind it. Each is typed by FluidSynth's own headers, which the build uses.
#pragma once

#include <fluidsynth.h>

#include <string>

namespace platform {

// The major version the headers describe (FluidSynth 2).
inline constexpr char kFluidSynthLibraryName[] = "libfluidsynth.so.3";

struct FluidSynthLibrary {
  decltype(&new_fluid_settings) newSettings;
  decltype(&delete_fluid_settings) deleteSettings;
  decltype(&fluid_settings_setnum) settingsSetnum;
  decltype(&fluid_settings_setstr) settingsSetstr;
  decltype(&new_fluid_synth) newSynth;
  decltype(&delete_fluid_synth) deleteSynth;
  decltype(&fluid_synth_sfload) synthSfload;
  decltype(&fluid_synth_set_gain) synthSetGain;
  decltype(&fluid_synth_write_s16) synthWriteS16;
  decltype(&new_fluid_player) newPlayer;
  decltype(&delete_fluid_player) deletePlayer;
  decltype(&fluid_player_add_mem) playerAddMem;
  decltype(&fluid_player_play) playerPlay;
  decltype(&fluid_player_get_status) playerGetStatus;
  decltype(&fluid_set_log_function) setLogFunction;
};

// The library of that name with every function above, loaded on the first
// call from any thread and kept; null, and why, when it is missing or lacks
// one of them. Loading it quietens its messages (a strange tune can make it
// print a line for every note, millions of them): the setting is the whole
// process's, and so covers the mixer's own synthesiser, which opens the same
// library, as long as this is called before the mixer is handed a tune.
[[nodiscard]] const FluidSynthLibrary* LoadFluidSynth(const char* versionedName, std::string* why);

}  // namespace platform
