#include "formats/base64.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

std::span<const std::uint8_t> BytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Base64, EachTailLengthEncodesAndDecodesBack) {
  const struct {
    std::string bytes;
    const char* text;
  } rows[] = {{"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
              {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {std::string("\xff\x00\xfe", 3), "/wD+"}};
  for (const auto& row : rows) {
    EXPECT_EQ(formats::EncodeBase64(BytesOf(row.bytes)), row.text);
    const auto decoded = formats::DecodeBase64(row.text);
    ASSERT_TRUE(decoded.has_value()) << row.text;
    EXPECT_EQ(std::string(decoded->begin(), decoded->end()), row.bytes);
  }
}

// A replay arrives from anyone: only the one canonical spelling of some bytes
// is taken, so no two texts stand for one game.
TEST(Base64, TextThatIsNotCanonicalIsRefused) {
  for (const char* text : {"Zg=", "Zg", "Z===", "Zh==", "Zm9=", "Zm 9v", "Zm9v\n", "=Zm9",
                           "Zg==Zg==", "Zm9v-_", "\x80\x81\x82\x83"}) {
    EXPECT_FALSE(formats::DecodeBase64(text).has_value()) << text;
  }
}

}  // namespace
