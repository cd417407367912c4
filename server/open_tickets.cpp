#include "server/open_tickets.h"

#include "server/rate_limit.h"

namespace server {

namespace {

// A ticket is redeemed within minutes of its game: a client at its bound
// has a place again soon after one of its games is entered.
constexpr int kFullRetryAfterS = 60;

}  // namespace

std::optional<Answer> OpenTickets::Reserve(std::string_view address, std::int64_t nowMs) {
  const std::lock_guard lock(mutex_);
  DropExpired(nowMs);
  if (inAll_ > 0 && held_ >= static_cast<std::size_t>(inAll_)) {
    return Refusal(503, "too-many-tickets",
                   "The server holds as many open tickets as it takes; try again later.",
                   kFullRetryAfterS);
  }
  const std::string key = ClientKey(address);
  int& mine = perKey_[key];
  if (perAddress_ > 0 && mine >= perAddress_) {
    return Refusal(503, "too-many-tickets",
                   "This address holds as many open tickets as one may; finish or wait for one "
                   "to expire.",
                   kFullRetryAfterS);
  }
  ++mine;
  ++held_;
  return std::nullopt;
}

void OpenTickets::Keep(std::string_view address, const std::string& ticketId,
                       std::int64_t expiresMs) {
  const std::lock_guard lock(mutex_);
  byTicket_[ticketId] = {.key = ClientKey(address), .expiresMs = expiresMs};
  byExpiry_.emplace(expiresMs, ticketId);
}

void OpenTickets::Release(std::string_view address) {
  const std::lock_guard lock(mutex_);
  Free(ClientKey(address));
}

void OpenTickets::Closed(std::string_view ticketId) {
  const std::lock_guard lock(mutex_);
  const auto found = byTicket_.find(std::string(ticketId));
  if (found == byTicket_.end()) return;
  auto [first, last] = byExpiry_.equal_range(found->second.expiresMs);
  for (; first != last; ++first) {
    if (first->second == ticketId) {
      byExpiry_.erase(first);
      break;
    }
  }
  Free(found->second.key);
  byTicket_.erase(found);
}

std::size_t OpenTickets::Count(std::int64_t nowMs) {
  const std::lock_guard lock(mutex_);
  DropExpired(nowMs);
  return byTicket_.size();
}

void OpenTickets::DropExpired(std::int64_t nowMs) {
  while (!byExpiry_.empty() && byExpiry_.begin()->first < nowMs) {
    const auto found = byTicket_.find(byExpiry_.begin()->second);
    if (found != byTicket_.end()) {
      Free(found->second.key);
      byTicket_.erase(found);
    }
    byExpiry_.erase(byExpiry_.begin());
  }
}

void OpenTickets::Free(const std::string& key) {
  const auto found = perKey_.find(key);
  if (found != perKey_.end() && --found->second <= 0) perKey_.erase(found);
  if (held_ > 0) --held_;
}

}  // namespace server
