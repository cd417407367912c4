#include "platform/tunes/fluidsynth_library.h"

#include "platform/base/system_library.h"

namespace platform {

namespace {

bool FindAll(void* library, FluidSynthLibrary& fluid, std::string* why) {
  return FindFunction(library, "new_fluid_settings", fluid.newSettings, why) &&
         FindFunction(library, "delete_fluid_settings", fluid.deleteSettings, why) &&
         FindFunction(library, "fluid_settings_setnum", fluid.settingsSetnum, why) &&
         FindFunction(library, "fluid_settings_setstr", fluid.settingsSetstr, why) &&
         FindFunction(library, "new_fluid_synth", fluid.newSynth, why) &&
         FindFunction(library, "delete_fluid_synth", fluid.deleteSynth, why) &&
         FindFunction(library, "fluid_synth_sfload", fluid.synthSfload, why) &&
         FindFunction(library, "fluid_synth_set_gain", fluid.synthSetGain, why) &&
         FindFunction(library, "fluid_synth_write_s16", fluid.synthWriteS16, why) &&
         FindFunction(library, "new_fluid_player", fluid.newPlayer, why) &&
         FindFunction(library, "delete_fluid_player", fluid.deletePlayer, why) &&
         FindFunction(library, "fluid_player_add_mem", fluid.playerAddMem, why) &&
         FindFunction(library, "fluid_player_play", fluid.playerPlay, why) &&
         FindFunction(library, "fluid_player_get_status", fluid.playerGetStatus, why) &&
         FindFunction(library, "fluid_set_log_function", fluid.setLogFunction, why);
}

// Its messages are quietened as soon as it is loaded, before anything can
// make it speak.
bool FindAllAndQuieten(void* library, FluidSynthLibrary& fluid, std::string* why) {
  if (!FindAll(library, fluid, why)) return false;
  for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid.setLogFunction(level, nullptr, nullptr);
  }
  return true;
}

}  // namespace

// The game's thread and the rendering worker's may both ask first.
const FluidSynthLibrary* LoadFluidSynth(const char* versionedName, std::string* why) {
  return LoadSystemFunctions<FluidSynthLibrary>(versionedName, FindAllAndQuieten, why);
}

}  // namespace platform
