#include "tests/support/headless/host_script.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "platform/win32/win32.h"

namespace platform {

namespace {

struct NamedKey {
  const char* name;
  UINT code;
};

constexpr NamedKey kKeyNames[] = {
    {"RETURN", VK_RETURN}, {"ESC", VK_ESCAPE}, {"SPACE", VK_SPACE},
    {"LEFT", VK_LEFT},     {"UP", VK_UP},      {"RIGHT", VK_RIGHT},
    {"DOWN", VK_DOWN},     {"F1", VK_F1},      {"TAB", VK_TAB},
};

// How long a tap holds its key, as a typed key does on a real keyboard.
constexpr std::int64_t kTapMs = 6;

bool ParseNumber(const std::string& word, std::int64_t* value) {
  if (word.empty() || word.size() > 9) return false;
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  *value = std::strtoll(word.c_str(), nullptr, 10);
  return true;
}

bool ParseKey(const std::string& word, std::int64_t* code) {
  for (const NamedKey& key : kKeyNames) {
    if (word == key.name) {
      *code = key.code;
      return true;
    }
  }
  if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0]))) {
    *code = std::toupper(static_cast<unsigned char>(word[0]));
    return true;
  }
  return ParseNumber(word, code) && *code <= 0xFF;
}

// down and repeat press the key, up lets it go, key does both a tap apart.
bool ParseKeyLine(const std::string& verb, const std::string& argument,
                  std::vector<HostStep>* steps) {
  using Kind = HostStep::Kind;
  std::int64_t code = 0;
  if (!ParseKey(argument, &code)) return false;
  if (verb != "up") steps->push_back({Kind::kKeyDown, code, {}});
  if (verb == "key") steps->push_back({Kind::kWait, kTapMs, {}});
  if (verb == "up" || verb == "key") steps->push_back({Kind::kKeyUp, code, {}});
  return true;
}

bool ParseLine(const std::string& verb, const std::string& argument, std::vector<HostStep>* steps) {
  using Kind = HostStep::Kind;
  if (verb == "down" || verb == "repeat" || verb == "up" || verb == "key") {
    return ParseKeyLine(verb, argument, steps);
  }
  std::int64_t value = 0;
  if (verb == "focus" && (argument == "0" || argument == "1")) {
    steps->push_back({Kind::kFocus, argument == "1" ? 1 : 0, {}});
    return true;
  }
  if (verb == "wait" && ParseNumber(argument, &value)) {
    steps->push_back({Kind::kWait, value, {}});
    return true;
  }
  if (verb == "capture" && !argument.empty()) {
    steps->push_back({Kind::kCapture, 0, argument});
    return true;
  }
  if (verb == "close" && argument.empty()) {
    steps->push_back({Kind::kClose, 0, {}});
    return true;
  }
  return false;
}

}  // namespace

bool ParseHostScript(const std::string& text, std::vector<HostStep>* steps, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string verb;
    std::string argument;
    std::string extra;
    if (!(words >> verb)) continue;
    words >> argument;
    if ((words >> extra) || !ParseLine(verb, argument, steps)) {
      *error = "line " + std::to_string(number) + ": cannot run \"" + line + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace platform
