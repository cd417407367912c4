// Builds the game's Shift-JIS font table from a Unifont .hex file.
//
//   gen_font_table UNIFONT_HEX OUTPUT_CPP [LATE_GLYPHS]
//
// Every character of code page 932 is mapped to Unicode with iconv and given
// Unifont's glyph: single-byte characters (ASCII and the half-width katakana)
// as 8 x 16 glyphs, double-byte characters as 16 x 16. A double-byte character
// whose Unifont glyph is only 8 px wide (the arrows, a few symbols) is centred
// in its 16 px cell. Characters Unifont lacks are left out; the game draws a
// box for them. The output is a C++ source that defines the arrays declared
// in platform/win32/font_table.h. With LATE_GLYPHS (the browser's page), the
// glyphs of the lead bytes from 0x99 on, the second level of kanji and the
// extensions that few texts hold, go to that file instead, 32 bytes each in
// the table's order, and come after the page's first frame.
#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kLeadCount = 60;
constexpr int kTrailCount = 188;

using Glyphs = std::unordered_map<std::uint32_t, std::vector<std::uint8_t>>;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Lines "XXXX:<32 or 64 hex digits>"; anything else is skipped.
Glyphs ReadUnifont(std::istream& in) {
  Glyphs glyphs;
  std::string line;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string bits = line.substr(colon + 1);
    if (bits.size() != 32 && bits.size() != 64) continue;
    std::vector<std::uint8_t> bytes;
    bool valid = true;
    for (std::size_t i = 0; i < bits.size(); i += 2) {
      const int high = HexDigit(bits[i]);
      const int low = HexDigit(bits[i + 1]);
      valid = valid && high >= 0 && low >= 0;
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    if (valid)
      glyphs[static_cast<std::uint32_t>(std::stoul(line.substr(0, colon), nullptr, 16))] = bytes;
  }
  return glyphs;
}

class Cp932ToUnicode {
 public:
  Cp932ToUnicode() : cd_(iconv_open("UTF-32LE", "CP932")) {}
  ~Cp932ToUnicode() {
    if (valid()) iconv_close(cd_);
  }
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The one code point of a character, or nothing if it has none.
  std::optional<std::uint32_t> Convert(std::vector<char> bytes) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char out[8];
    char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    char* outPtr = out;
    std::size_t outLeft = sizeof out;
    if (iconv(cd_, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return {};
    if (inLeft != 0 || outLeft != 4) return {};
    std::uint32_t code = 0;
    for (int i = 3; i >= 0; --i) code = code << 8 | static_cast<std::uint8_t>(out[i]);
    return code;
  }

 private:
  iconv_t cd_;
};

std::uint8_t LeadByte(int index) {
  return static_cast<std::uint8_t>(index < 31 ? 0x81 + index : 0xE0 + index - 31);
}
std::uint8_t TrailByte(int index) {
  return static_cast<std::uint8_t>(index < 63 ? 0x40 + index : 0x41 + index);
}

// 16 x 16 rows (two bytes each); an 8 px glyph is centred.
std::array<std::uint8_t, 32> Wide(const std::vector<std::uint8_t>& glyph) {
  std::array<std::uint8_t, 32> rows{};
  for (int row = 0; row < 16; ++row) {
    if (glyph.size() == 32) {
      rows[row * 2] = glyph[row * 2];
      rows[row * 2 + 1] = glyph[row * 2 + 1];
    } else {
      const unsigned centred = static_cast<unsigned>(glyph[row]) << 4;
      rows[row * 2] = static_cast<std::uint8_t>(centred >> 8);
      rows[row * 2 + 1] = static_cast<std::uint8_t>(centred & 0xFF);
    }
  }
  return rows;
}

template <typename Row>
void WriteRow(std::ostream& out, const Row& bytes) {
  out << "{";
  for (std::size_t i = 0; i < bytes.size(); ++i) out << (i ? "," : "") << int(bytes[i]);
  out << "},\n";
}

// The first lead byte whose glyphs may come late: 0x99 starts the second
// level of kanji (the few of it on 0x98 stay with the first).
constexpr int kFirstLateLead = 0x99 - 0x81;

bool IsSingleByteCharacter(int code) {
  return (code >= 0x20 && code <= 0x7E) || (code >= 0xA1 && code <= 0xDF);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: gen_font_table UNIFONT_HEX OUTPUT_CPP [LATE_GLYPHS]\n";
    return 2;
  }
  std::ifstream hex(argv[1]);
  if (!hex) {
    std::cerr << "gen_font_table: cannot read " << argv[1] << " (Debian package unifont)\n";
    return 1;
  }
  const Glyphs unifont = ReadUnifont(hex);
  Cp932ToUnicode convert;
  if (!convert.valid()) {
    std::cerr << "gen_font_table: iconv has no CP932\n";
    return 1;
  }

