#include "tools/art/background_painting.h"
#include "tools/art/pictures.h"

namespace art {
IndexedImage MakeTitlePicture(const PixelFont&) {
  Canvas c(kScreenWidth, kScreenHeight, Rgb{});
  return FlattenScreen(c, {});
}
}  // namespace art
