// A library that one feature needs, opened when the feature is first used:
// found once and kept, or refused with the loader's reason.
#include "platform/base/system_library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A feature's functions, here one of zlib's, which every build has.
struct ZlibFunctions {
  const char* (*version)();
};

template <const char* kName>
bool FindVersion(void* library, ZlibFunctions& functions, std::string* why) {
  return platform::FindFunction(library, kName, functions.version, why);
}

constexpr char kZlibVersion[] = "zlibVersion";
constexpr char kNoSuchFunction[] = "morvex2NoSuchFunction";

TEST(SystemLibrary, WithoutTheLibraryOrOneOfItsFunctionsNothingIsLoadedAndTheReasonIsGiven) {
  struct Case {
    const char* name;
    const char* library;
    bool (*findAll)(void*, ZlibFunctions&, std::string*);
    const char* why;  // part of the reason given
  } const cases[] = {
      {"not installed", "libmorvex2-no-such-library.so.9", FindVersion<kZlibVersion>,
       "libmorvex2-no-such-library.so.9"},
      {"a function missing", "libz.so.1", FindVersion<kNoSuchFunction>, kNoSuchFunction},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(platform::LoadSystemFunctions<ZlibFunctions>(c.library, c.findAll, &why), nullptr)
        << c.name;
    EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
  }
}

TEST(SystemLibrary, IsLoadedOnceAndKept) {
  std::string why;
  const ZlibFunctions* first =
      platform::LoadSystemFunctions<ZlibFunctions>("libz.so.1", FindVersion<kZlibVersion>, &why);
  ASSERT_NE(first, nullptr) << why;
  EXPECT_NE(std::string(first->version()), "");
  EXPECT_EQ(
      platform::LoadSystemFunctions<ZlibFunctions>("libz.so.1", FindVersion<kZlibVersion>, &why),
      first);
}

}  // namespace
