// The screen settings file: what it keeps, that a damaged or unknown one is
// set aside for the defaults, that it is written whole, and that a choice made
// on the command line lasts for its run only.
#include "platform/settings/display_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using platform::DisplaySettings;
using platform::PlayerAids;
using platform::ScaleMode;

class DisplaySettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(testing::TempDir()) /
              ("morvex2-settings-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    path_ = (folder_ / "config" / "morvex2" / "display.conf").string();
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Write(const std::string& text) {
    fs::create_directories(fs::path(path_).parent_path());
    std::ofstream(path_, std::ios::binary) << text;
  }

  fs::path folder_;
  std::string path_;
};

TEST_F(DisplaySettingsFile, RoundTripsModeWindowSizeAndAids) {
  const DisplaySettings cases[] = {
      {},
      {false, 1066, 800, ScaleMode::kSmooth, std::nullopt, {}, {}},
      {true, 1280, 960, ScaleMode::kPixelExact, std::nullopt, {true, 80, true}, {}},
      {false, 1, 16384, ScaleMode::kPixelExact, std::nullopt, {false, 0, false}, {}},
      {true, 0, 0, ScaleMode::kSmooth, platform::Language::kEnglish, {true, 100, false}, {}},
      {false, 800, 600, ScaleMode::kSmooth, platform::Language::kJapanese, {}, {}},
      {true, 0, 0, ScaleMode::kSmooth, std::nullopt, {}, "http://127.0.0.1:8770"},
  };
  for (const DisplaySettings& settings : cases) {
    ASSERT_TRUE(platform::SaveDisplaySettings(settings, path_)) << "the folders are made";
    EXPECT_EQ(platform::LoadDisplaySettings(path_), settings)
        << platform::FormatDisplaySettings(settings);
  }
  for (const auto& entry : fs::directory_iterator(fs::path(path_).parent_path())) {
    EXPECT_EQ(entry.path().filename(), "display.conf") << "no half-written file is left";
  }
}

TEST_F(DisplaySettingsFile, NoFileIsTheDefaults) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::LoadDisplaySettings(path_), DisplaySettings{});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "nothing to say about no file";
}

TEST_F(DisplaySettingsFile, ADamagedOrUnknownFileStartsWithTheDefaultsAndOneLine) {
  using namespace std::string_literals;
  const std::string damaged[] = {
      "fullscreen = maybe\n",
      "scale = smooth\nwindow = 1280x\n",
      "window = 0x600\n",
      "window = 16385x600\n",
      "window = 99999x600\n",
      "window = -640x480\n",
      "window = 640x480x2\n",
      "brightness = 3\n",
      "scale smooth\n",
      "fullscreen = no\nscale = crisp\n",
      "lang = fr\n",
      "lang = EN\n",
      "mute = 1\n",
      "volume = 101\n",
      "volume = -5\n",
      "volume = 80%\n",
      "colour-aid = on\n",
      "server =\n",
      "server = http://a b\n",
      "\x89PNG\r\n\x1a\n",
      "scale = smooth\n\0\0\0"s,
  };
  for (const std::string& text : damaged) {
    Write(text);
    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::LoadDisplaySettings(path_), DisplaySettings{}) << text;
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(path_), std::string::npos) << text;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
  Write(std::string(5000, '#'));
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::LoadDisplaySettings(path_), DisplaySettings{}) << "far too long";
  testing::internal::GetCapturedStderr();
}

TEST_F(DisplaySettingsFile, CommentsBlankLinesAndSpacesAreAllowed) {
  Write("# mine\n\n  fullscreen=no  \r\n\twindow = 800x600\nscale   =  pixel-exact\nvolume=35");
  EXPECT_EQ(platform::LoadDisplaySettings(path_),
            (DisplaySettings{
                false, 800, 600, ScaleMode::kPixelExact, std::nullopt, {false, 35, false}, {}}));
}

