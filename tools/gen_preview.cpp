// Composes mock screens from the generated pictures so that they can be looked
// at as the player will see them: each play background with tiles of every
// kind in the field and the preview and the white label boxes, the title
// picture with its menu, and the ranking picture with ten rows of entries.
// Writes 24-bit BMP files (convert them to PNG to view).
//
//   gen_preview PICTURE_FOLDER OUTPUT_FOLDER
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tools/art/byte_writer.h"
#include "tools/art/pixel_font.h"

namespace {

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB, top row first
  std::vector<std::uint8_t> index;
};

std::uint32_t Le32(const std::vector<std::uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

std::optional<Image> ReadBmp8(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
  std::vector<std::uint8_t> b(static_cast<size_t>(size > 0 ? size : 0));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
  if (b.size() < 1078) return std::nullopt;
  Image image;
  image.width = static_cast<int>(Le32(b, 18));
  image.height = static_cast<int>(Le32(b, 22));
  // Only pictures of a sensible size, so that the sums below cannot wrap.
  if (image.width <= 0 || image.height <= 0 || image.width > 4096 || image.height > 4096) {
    return std::nullopt;
  }
  const size_t offset = Le32(b, 10);
  const size_t stride = (static_cast<size_t>(image.width) + 3) & ~size_t{3};
  if (offset + stride * image.height > b.size()) return std::nullopt;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t i = b[offset + (image.height - 1 - y) * stride + x];
      const size_t p = 54 + 4 * size_t{i};
      image.index.push_back(i);
      image.rgb.push_back((std::uint32_t{b[p + 2]} << 16) | (b[p + 1] << 8) | b[p]);
    }
  }
  return image;
}

class Screen {
 public:
  explicit Screen(const Image& background) : image_(background) {}

  // Tiles are keyed on palette entry 0 of the sheet, as the game draws them.
  void Tile(const Image& sheet, int kind, int x, int y) {
    int col = -1, row = -1;
    if (kind == 1) col = 0, row = 0;
    if (kind == 2) col = 1, row = 0;
    if (kind <= -1 && kind >= -4) col = -kind - 1, row = 1;
    if (kind <= -5 && kind >= -8) col = -kind - 5, row = 9;
    if (kind >= 17 && kind % 16 >= 1 && kind % 16 <= 4 && kind / 16 <= 7) {
      col = kind % 16 - 1, row = kind / 16 + 1;
    }
    if (col < 0) return;
    for (int ty = 0; ty < 40; ++ty) {
      for (int tx = 0; tx < 40; ++tx) {
        const size_t s = static_cast<size_t>(row * 40 + ty) * sheet.width + col * 40 + tx;
        if (sheet.index[s] != 0) Put(x + tx, y + ty, sheet.rgb[s]);
      }
    }
  }

  void Text(const art::PixelFont& font, int x, int y, const std::u32string& text, std::uint32_t ink,
            std::uint32_t paper) {
    for (char32_t c : text) {
      const art::Glyph& g = font.Find(c);
      // Wide characters take 16 pixels even when the font draws them narrow.
      const int advance = (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) ? 8 : 16;
      for (int gy = 0; gy < 16; ++gy) {
        for (int gx = 0; gx < advance; ++gx) Put(x + gx, y + gy, g.Bit(gx, gy) ? ink : paper);
      }
      x += advance;
    }
  }

  art::Bytes Encode() const {
    art::Bytes out;
    const std::uint32_t size = 54 + 3u * image_.width * image_.height;
    art::PutText(out, "BM");
    art::PutU32(out, size);
    art::PutU32(out, 0);
    art::PutU32(out, 54);
    art::PutU32(out, 40);
    art::PutI32(out, image_.width);
    art::PutI32(out, image_.height);
    art::PutU16(out, 1);
    art::PutU16(out, 24);
    for (int i = 0; i < 6; ++i) art::PutU32(out, 0);
    for (int y = image_.height - 1; y >= 0; --y) {
      for (int x = 0; x < image_.width; ++x) {
        const std::uint32_t c = image_.rgb[static_cast<size_t>(y) * image_.width + x];
        art::PutU8(out, c);
        art::PutU8(out, c >> 8);
        art::PutU8(out, c >> 16);
      }
    }
    return out;
  }

 private:
  void Put(int x, int y, std::uint32_t c) {
    if (x >= 0 && y >= 0 && x < image_.width && y < image_.height) {
      image_.rgb[static_cast<size_t>(y) * image_.width + x] = c;
    }
  }
  Image image_;
};

constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0, kRed = 0xFF0000, kBlue = 0x0000FF;

// A busy mid-game field: every kind of tile at least once.
const int kField[11][8] = {
    {0, 0, 0, -2, 0, 0, 0, 0},       {0, 0, 0, -2, 0, 0, 0, 0},       {0, 0, 0, -2, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0},        {17, 34, 51, 68, 0, 0, 0, 0},    {84, 97, 114, 20, 0, 0, 0, 0},
    {0, 0, 0, 0, 2, 0, 0, 0},        {0, -1, 0, 0, -7, -3, 0, 0},     {0, -5, -8, 0, -7, -6, 1, 0},
    {-4, -6, -8, -3, -1, -5, -2, 0}, {-5, -7, -6, -8, -5, -6, -7, -8}};

