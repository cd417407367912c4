// Builds the game's Shift-JIS font table from a Unifont .hex file.
//
//   gen_font_table UNIFONT_HEX OUTPUT_CPP [LATE_GLYPHS [TEXT_SOURCE...]]
//
// Every character of code page 932 is mapped to Unicode with iconv and given
// Unifont's glyph: single-byte characters (ASCII and the half-width katakana)
// as 8 x 16 glyphs, double-byte characters as 16 x 16. A double-byte character
// whose Unifont glyph is only 8 px wide (the arrows, a few symbols) is centred
// in its 16 px cell. Characters Unifont lacks are left out; the game draws a
// box for them. The output is a C++ source that defines the arrays declared
// in platform/win32/font_table.h. With LATE_GLYPHS (the browser's page), the
// glyphs of the kanji go to that file instead, 32 bytes each in the order of
// their codes, and come after the page's first frame; the page carries the
// kana, the symbols and the kanji of the game's own texts, found in the
// string literals of the TEXT_SOURCEs (the headers that hold those texts), so
// that the title's first frame never waits for the file.
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
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

// The first lead byte whose glyphs may come late: 0x88 is the first row of
// kanji; the rows before it are the kana, the Latin, Greek and Cyrillic
// letters and the symbols.
constexpr int kFirstLateLead = 0x88 - 0x81;

bool IsLeadByte(std::uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
// -1 for a byte that cannot follow a lead byte.
int TrailIndex(std::uint8_t byte) {
  if (byte >= 0x40 && byte <= 0x7E) return byte - 0x40;
  if (byte >= 0x80 && byte <= 0xFC) return byte - 0x41;
  return -1;
}
int LeadIndex(std::uint8_t byte) {
  return byte <= 0x9F ? byte - 0x81 : byte - 0xE0 + 31;
}

// The bytes of every string literal of a C++ source, in order and run
// together (a text split into literals, "\x81" "E", is whole again);
// comments and character literals are skipped.
std::string LiteralBytes(const std::string& source) {
  std::string bytes;
  std::size_t i = 0;
  const auto at = [&](std::size_t k) { return k < source.size() ? source[k] : '\0'; };
  while (i < source.size()) {
    if (source.compare(i, 2, "//") == 0) {
      i = source.find('\n', i);
      if (i == std::string::npos) break;
    } else if (source.compare(i, 2, "/*") == 0) {
      i = source.find("*/", i + 2);
      if (i == std::string::npos) break;
      i += 2;
    } else if (source[i] == '"' || source[i] == '\'') {
      const char quote = source[i++];
      while (i < source.size() && source[i] != quote) {
        if (source[i] != '\\') {
          if (quote == '"') bytes += source[i];
          ++i;
          continue;
        }
        ++i;
        int value = 0;
        if (at(i) == 'x') {
          for (++i; HexDigit(at(i)) >= 0; ++i) value = value * 16 + HexDigit(at(i));
        } else if (at(i) >= '0' && at(i) <= '7') {
          for (int n = 0; n < 3 && at(i) >= '0' && at(i) <= '7'; ++n, ++i)
            value = value * 8 + (at(i) - '0');
        } else {
          const char plain = at(i++);
          value = plain == 'n' ? '\n' : plain == 't' ? '\t' : plain;
        }
        if (quote == '"') bytes += static_cast<char>(value);
      }
      ++i;
    } else {
      ++i;
    }
  }
  return bytes;
}

// The double-byte characters in the string literals of the sources, each as
// lead index * kTrailCount + trail index; nothing when a source cannot be read.
std::optional<std::set<int>> TextCharacters(const std::vector<std::string>& paths) {
  std::set<int> characters;
  for (const std::string& path : paths) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream source;
    source << in.rdbuf();
    if (!in) {
      std::cerr << "gen_font_table: cannot read " << path << "\n";
      return std::nullopt;
    }
    const std::string bytes = LiteralBytes(source.str());
    for (std::size_t k = 0; k < bytes.size(); ++k) {
      const auto lead = static_cast<std::uint8_t>(bytes[k]);
      if (!IsLeadByte(lead) || k + 1 == bytes.size()) continue;
      const int trail = TrailIndex(static_cast<std::uint8_t>(bytes[k + 1]));
      if (trail < 0) continue;
      characters.insert(LeadIndex(lead) * kTrailCount + trail);
      ++k;
    }
  }
  return characters;
}

bool IsSingleByteCharacter(int code) {
  return (code >= 0x20 && code <= 0x7E) || (code >= 0xA1 && code <= 0xDF);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: gen_font_table UNIFONT_HEX OUTPUT_CPP [LATE_GLYPHS [TEXT_SOURCE...]]\n";
    return 2;
  }
  const bool split = argc >= 4;
  const std::optional<std::set<int>> texts =
      TextCharacters(std::vector<std::string>(argv + std::min(argc, 4), argv + argc));
  if (!texts) return 1;
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

  // Glyphs are numbered with those the page carries first, each part in the
  // order of its codes, so the late ones are the last of them.
  std::vector<std::array<std::uint8_t, 32>> carried;
  std::vector<std::array<std::uint8_t, 32>> late;
  std::vector<int> carriedCodes;
  std::vector<int> lateCodes;
  for (int lead = 0; lead < kLeadCount; ++lead) {
    for (int trail = 0; trail < kTrailCount; ++trail) {
      const auto unicode =
          convert.Convert({static_cast<char>(LeadByte(lead)), static_cast<char>(TrailByte(trail))});
      const auto found = unicode ? unifont.find(*unicode) : unifont.end();
      if (found == unifont.end()) continue;
      const int code = lead * kTrailCount + trail;
      const bool isLate = split && lead >= kFirstLateLead && !texts->contains(code);
      (isLate ? late : carried).push_back(Wide(found->second));
      (isLate ? lateCodes : carriedCodes).push_back(code);
    }
  }
  std::vector<int> index(kLeadCount * kTrailCount, 0);
  for (std::size_t i = 0; i < carriedCodes.size(); ++i)
    index[static_cast<std::size_t>(carriedCodes[i])] = static_cast<int>(i + 1);
  for (std::size_t i = 0; i < lateCodes.size(); ++i)
    index[static_cast<std::size_t>(lateCodes[i])] = static_cast<int>(carried.size() + i + 1);

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
  for (const auto& glyph : carried) WriteRow(out, glyph);
  out << "};\n\nconst int kDoubleGlyphCount = " << carried.size() << ";\n"
      << "const int kLateGlyphCount = " << late.size()
      << ";\n\n}  // namespace platform::font_table\n";
  if (!out) {
    std::cerr << "gen_font_table: cannot write " << argv[2] << "\n";
    return 1;
  }
  if (split) {
    std::ofstream lateFile(argv[3], std::ios::binary);
    for (const auto& glyph : late) lateFile.write(reinterpret_cast<const char*>(glyph.data()), 32);
    if (!lateFile) {
      std::cerr << "gen_font_table: cannot write " << argv[3] << "\n";
      return 1;
    }
  }
  return 0;
}