  std::vector<std::array<std::uint8_t, 16>> single(256);
  std::vector<int> singleHas(256, 0);
  for (int code = 0; code < 256; ++code) {
    if (!IsSingleByteCharacter(code)) continue;
    const auto unicode = convert.Convert({static_cast<char>(code)});
    const auto found = unicode ? unifont.find(*unicode) : unifont.end();
    if (found == unifont.end() || found->second.size() != 16) continue;
    for (int row = 0; row < 16; ++row) single[code][row] = found->second[row];
    singleHas[code] = 1;
  }

  std::vector<int> index(kLeadCount * kTrailCount, 0);
  std::vector<std::array<std::uint8_t, 32>> wide;
  // Glyphs are numbered in the order of their codes, so the late ones are the
  // last of them.
  std::size_t lateFrom = 0;
  for (int lead = 0; lead < kLeadCount; ++lead) {
    if (lead == kFirstLateLead) lateFrom = wide.size();
    for (int trail = 0; trail < kTrailCount; ++trail) {
      const auto unicode =
          convert.Convert({static_cast<char>(LeadByte(lead)), static_cast<char>(TrailByte(trail))});
      const auto found = unicode ? unifont.find(*unicode) : unifont.end();
      if (found == unifont.end()) continue;
      wide.push_back(Wide(found->second));
      index[lead * kTrailCount + trail] = static_cast<int>(wide.size());
    }
  }
  const std::size_t early = argc == 4 ? lateFrom : wide.size();

  std::ofstream out(argv[2]);
  out << "// Generated by tools/gen_font_table from Unifont. Do not edit.\n"
      << "#include \"platform/win32/font_table.h\"\n\nnamespace platform::font_table {\n\n"
      << "const std::uint8_t kSingleGlyphs[256][16] = {\n";
  for (const auto& glyph : single) WriteRow(out, glyph);
  out << "};\n\nconst std::uint8_t kSingleHas[256] = {";
  for (int code = 0; code < 256; ++code) out << (code ? "," : "") << singleHas[code];
  out << "};\n\nconst std::uint16_t kDoubleIndex[kLeadCount * kTrailCount] = {";
  for (std::size_t i = 0; i < index.size(); ++i)
    out << (i ? "," : "") << (i % 32 == 0 ? "\n" : "") << index[i];
  out << "};\n\nconst std::uint8_t kDoubleGlyphs[][32] = {\n";
  for (std::size_t i = 0; i < early; ++i) WriteRow(out, wide[i]);
  out << "};\n\nconst int kDoubleGlyphCount = " << early << ";\n"
      << "const int kLateGlyphCount = " << wide.size() - early
      << ";\n\n}  // namespace platform::font_table\n";
  if (!out) {
    std::cerr << "gen_font_table: cannot write " << argv[2] << "\n";
    return 1;
  }
  if (argc == 4) {
    std::ofstream late(argv[3], std::ios::binary);
    for (std::size_t i = early; i < wide.size(); ++i) {
      late.write(reinterpret_cast<const char*>(wide[i].data()), 32);
    }
    if (!late) {
      std::cerr << "gen_font_table: cannot write " << argv[3] << "\n";
      return 1;
    }
  }
  return 0;
}
