// The language the screens speak to the player, chosen by the program before
// the first screen and the same for the whole run. It changes no rule of the
// game: only which of a text's two forms is drawn or said.
#pragma once

#include "platform/base/language.h"

// Japanese until the program says otherwise.
void SetLanguage(platform::Language language);
platform::Language GetLanguage();

// The form of a text for the current language.
const char* Localized(const char* japanese, const char* english);
