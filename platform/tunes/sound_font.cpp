#include "platform/tunes/sound_font.h"

#include <cstdlib>
#include <string_view>

#include "platform/base/files.h"

namespace platform {

namespace {

// What the Debian soundfont packages install, through the alternatives system.
constexpr const char* kDebianDefaults[] = {"/usr/share/sounds/sf3/default-GM.sf3",
                                           "/usr/share/sounds/sf2/default-GM.sf2"};

bool IsRegularFile(const std::string& path) {
  if (path.empty()) return false;
  const std::optional<FileInfo> info = InfoOf(path, Links::kFollow);
  return info && info->kind == FileKind::kRegular;
}

}  // namespace

std::string FindSoundFont() {
  if (const char* named = std::getenv("SDL_SOUNDFONTS")) {
    std::string_view list = named;
    while (!list.empty()) {
      const std::size_t end = list.find_first_of(":;");
      std::string path(list.substr(0, end));
      if (IsRegularFile(path)) return path;
      list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
    }
  }
  for (const char* path : kDebianDefaults) {
    if (IsRegularFile(path)) return path;
  }
  return {};
}

}  // namespace platform
