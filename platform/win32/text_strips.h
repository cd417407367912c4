// The texts drawn lately, each kept as the pixels it draws.
//
// The title draws the same five texts at every frame, and the play screen its
// labels. Working a text out from the font again means a look-up in a large
// table for every character, and after a frame's sleep those look-ups miss
// the processor's caches; copying the text's own pixels is one short pass.
// Which pixels a text draws depends only on its bytes and its two colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class TextStrips {
 public:
  static constexpr std::size_t kMostStrips = 8;
  // Wider texts are drawn straight from the font each time.
  static constexpr int kWidestStrip = 640;

  struct Strip {
    std::uint64_t id = 0;  // never the same for two strips, nor for one filled again
    std::string text;
    std::uint16_t ink = 0;
    std::uint16_t paper = 0;
    int width = 0;
    std::vector<std::uint16_t> pixels;  // width x the font's height, row by row
    std::uint64_t lastUse = 0;
  };

  // The strip of this text in these colours, or null when none is kept.
  const Strip* Find(std::string_view text, std::uint16_t ink, std::uint16_t paper);
  // A new strip, in place of the one used least lately when there are
  // kMostStrips already; its pixels are for the caller to fill.
  Strip& Add(std::string_view text, std::uint16_t ink, std::uint16_t paper, int width);

 private:
  std::vector<Strip> strips_;
  std::uint64_t uses_ = 0;
  std::uint64_t ids_ = 0;
};

}  // namespace platform
