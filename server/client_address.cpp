#include "server/client_address.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>

#include "server/comma_list.h"

namespace server {

std::optional<std::string> NormalAddress(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty() || text.size() > INET6_ADDRSTRLEN) return std::nullopt;
  const std::string asked(text);
  std::array<char, INET6_ADDRSTRLEN> written{};
  in_addr v4{};
  if (inet_pton(AF_INET, asked.c_str(), &v4) == 1) {
    return inet_ntop(AF_INET, &v4, written.data(), written.size());
  }
  in6_addr v6{};
  if (inet_pton(AF_INET6, asked.c_str(), &v6) != 1) return std::nullopt;
  if (IN6_IS_ADDR_V4MAPPED(&v6)) {
    std::copy_n(v6.s6_addr + 12, 4, reinterpret_cast<unsigned char*>(&v4.s_addr));
    return inet_ntop(AF_INET, &v4, written.data(), written.size());
  }
  return inet_ntop(AF_INET6, &v6, written.data(), written.size());
}

std::optional<std::vector<std::string>> AddressList(std::string_view text) {
  std::vector<std::string> addresses;
  for (const std::string_view entry : CommaEntries(text)) {
    const std::optional<std::string> address = NormalAddress(entry);
    if (!address) return std::nullopt;
    addresses.push_back(*address);
  }
  return addresses;
}

bool TrustedProxies::Trusts(std::string_view peer) const {
  return std::ranges::find(addresses_, peer) != addresses_.end();
}

std::optional<std::string> TrustedProxies::ClientOf(const std::string& peer,
                                                    const Request& head) const {
  if (!Trusts(peer)) return peer;
  // Every X-Forwarded-For line, in order, is one list.
  std::vector<std::string_view> hops;
  for (const std::string_view line : head.Headers("X-Forwarded-For")) {
    const std::vector<std::string_view> entries = CommaEntries(line);
    hops.insert(hops.end(), entries.begin(), entries.end());
  }
  std::string client = peer;
  for (auto hop = hops.rbegin(); hop != hops.rend(); ++hop) {
    const std::optional<std::string> address = NormalAddress(*hop);
    if (!address) return std::nullopt;
    client = *address;
    if (!Trusts(client)) break;
  }
  return client;
}

}  // namespace server
