// The committed pictures, sounds and data files are exactly what the
// generators make today: nobody edited one by hand, and nobody changed a
// generator without running scripts/generate-assets.sh.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/assets/file_bytes.h"

namespace {

struct Generator {
  const char* program;
  const char* folder;  // where its files are committed
  std::vector<std::string> files;
};

const Generator kGenerators[] = {
    {GEN_BITMAPS,
     "resources",
     {"FHSPRITE.bmp", "BOPENING.bmp", "BRANK.bmp", "BCRI.bmp", "BGIYA.bmp", "BFUNE.bmp"}},
    {GEN_ICON, "resources", {"ZELF.ico"}},
    {GEN_MUSIC, "data", {"music1.mid", "music2.mid"}},
    {GEN_CLAP, "data", {"Clap.wav"}},
    {GEN_DATA, "data", {"zyou.pod", "tyuu.pod", "syo.pod", "zel.ini"}},
};

class GeneratedFiles : public ::testing::TestWithParam<Generator> {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name) c = c == '/' ? '-' : c;
    output_ = std::filesystem::temp_directory_path() /
              ("morvex2-assets-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::create_directories(output_);
    ASSERT_TRUE(std::filesystem::is_directory(output_));
  }
  void TearDown() override { std::filesystem::remove_all(output_); }
  std::filesystem::path output_;
};

TEST_P(GeneratedFiles, AreByteForByteTheCommittedOnes) {
  const Generator& g = GetParam();
  const std::string command = std::string(g.program) + " '" + output_.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const std::string& name : g.files) {
    const FileBytes made = ReadFileBytes((output_ / name).string());
    const FileBytes committed = ReadSourceFile(std::string(g.folder) + "/" + name);
    ASSERT_FALSE(made.empty()) << name << " was not generated";
    ASSERT_FALSE(committed.empty()) << name << " is not committed";
    EXPECT_TRUE(made == committed)
        << name << " differs from the committed file: run scripts/generate-assets.sh";
  }
}

INSTANTIATE_TEST_SUITE_P(EveryGenerator, GeneratedFiles, ::testing::ValuesIn(kGenerators),
                         [](const auto& info) {
                           return std::filesystem::path(info.param.program).filename().string();
                         });

}  // namespace
