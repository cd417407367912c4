// The six pictures the game carries, each painted and reduced to 256 colours.
#pragma once

#include "tools/art/indexed_image.h"
#include "tools/art/pixel_font.h"

namespace art {

// The colour that the game never draws from the tile sheet: its background.
inline constexpr Rgb8 kSheetBackground{2, 4, 4};

IndexedImage MakeTileSheet();                            // "FHSPRITE", 160 x 400
IndexedImage MakeMarkedTileSheet();                      // "FHMARKS", the colour aid's
IndexedImage MakeTitlePicture(const PixelFont& font);    // "BOPENING"
IndexedImage MakeRankingPicture(const PixelFont& font);  // "BRANK"
IndexedImage MakeNightBackground();                      // "BCRI", advanced level
IndexedImage MakeSunsetBackground();                     // "BGIYA", middle level
IndexedImage MakeSeaBackground();                        // "BFUNE", beginner level

// Text the pictures letter in, so that the font file is read once.
inline constexpr const char32_t* kLetteredCharacters =
    U"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 \u6570"  // 数
    // ピンとふうせんのパズル
    U"\u30D4\u30F3\u3068\u3075\u3046\u305B\u3093\u306E\u30D1\u30BA\u30EB";

}  // namespace art
