// The synthesiser is loaded only when a tune must be synthesised; without a
// usable one, a tune is not rendered and the reason is given.
#include "platform/tunes/fluidsynth_library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FluidSynthLibrary, WithoutAUsableLibraryNothingIsLoadedAndTheReasonIsGiven) {
  struct Case {
    const char* name;
    const char* library;
    const char* why;  // part of the reason given
  } const cases[] = {
      {"not installed", "libmorvex2-no-such-synth.so.9", "libmorvex2-no-such-synth.so.9"},
      {"another library of that name", "libz.so.1", "new_fluid_settings"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(platform::LoadFluidSynth(c.library, &why), nullptr) << c.name;
    EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
  }
}

TEST(FluidSynthLibrary, IsLoadedOnceWhateverThreadAsksFirst) {
  std::string why;
  const platform::FluidSynthLibrary* first =
      platform::LoadFluidSynth(platform::kFluidSynthLibraryName, &why);
  ASSERT_NE(first, nullptr) << why;
  EXPECT_EQ(platform::LoadFluidSynth(platform::kFluidSynthLibraryName, &why), first);
}

}  // namespace
