// Which language a run speaks, and which the screen settings keep of it.
#pragma once

#include "app/command_line.h"
#include "platform/base/language.h"
#include "platform/settings/display_settings.h"

// --lang when given, else the language the player chose before (kept in the
// screen settings `started` was loaded from), else `desktop`, the locale's.
// A --lang choice goes into `started`, whose language is kept at the end of
// the run: it is the player's from then on.
platform::Language ChooseLanguage(const CommandLine& options, platform::DisplaySettings* started,
                                  platform::Language desktop);
