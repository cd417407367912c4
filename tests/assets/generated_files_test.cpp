// The committed pictures, sounds and data files are exactly what the
// generators make today: nobody edited one by hand, and nobody changed a
// generator without running scripts/generate-assets.sh.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/assets/file_bytes.h"

namespace {

TEST(GeneratedFiles, AreByteForByteTheCommittedOnes) {
  const struct {
    const char* program;
    const char* folder;  // where its files are committed
    std::vector<std::string> files;
  } generators[] = {
      {GEN_BITMAPS,
       "resources",
       {"FHSPRITE.bmp", "FHMARKS.bmp", "BOPENING.bmp", "BRANK.bmp", "BCRI.bmp", "BGIYA.bmp",
        "BFUNE.bmp"}},
      {GEN_ICON, "resources", {"ZELF.ico"}},
      {GEN_APP_ICONS,
       "data/icons",
       {"morvex2-16.png", "morvex2-32.png", "morvex2-48.png", "morvex2-64.png", "morvex2-128.png",
        "morvex2-256.png"}},
      {GEN_MUSIC, "data", {"music1.mid", "music2.mid"}},
      {GEN_CLAP, "data", {"Clap.wav"}},
      {GEN_DATA, "data", {"zyou.pod", "tyuu.pod", "syo.pod", "zel.ini"}},
  };
  const std::filesystem::path output =
      std::filesystem::temp_directory_path() / ("morvex2-assets-" + std::to_string(::getpid()));
  for (const auto& g : generators) {
    std::filesystem::create_directories(output);
    const std::string command = std::string(g.program) + " '" + output.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const std::string& name : g.files) {
      const FileBytes made = ReadFileBytes((output / name).string());
      EXPECT_FALSE(made.empty()) << name << " was not generated";
      EXPECT_TRUE(made == ReadFileBytes(std::string(g.folder) + "/" + name))
          << name << " differs from the committed file: run scripts/generate-assets.sh";
    }
    std::filesystem::remove_all(output);
  }
}

}  // namespace
