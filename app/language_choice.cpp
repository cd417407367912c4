#include "app/language_choice.h"

platform::Language ChooseLanguage(const CommandLine& options, platform::DisplaySettings* started,
                                  platform::Language desktop) {
  if (options.language.has_value()) started->language = options.language;
  return started->language.value_or(desktop);
}
