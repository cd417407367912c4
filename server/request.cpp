#include "server/request.h"

#include <algorithm>
#include <cctype>

namespace server {

std::optional<std::string_view> Request::Header(std::string_view name) const {
  const auto sameName = [name](const std::pair<std::string, std::string>& header) {
    return std::ranges::equal(header.first, name, [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) ==
             std::tolower(static_cast<unsigned char>(b));
    });
  };
  const auto found = std::ranges::find_if(headers, sameName);
  if (found == headers.end()) return std::nullopt;
  return found->second;
}

}  // namespace server
