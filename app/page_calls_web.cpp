// What the browser's page asks of the running game (web/page.js calls these).
#include <emscripten.h>

#include <optional>
#include <string>

#include "ranking/name_setting.h"

// Keeps `utf8` as the player's name in the tables (zel.ini in the data
// folder, the working folder once the game runs). Empty when it is kept, else
// why not, in English, for the page to show.
extern "C" EMSCRIPTEN_KEEPALIVE const char* morvex2_set_player_name(const char* utf8) {
  static std::string error;
  error.clear();
  const std::optional<PlayerName> name = PlayerNameFromUtf8(utf8 != nullptr ? utf8 : "", &error);
  if (name && !WritePlayerName(*name, &error) && error.empty()) error = "cannot write zel.ini";
  return error.c_str();
}
