#include "resources/resources.h"

#include <gtest/gtest.h>

#include <array>
#include <span>
#include <string_view>

#include "display/dib.h"

namespace {

TEST(Resources, LookupIsByNameAndType) {
  resources::SetTestResource("TESTPIC", RT_BITMAP, std::vector<std::uint8_t>{1, 2, 3});
  HRSRC found = FindResourceA(nullptr, "TESTPIC", RT_BITMAP);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), 3u);
  EXPECT_EQ(static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)))[2], 3);
  EXPECT_EQ(FindResourceA(nullptr, "TESTPIC", RT_GROUP_ICON), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, "testpic2", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, nullptr, RT_BITMAP), nullptr);
  resources::ClearTestResources();
  EXPECT_EQ(FindResourceA(nullptr, "TESTPIC", RT_BITMAP), nullptr);
}

// The pictures the program carries (when the build found them) are ones the
// loader takes, at their sizes, and the sheet's background is where the key
// expects it.
TEST(CarriedPictures, EachIsAnEightBitPictureOfItsSize) {
  struct Picture {
    const char* name;
    int width, height;
  } const pictures[] = {{"FHSPRITE", 160, 400}, {"BOPENING", 640, 480}, {"BRANK", 640, 480},
                        {"BCRI", 640, 480},     {"BGIYA", 640, 480},    {"BFUNE", 640, 480}};
  for (const auto& p : pictures) {
    HRSRC found = FindResourceA(nullptr, p.name, RT_BITMAP);
    if (found == nullptr) continue;  // not made yet when this was built
    const auto* bytes =
        static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
    const auto picture = ParseDib(std::span(bytes, SizeofResource(nullptr, found)));
    ASSERT_TRUE(picture.has_value()) << p.name;
    EXPECT_EQ(picture->width, p.width) << p.name;
    EXPECT_EQ(picture->height, p.height) << p.name;
    if (std::string_view(p.name) == "FHSPRITE") {
      const RGBQUAD background = picture->colours[0];
      EXPECT_EQ((std::array{background.rgbRed, background.rgbGreen, background.rgbBlue}),
                (std::array<std::uint8_t, 3>{2, 4, 4}));
    }
  }
}

}  // namespace
