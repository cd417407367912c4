#include "platform/win32/text_strips.h"

#include <algorithm>

#include "platform/win32/font.h"

namespace platform {

const TextStrips::Strip* TextStrips::Find(std::string_view text, std::uint16_t ink,
                                          std::uint16_t paper) {
  for (Strip& strip : strips_) {
    if (strip.ink == ink && strip.paper == paper && strip.text == text) {
      strip.lastUse = ++uses_;
      return &strip;
    }
  }
  return nullptr;
}

TextStrips::Strip& TextStrips::Add(std::string_view text, std::uint16_t ink, std::uint16_t paper,
                                   int width) {
  Strip* strip = nullptr;
  if (strips_.size() < kMostStrips) {
    strip = &strips_.emplace_back();
  } else {
    strip = &*std::min_element(strips_.begin(), strips_.end(), [](const Strip& a, const Strip& b) {
      return a.lastUse < b.lastUse;
    });
  }
  strip->id = ++ids_;
  strip->text.assign(text);
  strip->ink = ink;
  strip->paper = paper;
  strip->width = width;
  strip->pixels.assign(static_cast<std::size_t>(width) * font::kHeight, paper);
  strip->lastUse = ++uses_;
  return *strip;
}

}  // namespace platform
