#include "display/message_box.h"

#include <string>

#include "core/language.h"
#include "display/messages.h"
#include "platform/base/log.h"

void ShowDisplayMessage(HWND hwnd, const char* text, const char* english) {
  MessageBoxA(hwnd, text, display_text::kCaption, MB_OK);
  if (GetLanguage() == platform::Language::kEnglish) {
    platform::LogLine(std::string(display_text::kCaption) + ": " + english);
  }
}
