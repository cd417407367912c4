// The synthesiser's library, loaded only when a tune must be synthesised.
#include "platform/tunes/fluidsynth_library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FluidSynthLibrary, TheInstalledOneHasEveryFunctionTheRenderingCalls) {
  std::string why;
  EXPECT_NE(platform::LoadFluidSynth(platform::kFluidSynthLibraryName, &why), nullptr) << why;
}

}  // namespace