void PlayScreen(const Image& bg, const Image& sheet, const art::PixelFont& font, Screen& s) {
  (void)bg;
  for (int r = 0; r < 11; ++r) {
    for (int c = 0; c < 8; ++c) s.Tile(sheet, kField[r][c], 20 + 40 * c, 20 + 40 * r);
  }
  s.Text(font, 370, 20, U"next", kBlack, kWhite);
  s.Tile(sheet, -3, 370, 40);
  s.Tile(sheet, -8, 410, 40);
  s.Tile(sheet, 1, 450, 40);
  s.Text(font, 370, 100, U"\u5F97\u70B9", kBlack, kWhite);  // 得点
  s.Text(font, 450 - 8 * 5, 130, U"12340", kBlack, kWhite);
  s.Text(font, 370, 200, U"\u6D88\u3057\u305F\u6570", kBlack, kWhite);  // 消した数
  s.Text(font, 450 - 8 * 3, 230, U"128", kBlack, kWhite);
}

void TitleScreen(const Image& sheet, const art::PixelFont& font, Screen& s) {
  s.Text(font, 240, 460, U"F1 to HI Score  \u2191\u2193\u9078\u629E  RETURN to start  ESC to end",
         kBlack, kBlue);
  s.Text(font, 460, 220, U"(C)1998 Morvex2 team", kBlack, kBlue);
  // ・初級(おばあちゃんのためのモード) / ・中級(こんなもんでしょう) / ・上級(速すぎます)
  s.Text(font, 200, 280,
         U"\u30FB\u521D\u7D1A(\u304A\u3070\u3042\u3061\u3083\u3093\u306E\u305F\u3081\u306E"
         U"\u30E2\u30FC\u30C9)",
         kBlack, kBlue);
  s.Text(font, 200, 320,
         U"\u30FB\u4E2D\u7D1A(\u3053\u3093\u306A\u3082\u3093\u3067\u3057\u3087\u3046)", kRed,
         kBlue);
  s.Text(font, 200, 360, U"\u30FB\u4E0A\u7D1A(\u901F\u3059\u304E\u307E\u3059)", kBlack, kBlue);
  const int balloons[6][3] = {{-5, 150, 180}, {-6, 20, 280},  {-8, 200, 400},
                              {-7, 400, 300}, {-8, 370, 100}, {-5, 560, 350}};
  for (const auto& b : balloons) s.Tile(sheet, b[0], b[1], b[2]);
}

void RankingScreen(const art::PixelFont& font, Screen& s) {
  for (int i = 0; i < 10; ++i) {
    const std::uint32_t ink = i == 3 ? kRed : kWhite;
    const int y = 90 + 40 * i;
    s.Text(font, 64, y, i == 0 ? U"ABCDEFGHIJKLMNOP" : U"PLAYER", ink, kBlack);
    s.Text(font, 198, y, U"Sat Dec 05 16:38:43 2026", ink, kBlack);
    s.Text(font, 480, y, i == 0 ? U"999999999" : U"12340", ink, kBlack);
    s.Text(font, 577, y, i == 0 ? U"99999" : U"128", ink, kBlack);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s PICTURE_FOLDER OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string in = argv[1], out = argv[2];
  const auto font = art::PixelFont::Load(
      art::kFontPath,
      U" ()0123456789:ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz\u2191\u2193\u9078\u629E"
      U"\u5F97\u70B9\u6D88\u3057\u305F\u6570\u30FB\u521D\u7D1A\u304A\u3070\u3042\u3061\u3083\u3093"
      U"\u306E\u305F\u3081\u30E2\u30FC\u30C9\u4E2D\u3053\u306A\u3082\u3067\u3046\u4E0A\u901F\u3059"
      U"\u304E\u307E\u3087");
  const auto sheet = ReadBmp8(in + "/FHSPRITE.bmp");
  if (!font || !sheet) {
    std::fprintf(stderr, "cannot read the font or the tile sheet\n");
    return 1;
  }
  for (const char* name : {"BCRI", "BGIYA", "BFUNE", "BOPENING", "BRANK"}) {
    const auto bg = ReadBmp8(in + "/" + name + ".bmp");
    if (!bg) return 1;
    Screen s(*bg);
    const std::string n = name;
    if (n == "BOPENING") {
      TitleScreen(*sheet, *font, s);
    } else if (n == "BRANK") {
      RankingScreen(*font, s);
    } else {
      PlayScreen(*bg, *sheet, *font, s);
    }
    if (!art::WriteFileBytes(out + "/screen-" + n + ".bmp", s.Encode())) return 1;
  }
  return 0;
}
