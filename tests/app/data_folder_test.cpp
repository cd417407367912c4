// The player's data folder at a first start and at every start after: what is
// made, what is brought up to date, and what is never touched.
#include "app/data_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class DataFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("morvex2-data-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    installed_ = root_ / "share" / "morvex2";
    folder_ = root_ / "home" / ".local" / "share" / "morvex2";
    fs::create_directories(installed_);
    for (const char* name : {"music1.mid", "music2.mid", "Clap.wav"}) {
      Write(installed_ / name, std::string("shipped ") + name);
    }
    Write(installed_ / "zel.ini", std::string("PLAYER") + std::string(10, '\0'));
  }
  void TearDown() override { fs::remove_all(root_); }

  DataFolderSetup Run() { return SetUpDataFolder(folder_.string(), installed_.string()); }

  fs::path root_;
  fs::path installed_;
  fs::path folder_;
};

TEST_F(DataFolderTest, AFirstStartMakesTheFolderWithItsSevenFiles) {
  const DataFolderSetup setup = Run();
  EXPECT_TRUE(setup.problems.empty());
  EXPECT_EQ(setup.workingFolder, folder_.string());
  EXPECT_EQ(fs::status(folder_).permissions() & fs::perms::all, fs::perms::owner_all);
  for (const char* name : {"music1.mid", "music2.mid", "Clap.wav"}) {
    EXPECT_EQ(Read(folder_ / name), std::string("shipped ") + name);
  }
  for (const char* name : {"zyou.pod", "tyuu.pod", "syo.pod"}) {
    EXPECT_EQ(Read(folder_ / name), std::string(590, '\xE0')) << name;
  }
  const std::string name = Read(folder_ / "zel.ini");
  ASSERT_EQ(name.size(), 16u);
  EXPECT_NE(name[0], '\0');
  // Nothing half-made is left beside the files.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder_)) {
    files += entry.path().filename() != ".installed";
  }
  EXPECT_EQ(files, 7);
}

TEST_F(DataFolderTest, LaterStartsKeepTheTablesAndTheNameByteForByte) {
  Run();
  const std::string table(590, 'A');
  Write(folder_ / "tyuu.pod", table);
  Write(folder_ / "zel.ini", "Hanako");
  fs::remove(folder_ / "syo.pod");
  Run();
  EXPECT_EQ(Read(folder_ / "tyuu.pod"), table);
  EXPECT_EQ(Read(folder_ / "zel.ini"), "Hanako");
  EXPECT_EQ(Read(folder_ / "syo.pod").size(), 590u) << "a missing table is made again";
}

TEST_F(DataFolderTest, OnlyTheGamesOwnTunesAreUpdated) {
  Run();
  Write(folder_ / "music2.mid", "the player's own title tune");
  Write(installed_ / "music1.mid", "a new play tune");
  Write(installed_ / "music2.mid", "a new title tune");
  Run();
  EXPECT_EQ(Read(folder_ / "music1.mid"), "a new play tune");
  EXPECT_EQ(Read(folder_ / "music2.mid"), "the player's own title tune");
  // A tune linked in by the player stays a link.
  Write(root_ / "mine.wav", "clap of my own");
  fs::remove(folder_ / "Clap.wav");
  fs::create_symlink(root_ / "mine.wav", folder_ / "Clap.wav");
  Write(installed_ / "Clap.wav", "a new clap");
  Run();
  EXPECT_TRUE(fs::is_symlink(folder_ / "Clap.wav"));
  EXPECT_EQ(Read(root_ / "mine.wav"), "clap of my own");
  // A damaged list of what was installed updates nothing.
  Write(folder_ / ".installed",
        std::string("\xFF\x00garbage\nzz 12\n", 15) + std::string(9000, 'x'));
  Write(installed_ / "music1.mid", "a newer play tune");
  EXPECT_TRUE(Run().problems.empty());
  EXPECT_EQ(Read(folder_ / "music1.mid"), "a new play tune");
}

TEST_F(DataFolderTest, AFolderThatCannotBeMadeIsSaidAndTheGameGoesOn) {
  fs::create_directories(folder_.parent_path());
  Write(folder_, "a file where the folder should be");
  const DataFolderSetup setup = Run();
  ASSERT_EQ(setup.problems.size(), 1u);
  EXPECT_NE(setup.problems[0].find("cannot create the data folder"), std::string::npos);
  EXPECT_NE(setup.problems[0].find("high scores are not saved"), std::string::npos);
  EXPECT_EQ(setup.workingFolder, installed_.string());
  EXPECT_EQ(Read(folder_), "a file where the folder should be");
}

TEST(DataFolderPlaceTest, FollowsTheXdgVariables) {
  const struct {
    const char* dataHome;
    const char* home;
    const char* expected;
  } cases[] = {
      {"/x/data", "/home/p", "/x/data/morvex2"},
      {nullptr, "/home/p", "/home/p/.local/share/morvex2"},
      {"relative", "/home/p", "/home/p/.local/share/morvex2"},
      {nullptr, nullptr, ""},
  };
  const std::string savedData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  for (const auto& c : cases) {
    c.dataHome ? ::setenv("XDG_DATA_HOME", c.dataHome, 1) : ::unsetenv("XDG_DATA_HOME");
    c.home ? ::setenv("HOME", c.home, 1) : ::unsetenv("HOME");
    EXPECT_EQ(DefaultDataFolder(), c.expected);
  }
  savedData.empty() ? ::unsetenv("XDG_DATA_HOME") : ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
  savedHome.empty() ? ::unsetenv("HOME") : ::setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
