// The tickets this server has given that are still open: neither redeemed nor
// expired. Each is a row in the database until it expires, so one client
// asking for ticket after ticket could fill the disk: no address may hold
// more than its share open at once, nor all addresses together more than the
// whole. The addresses are held only here, in memory, never in the database
// or the log; a server that restarts starts counting afresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "server/answer.h"

namespace server {

class OpenTickets {
 public:
  // 0 for either: no bound of that kind.
  OpenTickets(int perAddress, int inAll) : perAddress_(perAddress), inAll_(inAll) {}

  // Holds a place for a ticket for `address`, or the refusal (503, Retry-After) when the
  // address or the server already holds its bound. A place held is given back with Keep
  // (the ticket was given) or Release (it was not).
  [[nodiscard]] std::optional<Answer> Reserve(std::string_view address, std::int64_t nowMs);
  void Keep(std::string_view address, const std::string& ticketId, std::int64_t expiresMs);
  void Release(std::string_view address);
  // The ticket was redeemed (or found used): its place is free again.
  void Closed(std::string_view ticketId);

  // How many are open now.
  [[nodiscard]] std::size_t Count(std::int64_t nowMs);

 private:
  void DropExpired(std::int64_t nowMs);
  void Free(const std::string& key);

  struct Open {
    std::string key;  // the address's ClientKey
    std::int64_t expiresMs = 0;
  };
  const int perAddress_;
  const int inAll_;
  std::mutex mutex_;
  std::unordered_map<std::string, Open> byTicket_;
  std::multimap<std::int64_t, std::string> byExpiry_;  // expiry -> ticket id
  std::unordered_map<std::string, int> perKey_;        // open and reserved, by address
  std::size_t held_ = 0;                               // open and reserved in all
};

}  // namespace server
