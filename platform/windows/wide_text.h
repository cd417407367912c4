// The game's texts and paths are UTF-8 inside; Windows takes and gives them
// as UTF-16 at its wide (W) calls. Only Windows builds have these.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace platform
