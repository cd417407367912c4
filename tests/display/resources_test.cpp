#include "resources/resources.h"

#include <gtest/gtest.h>

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

TEST(Resources, ATestCanReplaceOrHideAResourceAndAnEmptyOneLoadsNothing) {
  resources::SetTestResource("FHSPRITE", RT_BITMAP, std::vector<std::uint8_t>{7});
  resources::SetTestResource("FHSPRITE", RT_BITMAP, std::vector<std::uint8_t>{});
  HRSRC empty = FindResourceA(nullptr, "FHSPRITE", RT_BITMAP);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(LoadResource(nullptr, empty), nullptr);
  resources::SetTestResource("FHSPRITE", RT_BITMAP, std::nullopt);
  EXPECT_EQ(FindResourceA(nullptr, "FHSPRITE", RT_BITMAP), nullptr);
  resources::ClearTestResources();
}

}  // namespace
