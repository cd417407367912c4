// What the player chose to hear and see better, kept in the screen settings
// file beside how the screen was left:
//
//   mute = yes
//   volume = 80
//   colour-aid = yes
//
// The lines are read and written here; display_settings.cpp hands them over.
#pragma once

#include <string>
#include <string_view>

namespace platform {

struct PlayerAids {
  bool mute = false;
  int volume = 100;  // percent of full loudness, in steps of kVolumeStep
  bool colourAid = false;
  bool operator==(const PlayerAids&) const = default;

  static constexpr int kVolumeStep = 10;
};

// The volume one step up or down, within 0 to 100.
[[nodiscard]] int VolumeStep(int volume, int steps);

// A value of the file: "yes" or "no"; a whole number from `lowest` to
// `highest`, in digits alone. False, and nothing set, for anything else.
[[nodiscard]] bool ReadYesNo(std::string_view value, bool* flag);
[[nodiscard]] bool ReadWholeNumber(std::string_view value, int lowest, int highest, int* number);

enum class AidLine { kNotOurs, kRead, kDamaged };
// One "key = value" line, already split and trimmed, into `aids`.
[[nodiscard]] AidLine ParsePlayerAidLine(std::string_view key, std::string_view value,
                                         PlayerAids* aids);
// The lines of a file, each ending in a newline.
std::string FormatPlayerAids(const PlayerAids& aids);

// What to keep of one setting at the end of a run: what the player changed
// it to during the run, else the file's value (already in `kept`).
template <typename T>
void KeepChanged(T* kept, const T& started, const T& atEnd) {
  if (atEnd != started) *kept = atEnd;
}

// As DisplaySettingsToSave: what the player changed during the run, else the file's.
PlayerAids PlayerAidsToSave(const PlayerAids& saved, const PlayerAids& started,
                            const PlayerAids& atEnd);

}  // namespace platform
