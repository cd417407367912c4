// Whose request it is. A server behind a reverse proxy sees every player
// come from the proxy; only a proxy the operator named is believed about the
// player it forwards (X-Forwarded-For), so that a player who sends the header
// himself cannot pass for another.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/request.h"

namespace server {

// An address written one way: IPv4 dotted, IPv6 compressed, and an IPv4
// address carried in IPv6 (::ffff:a.b.c.d) as the IPv4 it is; none when
// `text` is no address.
[[nodiscard]] std::optional<std::string> NormalAddress(std::string_view text);

// ADDR[,ADDR...] written as NormalAddress writes them; none when an entry is
// no address.
[[nodiscard]] std::optional<std::vector<std::string>> AddressList(std::string_view text);

class TrustedProxies {
 public:
  // `addresses` as NormalAddress writes them.
  explicit TrustedProxies(std::vector<std::string> addresses) : addresses_(std::move(addresses)) {}

  [[nodiscard]] bool Trusts(std::string_view peer) const;

  // The player's address: `peer`'s own, or for a trusted proxy the nearest
  // address in X-Forwarded-For that is not one of the proxies (a proxy adds
  // the address it was reached from at the end). None when a trusted proxy
  // forwards a list that does not read as addresses.
  [[nodiscard]] std::optional<std::string> ClientOf(const std::string& peer,
                                                    const Request& head) const;

 private:
  std::vector<std::string> addresses_;
};

}  // namespace server
