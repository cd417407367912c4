// What a client asks the server, as read off its connection by whatever reads
// HTTP: the routes answer this, and never see the library that parsed it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace server {

struct Request {
  std::string method;
  std::string path;   // percent-decoded, without the query
  std::string query;  // what followed the '?', as sent
  std::vector<std::pair<std::string, std::string>> headers;
  std::string clientAddress;  // the player's, as far as the server can tell
  std::string body;

  // The first header of that name (in any case), or none.
  [[nodiscard]] std::optional<std::string_view> Header(std::string_view name) const;
  // Every header of that name, in the order they came.
  [[nodiscard]] std::vector<std::string_view> Headers(std::string_view name) const;
};

}  // namespace server
