#include "ranking/name_setting.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/base/files.h"
#include "platform/base/shift_jis.h"
#include "platform/base/whole_file.h"

namespace {

// The settings file is a few bytes; one far larger is not the game's.
constexpr std::size_t kLargestSettingsFile = std::size_t{1024} * 1024;

}  // namespace

std::optional<PlayerName> PlayerNameFromUtf8(std::string_view utf8, std::string* error) {
  if (utf8.empty()) {
    *error = "the name is empty";
    return std::nullopt;
  }
  // The tables show the bytes as they stand: a tab or an escape would be
  // drawn as a stray glyph.
  if (std::any_of(utf8.begin(), utf8.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    *error = "the name has a control character";
    return std::nullopt;
  }
  const std::optional<std::string> shiftJis = platform::ShiftJisFromUtf8(utf8);
  if (!shiftJis) {
    *error = "the name has a character the high-score tables cannot hold (not in Shift-JIS)";
    return std::nullopt;
  }
  PlayerName name{};
  name.length = platform::WholeShiftJisLength(*shiftJis, name.bytes.size());
  std::memcpy(name.bytes.data(), shiftJis->data(), name.length);
  return name;
}

bool WritePlayerName(const PlayerName& name, std::string* error) {
  const auto fail = [error](const std::string& why) {
    *error = std::string("cannot write ") + kSettingsFileName + ": " + why;
    return false;
  };
  // A link is the player's doing: the file it leads to takes the name.
  std::string path = kSettingsFileName;
  if (const auto link = platform::InfoOf(path, platform::Links::kDoNotFollow);
      link && link->kind == platform::FileKind::kLink) {
    std::optional<std::string> target = platform::ResolvedPath(path);
    if (!target) return fail("the link leads to no file");
    path = std::move(*target);
  }
  std::vector<std::uint8_t> bytes;
  std::uint32_t mode = 0644;
  if (const auto info = platform::InfoOf(path, platform::Links::kFollow)) {
    const auto old = platform::ReadSmallFile(path, kLargestSettingsFile);
    if (!old) return fail(errno != 0 ? std::strerror(errno) : "not a regular file of a few bytes");
    bytes = *old;
    mode = info->permissions;
  } else if (errno != ENOENT) {
    return fail(std::strerror(errno));
  }
  bytes.resize(std::max(bytes.size(), name.bytes.size()));
  std::fill_n(bytes.begin(), name.bytes.size(), 0);
  std::copy_n(name.bytes.begin(), name.length, bytes.begin());
  if (!platform::WriteWholeFile(path, bytes, platform::WriteMode::kReplace, mode)) {
    return fail(std::strerror(errno));
  }
  return true;
}
