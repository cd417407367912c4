// The game's texts are Shift-JIS (code page 932), as the original's were;
// the desktop around it speaks UTF-8.
#pragma once

#include <string>

namespace platform {

// The text as UTF-8. Undecodable bytes become '?', so that a broken text still
// says something; null is the empty text.
std::string Utf8FromShiftJis(const char* text);

}  // namespace platform
