#include "platform/tunes/shipped_tunes.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/base/whole_file.h"

namespace platform {

namespace {

constexpr char kSoundFontFile[] = "tunes.soundfont";
// A path, a size and a time: far less than this.
constexpr std::size_t kLargestIdentity = 4096;

}  // namespace

std::string ShippedSoundFont(const std::string& folder) {
  if (folder.empty()) return {};
  const std::optional<std::vector<std::uint8_t>> bytes =
      ReadSmallFile(folder + '/' + kSoundFontFile, kLargestIdentity);
  if (!bytes) return {};
  return std::string(bytes->begin(), bytes->end());
}

bool KeepShippedSoundFont(const std::string& folder, const std::string& identity) {
  const std::vector<std::uint8_t> bytes(identity.begin(), identity.end());
  return WriteWholeFile(folder + '/' + kSoundFontFile, bytes, WriteMode::kReplace);
}

// Told apart by their names alone: "folder/x" and "folder//x" are one file.
void RemoveOtherRenderings(const std::string& folder, const std::set<std::string>& kept) {
  std::set<std::filesystem::path> keptNames;
  for (const std::string& path : kept) keptNames.insert(std::filesystem::path(path).filename());
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".tune" && !keptNames.contains(entry.path().filename())) {
      std::filesystem::remove(entry.path(), error);
    }
  }
}

}  // namespace platform