// Here the file's place is taken by a folder, which the new file cannot
// replace: the write fails as a whole and leaves nothing behind.
TEST_F(DisplaySettingsFile, AFileThatCannotBeWrittenLeavesNothingHalfDone) {
  fs::create_directories(path_);
  testing::internal::CaptureStderr();
  const bool saved = platform::SaveDisplaySettings(DisplaySettings{}, path_);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(saved);
  EXPECT_NE(said.find(path_), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path_).parent_path()),
                          fs::directory_iterator{}),
            1);
}

TEST(DisplaySettingsPath, FollowsXdgConfigHomeElseHome) {
  const char* const oldConfig = std::getenv("XDG_CONFIG_HOME");
  const char* const oldHome = std::getenv("HOME");
  const std::string keptConfig = oldConfig ? oldConfig : "";
  const std::string keptHome = oldHome ? oldHome : "";
  setenv("HOME", "/home/player", 1);
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(platform::DisplaySettingsPath(), "/tmp/cfg/morvex2/display.conf");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  EXPECT_EQ(platform::DisplaySettingsPath(), "/home/player/.config/morvex2/display.conf");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(platform::DisplaySettingsPath(), "/home/player/.config/morvex2/display.conf");
  unsetenv("HOME");
  EXPECT_EQ(platform::DisplaySettingsPath(), "");
  if (oldConfig) setenv("XDG_CONFIG_HOME", keptConfig.c_str(), 1);
  if (oldHome) setenv("HOME", keptHome.c_str(), 1);
}

// The file says smooth in a window; this run was started full screen in the
// pixel-exact mode from the command line.
TEST(DisplaySettingsToSave, CommandLineChoicesLastForTheirRunOnly) {
  const DisplaySettings saved{false, 1024, 768, ScaleMode::kSmooth, std::nullopt, {}, {}};
  const DisplaySettings started{true, 1024, 768, ScaleMode::kPixelExact, std::nullopt, {}, {}};
  EXPECT_EQ(platform::DisplaySettingsToSave(saved, started, started), saved)
      << "left as started: the file stays as it was";
  EXPECT_EQ(platform::DisplaySettingsToSave(
                saved, started,
                DisplaySettings{true, 1024, 768, ScaleMode::kSmooth, std::nullopt, {}, {}}),
            saved)
      << "the player switched back to smooth";
  EXPECT_EQ(platform::DisplaySettingsToSave(
                saved, started,
                DisplaySettings{false, 1200, 900, ScaleMode::kPixelExact, std::nullopt, {}, {}}),
            (DisplaySettings{false, 1200, 900, ScaleMode::kSmooth, std::nullopt, {}, {}}))
      << "the window and its new size are the player's; the scale was the command line's";
}

TEST(DisplaySettingsToSave, AServerChosenOrForgottenIsKept) {
  DisplaySettings saved;
  saved.server = "http://old.example";
  for (const char* chosen : {"https://new.example", ""}) {
    DisplaySettings started = saved;
    started.server = chosen;
    EXPECT_EQ(platform::DisplaySettingsToSave(saved, started, started).server, chosen);
  }
}

// --mute and --colour-aid given; during the run the player turned the volume
// down, which also unmuted.
TEST(DisplaySettingsToSave, AidsChosenOnTheCommandLineLastForTheirRunOnly) {
  const PlayerAids saved{false, 100, false};
  const PlayerAids started{true, 100, true};
  EXPECT_EQ(platform::PlayerAidsToSave(saved, started, started), saved);
  EXPECT_EQ(platform::PlayerAidsToSave(saved, started, PlayerAids{false, 90, true}),
            (PlayerAids{false, 90, false}));
}

TEST(VolumeStep, StepsByTenWithinZeroToAHundred) {
  const struct {
    int volume, steps, expected;
  } cases[] = {{100, 1, 100}, {100, -1, 90}, {0, -1, 0},    {0, 1, 10},
               {35, 1, 40},   {35, -1, 30},  {200, -1, 90}, {-7, 1, 10}};
  for (const auto& c : cases) {
    EXPECT_EQ(platform::VolumeStep(c.volume, c.steps), c.expected) << c.volume << " " << c.steps;
  }
}

}  // namespace
