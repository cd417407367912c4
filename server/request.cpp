#include "server/request.h"

#include <algorithm>
#include <cctype>

namespace server {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::optional<std::string_view> Request::Header(std::string_view name) const {
  const auto found = std::ranges::find_if(
      headers, [name](const auto& header) { return SameName(header.first, name); });
  if (found == headers.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string_view> Request::Headers(std::string_view name) const {
  std::vector<std::string_view> values;
  for (const auto& [header, value] : headers) {
    if (SameName(header, name)) values.emplace_back(value);
  }
  return values;
}

}  // namespace server
