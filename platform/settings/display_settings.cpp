#include "platform/settings/display_settings.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "platform/base/files.h"
#include "platform/base/log.h"
#include "platform/base/user_folders.h"
#include "platform/base/whole_file.h"

namespace platform {

namespace {

// Far more than the few lines of a real file: anything longer is not one.
constexpr std::size_t kLongestFile = 4096;
constexpr int kLargestWindow = 16384;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool ParseWindow(std::string_view text, DisplaySettings* settings) {
  const std::size_t times = text.find('x');
  return times != std::string_view::npos &&
         ReadWholeNumber(text.substr(0, times), 1, kLargestWindow, &settings->windowWidth) &&
         ReadWholeNumber(text.substr(times + 1), 1, kLargestWindow, &settings->windowHeight);
}

// The address is checked where it is used; here only that it is one word.
bool ParseServer(std::string_view value, DisplaySettings* settings) {
  if (value.empty() || value.find_first_of(" \t") != std::string_view::npos) return false;
  settings->server = std::string(value);
  return true;
}

// One "key = value" line into `settings`; false for anything else.
bool ParseLine(std::string_view line, DisplaySettings* settings) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view key = Trim(line.substr(0, equals));
  const std::string_view value = Trim(line.substr(equals + 1));
  if (key == "fullscreen") return ReadYesNo(value, &settings->fullscreen);
  if (key == "window") return ParseWindow(value, settings);
  if (const AidLine aid = ParsePlayerAidLine(key, value, &settings->aids);
      aid != AidLine::kNotOurs) {
    return aid == AidLine::kRead;
  }
  if (key == "scale") {
    if (value != "smooth" && value != "pixel-exact") return false;
    settings->scale = value == "smooth" ? ScaleMode::kSmooth : ScaleMode::kPixelExact;
    return true;
  }
  if (key == "server") return ParseServer(value, settings);
  if (key == "lang") {
    settings->language = LanguageNamed(value);
    return settings->language.has_value();
  }
  return false;
}

}  // namespace

std::string FormatDisplaySettings(const DisplaySettings& settings) {
  std::string text = "# Morvex2: how the screen was left; rewritten when the game ends.\n";
  text += "fullscreen = ";
  text += settings.fullscreen ? "yes\n" : "no\n";
  if (settings.windowWidth > 0 && settings.windowHeight > 0) {
    text += "window = " + std::to_string(settings.windowWidth) + "x" +
            std::to_string(settings.windowHeight) + "\n";
  }
  text += "scale = ";
  text += settings.scale == ScaleMode::kSmooth ? "smooth\n" : "pixel-exact\n";
  if (settings.language) text += std::string("lang = ") + LanguageName(*settings.language) + "\n";
  text += FormatPlayerAids(settings.aids);
  if (!settings.server.empty()) text += "server = " + settings.server + "\n";
  return text;
}

std::optional<DisplaySettings> ParseDisplaySettings(std::string_view text) {
  if (text.size() > kLongestFile || text.find('\0') != std::string_view::npos) return std::nullopt;
  DisplaySettings settings;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    const std::string_view line = Trim(text.substr(0, newline));
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (line.empty() || line.front() == '#') continue;
    if (!ParseLine(line, &settings)) return std::nullopt;
  }
  return settings;
}

std::string DisplaySettingsPath() {
  const std::string folder = SettingsFolder();
  return folder.empty() ? folder : folder + "/display.conf";
}

DisplaySettings LoadDisplaySettings(const std::string& path) {
  if (path.empty() || (!InfoOf(path, Links::kFollow) && errno == ENOENT)) return {};
  const std::optional<std::vector<std::uint8_t>> bytes = ReadSmallFile(path, kLongestFile);
  std::optional<DisplaySettings> settings;
  if (bytes) {
    settings = ParseDisplaySettings(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  }
  if (!settings) {
    LogError("ignoring " + path, "damaged or unknown");
    return {};
  }
  return *settings;
}

bool SaveDisplaySettings(const DisplaySettings& settings, const std::string& path) {
  if (path.empty()) return false;
  const std::string text = FormatDisplaySettings(settings);
  const bool written =
      MakeFolders(FolderOf(path)) &&
      WriteWholeFile(path,
                     std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                     WriteMode::kReplace);
  if (!written) {
    LogErrno("the screen settings were not kept: writing " + path, errno);
  }
  return written;
}

DisplaySettings DisplaySettingsToSave(const DisplaySettings& saved, const DisplaySettings& started,
                                      const DisplaySettings& atEnd) {
  DisplaySettings kept = saved;
  KeepChanged(&kept.fullscreen, started.fullscreen, atEnd.fullscreen);
  KeepChanged(&kept.scale, started.scale, atEnd.scale);
  if (atEnd.windowWidth != started.windowWidth || atEnd.windowHeight != started.windowHeight) {
    kept.windowWidth = atEnd.windowWidth;
    kept.windowHeight = atEnd.windowHeight;
  }
  kept.language = started.language;
  kept.server = started.server;
  kept.aids = PlayerAidsToSave(saved.aids, started.aids, atEnd.aids);
  return kept;
}

}  // namespace platform
