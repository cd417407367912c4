// The cache of tune renderings: a rendering is found only for the very tune
// bytes and soundfont it was made from, and a file that is not exactly what
// was written is never handed on.
#include "platform/tunes/tune_cache.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using Bytes = std::vector<std::uint8_t>;

class TuneCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "morvex2-tune-cache-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  static Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteAll(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  std::filesystem::path root_;
  const Bytes rendering_ = Bytes(300, 0x4F);
};

TEST_F(TuneCacheTest, KeyChangesWithTheTuneAndTheSoundFont) {
  const Bytes tune = {'M', 'T', 'h', 'd', 1, 2, 3};
  Bytes changed = tune;
  changed.back() = 4;
  const std::string path = platform::TuneCachePath("/c", tune, "sf a");
  EXPECT_EQ(path, platform::TuneCachePath("/c", tune, "sf a"));
  EXPECT_NE(path, platform::TuneCachePath("/c", changed, "sf a"));
  EXPECT_NE(path, platform::TuneCachePath("/c", tune, "sf b"));
  EXPECT_EQ(path.rfind("/c/", 0), 0u);

  const std::filesystem::path font = root_ / "font.sf2";
  WriteAll(font, {1, 2, 3});
  const std::string before = platform::SoundFontIdentity(font.string());
  EXPECT_FALSE(before.empty());
  WriteAll(font, {1, 2, 3, 4});
  EXPECT_NE(platform::SoundFontIdentity(font.string()), before);
  EXPECT_EQ(platform::SoundFontIdentity((root_ / "none.sf2").string()), "");
}

// The folder and its parent are made when missing, and only the finished file
// is left there.
TEST_F(TuneCacheTest, WrittenFileIsReadBackWholeAndNothingElseIsLeft) {
  const std::string path = (root_ / "cache" / "morvex2" / "a.tune").string();
  ASSERT_TRUE(platform::WriteCachedTune(path, rendering_));
  EXPECT_EQ(platform::ReadCachedTune(path), rendering_);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_ / "cache" / "morvex2"), {}), 1);

  // Where the folder cannot be made nothing is written, and no part is left.
  WriteAll(root_ / "blocked", {});
  EXPECT_FALSE(platform::WriteCachedTune((root_ / "blocked" / "a.tune").string(), rendering_));
  EXPECT_FALSE(platform::WriteCachedTune((root_ / "empty.tune").string(), {}));
  EXPECT_FALSE(std::filesystem::exists(root_ / "empty.tune"));

  // Written piece by piece: a head written last, over bytes already there,
  // and never past them; a rendering given up half way leaves nothing.
  const std::string pieces = (root_ / "b.tune").string();
  {
    platform::CachedTuneWriter writer(pieces);
    ASSERT_TRUE(writer.Append(Bytes(4, 0)));
    ASSERT_TRUE(writer.Append(Bytes(rendering_.begin() + 4, rendering_.end())));
    ASSERT_TRUE(writer.Overwrite(0, Bytes(rendering_.begin(), rendering_.begin() + 4)));
    ASSERT_TRUE(writer.Finish());
  }
  EXPECT_EQ(platform::ReadCachedTune(pieces), rendering_);
  {
    platform::CachedTuneWriter writer((root_ / "c.tune").string());
    ASSERT_TRUE(writer.Append(rendering_));
    EXPECT_FALSE(writer.Overwrite(rendering_.size() - 1, Bytes(2, 0)));
    EXPECT_FALSE(writer.Finish());
  }
  {
    platform::CachedTuneWriter writer((root_ / "d.tune").string());
    ASSERT_TRUE(writer.Append(rendering_));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_), {}), 3)
      << "only cache/, blocked and b.tune";
}

TEST_F(TuneCacheTest, ADamagedOrMisplacedFileIsRefused) {
  const std::filesystem::path path = root_ / "a.tune";
  ASSERT_TRUE(platform::WriteCachedTune(path.string(), rendering_));
  const Bytes whole = ReadAll(path);
  // Cut short anywhere, as a crash or a full disk would leave it.
  for (std::size_t size = 0; size < whole.size(); ++size) {
    WriteAll(path, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_FALSE(platform::ReadCachedTune(path.string())) << size;
  }
  // Any one byte changed.
  for (std::size_t at : {std::size_t{0}, std::size_t{150}, whole.size() - 30, whole.size() - 1}) {
    Bytes damaged = whole;
    damaged[at] ^= 0x10;
    WriteAll(path, damaged);
    EXPECT_FALSE(platform::ReadCachedTune(path.string())) << at;
  }
  // A whole rendering of another tune, moved to this one's place.
  WriteAll(root_ / "b.tune", whole);
  EXPECT_FALSE(platform::ReadCachedTune((root_ / "b.tune").string()));
  // Not a regular file.
  std::filesystem::create_directory_symlink("/dev", root_ / "c.tune");
  EXPECT_FALSE(platform::ReadCachedTune((root_ / "c.tune").string()));
}

}  // namespace
