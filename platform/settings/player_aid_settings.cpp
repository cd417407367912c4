#include "platform/settings/player_aid_settings.h"

#include <algorithm>
#include <charconv>

namespace platform {

namespace {

AidLine Read(bool read) {
  return read ? AidLine::kRead : AidLine::kDamaged;
}

}  // namespace

bool ReadYesNo(std::string_view value, bool* flag) {
  if (value != "yes" && value != "no") return false;
  *flag = value == "yes";
  return true;
}

bool ReadWholeNumber(std::string_view value, int lowest, int highest, int* number) {
  const char* end = value.data() + value.size();
  int read = 0;
  const auto [stop, error] = std::from_chars(value.data(), end, read);
  if (error != std::errc{} || stop != end || read < lowest || read > highest) return false;
  *number = read;
  return true;
}

// A volume written by hand between two steps moves to the next step either way.
int VolumeStep(int volume, int steps) {
  constexpr int kStep = PlayerAids::kVolumeStep;
  const int from = std::clamp(volume, 0, 100);
  const int onStep = steps > 0 ? from / kStep : (from + kStep - 1) / kStep;
  return std::clamp((onStep + steps) * kStep, 0, 100);
}

AidLine ParsePlayerAidLine(std::string_view key, std::string_view value, PlayerAids* aids) {
  if (key == "mute") return Read(ReadYesNo(value, &aids->mute));
  if (key == "volume") return Read(ReadWholeNumber(value, 0, 100, &aids->volume));
  if (key == "colour-aid") return Read(ReadYesNo(value, &aids->colourAid));
  return AidLine::kNotOurs;
}

std::string FormatPlayerAids(const PlayerAids& aids) {
  std::string text = "mute = ";
  text += aids.mute ? "yes\n" : "no\n";
  text += "volume = " + std::to_string(aids.volume) + "\n";
  text += "colour-aid = ";
  text += aids.colourAid ? "yes\n" : "no\n";
  return text;
}

PlayerAids PlayerAidsToSave(const PlayerAids& saved, const PlayerAids& started,
                            const PlayerAids& atEnd) {
  PlayerAids kept = saved;
  KeepChanged(&kept.mute, started.mute, atEnd.mute);
  KeepChanged(&kept.volume, started.volume, atEnd.volume);
  KeepChanged(&kept.colourAid, started.colourAid, atEnd.colourAid);
  return kept;
}

}  // namespace platform
