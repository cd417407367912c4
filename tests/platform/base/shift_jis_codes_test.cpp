// The table of code page 932 that the browser's page converts with, made here
// from the C library's decoder: it must convert every text exactly as the C
// library's own converter does, which the desktop uses.
#include "platform/base/shift_jis_codes.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/shift_jis.h"

namespace {

using platform::ShiftJisCodes;

// One code through iconv, as the browser's decoder gives one.
std::optional<std::string> Convert(const char* to, const char* from, std::string text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::nullopt;  // NOLINT(performance-no-int-to-ptr)
  std::string out(text.size() * 4 + 4, '\0');
  char* in = text.data();
  std::size_t inLeft = text.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const bool converted = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!converted || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

const ShiftJisCodes& Codes() {
  static const ShiftJisCodes kCodes(
      [](std::string_view code) { return Convert("UTF-8", "CP932", std::string(code)); });
  return kCodes;
}

TEST(ShiftJisCodes, EncodesEveryCharacterAsTheCLibraryDoes) {
  ASSERT_FALSE(Codes().Empty());
  int characters = 0;
  for (int first = 0x20; first <= 0xFC; ++first) {
    const bool lead = platform::IsShiftJisLeadByte(static_cast<std::uint8_t>(first));
    for (int second = 0x40; second <= (lead ? 0xFC : 0x40); ++second) {
      std::string code(1, static_cast<char>(first));
      if (lead) code.push_back(static_cast<char>(second));
      const std::optional<std::string> utf8 = Convert("UTF-8", "CP932", code);
      if (!utf8) continue;
      ++characters;
      // Where one character has two codes, both converters pick the same one.
      EXPECT_EQ(Codes().Encode(*utf8), Convert("CP932", "UTF-8", *utf8))
          << std::hex << first << " " << second;
      EXPECT_EQ(Codes().Decode(code), *utf8) << std::hex << first << " " << second;
    }
  }
  EXPECT_GT(characters, 7000);
}

TEST(ShiftJisCodes, ConvertsTextsAsTheDesktopDoes) {
  struct Case {
    const char* what;
    std::string shiftJis;
    std::string utf8;
  };
  const std::vector<Case> cases = {
      {"plain and double-byte", "Ab\x8f\xe3\x8b\x89", "Ab上級"},
      {"half-width katakana", "\xb1\xb2", "ｱｲ"},
      {"a lead byte at the end", "A\x82", "A?"},
      {"a lead byte before a byte that ends no character", "\x82\x20Z", "? Z"},
      {"a byte that is no character",
       "\xFF"
       "A",
       "?A"},
      {"the empty text", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Codes().Decode(c.shiftJis), c.utf8) << c.what;
    EXPECT_EQ(Codes().Decode(c.shiftJis), platform::Utf8FromShiftJis(c.shiftJis.c_str())) << c.what;
  }
}

TEST(ShiftJisCodes, RefusesWhatIsNotInTheCodePage) {
  const std::vector<std::string> refused = {
      "\xF0\x9F\x98\x80",  // an emoji
      "한",                // a Hangul syllable
      "\x80",              // no UTF-8
      "\xE4\xB8",          // UTF-8 cut short
  };
  for (const std::string& text : refused) {
    EXPECT_EQ(Codes().Encode(text), std::nullopt) << text;
    EXPECT_EQ(platform::ShiftJisFromUtf8(text), std::nullopt) << text;
  }
  EXPECT_EQ(Codes().Encode(""), std::string());
}

TEST(ShiftJisCodes, IsEmptyWithoutADecoder) {
  const ShiftJisCodes none([](std::string_view) { return std::nullopt; });
  EXPECT_TRUE(none.Empty());
  EXPECT_EQ(none.Encode("A"), std::nullopt);
  EXPECT_EQ(none.Decode("A"), "?");
}

}  // namespace
