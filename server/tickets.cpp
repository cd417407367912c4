#include "server/tickets.h"

#include <nlohmann/json.hpp>

#include "server/random_draw.h"

namespace server {

bool IsLevel(std::int64_t level) {
  return level >= 0 && level <= 2;
}

Answer IssueTicket(Store& store, std::string_view body, std::int64_t nowMs, Ticket* given) {
  const nlohmann::json request = nlohmann::json::parse(body, nullptr, false);
  if (!request.is_object()) {
    return Refusal(400, "bad-json", "The request is not a JSON object.");
  }
  const auto level = request.find("level");
  if (level == request.end() || !level->is_number_integer() ||
      !IsLevel(level->get<std::int64_t>())) {
    return Refusal(400, "bad-level", "The level must be 0, 1 or 2.");
  }
  // A game played on a ticket of a damaged store might never be kept.
  if (const std::string damage = store.Damage(); !damage.empty()) return StoreDamaged(damage);
  Ticket ticket;
  ticket.id = NewTicketId();
  ticket.level = static_cast<std::int32_t>(level->get<std::int64_t>());
  ticket.seed = NewSeed();
  ticket.issuedMs = nowMs;
  ticket.expiresMs = nowMs + kTicketLifeMs;
  const StoreResult added = store.AddTicket(ticket);
  if (added == StoreResult::kConflict) {
    // 128 random bits met an id already given: draw again once more.
    ticket.id = NewTicketId();
    if (store.AddTicket(ticket) != StoreResult::kOk) return StoreUnavailable();
  } else if (added != StoreResult::kOk) {
    return StoreUnavailable();
  }
  const nlohmann::json answer = {{"ticket", ticket.id},
                                 {"seed", ticket.seed},
                                 {"level", ticket.level},
                                 {"expiresInS", kTicketLifeMs / 1000}};
  if (given != nullptr) *given = ticket;
  return JsonAnswer(201, answer.dump());
}

std::optional<Answer> FindLiveTicket(Store& store, std::string_view ticketId, std::int64_t nowMs,
                                     Ticket* ticket) {
  const auto unknown = [] { return Refusal(404, "unknown-ticket", "No ticket has this id."); };
  if (!IsTicketId(ticketId)) return unknown();
  switch (store.FindTicket(ticketId, ticket)) {
    case StoreResult::kOk:
      break;
    case StoreResult::kNotFound:
      return unknown();
    default:
      return StoreUnavailable();
  }
  if (nowMs > ticket->expiresMs) {
    return Refusal(410, "expired-ticket",
                   "The ticket has expired: tickets live 24 hours after they are given.");
  }
  return std::nullopt;
}

namespace {

Answer Stamped(StoreResult result) {
  switch (result) {
    case StoreResult::kOk:
      return PlainAnswer(204, "", "");
    case StoreResult::kNotFound:
      return Refusal(404, "unknown-ticket", "No ticket has this id.");
    default:
      return StoreUnavailable();
  }
}

}  // namespace

Answer StampStart(Store& store, std::string_view ticketId, std::int64_t nowMs) {
  Ticket ticket;
  if (auto refusal = FindLiveTicket(store, ticketId, nowMs, &ticket)) return *refusal;
  if (ticket.startedMs) return Stamped(StoreResult::kOk);
  return Stamped(store.MarkStarted(ticketId, nowMs));
}

Answer StampEnd(Store& store, std::string_view ticketId, std::int64_t nowMs) {
  Ticket ticket;
  if (auto refusal = FindLiveTicket(store, ticketId, nowMs, &ticket)) return *refusal;
  if (!ticket.startedMs) {
    return Refusal(409, "not-started", "The game's start was never told to the server.");
  }
  if (ticket.endedMs) return Stamped(StoreResult::kOk);
  return Stamped(store.MarkEnded(ticketId, nowMs));
}

Answer StampProgress(Store& store, std::string_view ticketId, std::string_view body,
                     std::int64_t nowMs) {
  const nlohmann::json request = nlohmann::json::parse(body, nullptr, false);
  const auto ms = request.is_object() ? request.find("ms") : request.end();
  if (!request.is_object() || ms == request.end() || !ms->is_number_integer() ||
      ms->get<std::int64_t>() < 0 || ms->get<std::int64_t>() > 0xFFFFFFFF) {
    return Refusal(400, "bad-json", "The progress needs ms, the game's own ms since its start.");
  }
  Ticket ticket;
  if (auto refusal = FindLiveTicket(store, ticketId, nowMs, &ticket)) return *refusal;
  if (!ticket.startedMs) {
    return Refusal(409, "not-started", "The game's start was never told to the server.");
  }
  if (ticket.endedMs || ticket.redeemed) return Stamped(StoreResult::kOk);
  return Stamped(store.MarkProgress(ticketId, ms->get<std::int64_t>(), nowMs));
}

}  // namespace server
