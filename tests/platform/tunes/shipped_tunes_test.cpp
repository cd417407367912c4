// The folder of the renderings made with the game holds exactly the
// renderings of the game's tunes: whatever an older build left there goes,
// and nothing else in the folder is touched.
#include "platform/tunes/shipped_tunes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(ShippedTunes, OnlyTheRenderingsKeptStay) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("morvex2-shipped-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(folder);
  const std::string at = folder.string();
  for (const char* name : {"a.tune", "b.tune", "old.tune", "music1.mid", "tunes.soundfont"}) {
    std::ofstream(folder / name) << name;
  }
  const struct {
    const char* what;
    std::set<std::string> kept;
    std::vector<const char*> left;
  } cases[] = {
      {"paths as the cache makes them", {at + "/a.tune", at + "/b.tune"}, {"a.tune", "b.tune"}},
      {"a doubled slash is the same file", {at + "//a.tune"}, {"a.tune"}},
      {"none kept", {}, {}},
  };
  for (const auto& c : cases) {
    for (const char* name : {"a.tune", "b.tune", "old.tune"}) std::ofstream(folder / name) << name;
    platform::RemoveOtherRenderings(at, c.kept);
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() == ".tune") left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::set<std::string>(c.left.begin(), c.left.end())) << c.what;
    EXPECT_TRUE(std::filesystem::exists(folder / "music1.mid")) << c.what;
    EXPECT_TRUE(std::filesystem::exists(folder / "tunes.soundfont")) << c.what;
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
