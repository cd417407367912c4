// Tickets: a ranked game's right to one entry. The server draws its id and
// its seed, stamps its own clock when the game starts and ends, and lets it be
// redeemed once, within a day of its issue.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "server/answer.h"
#include "server/store.h"

namespace server {

// A day after its issue: a game and then a day for a client that was offline
// to send its result again.
inline constexpr std::int64_t kTicketLifeMs = std::int64_t{24} * 60 * 60 * 1000;

// POST /api/v1/tickets with {"level":n}: 201 with the ticket, its seed, its
// level and how long it lives (also put in *given when there is one).
Answer IssueTicket(Store& store, std::string_view body, std::int64_t nowMs,
                   Ticket* given = nullptr);

// POST /api/v1/tickets/{id}/start and /end: 204; only the first call stamps.
// An end before the start is refused.
Answer StampStart(Store& store, std::string_view ticketId, std::int64_t nowMs);
Answer StampEnd(Store& store, std::string_view ticketId, std::int64_t nowMs);

// How often a ranked game tells its progress as it plays, by its own clock.
// The last progress that came vouches for a game whose end stamp never did,
// when the game ended within this (and the duration's slack) of it.
inline constexpr std::int64_t kProgressEveryMs = 10'000;

// POST /api/v1/tickets/{id}/progress with {"ms":n}, n the ms the game has run
// by its own clock: 204; the latest is kept. Refused before the start; passed
// over after the end.
Answer StampProgress(Store& store, std::string_view ticketId, std::string_view body,
                     std::int64_t nowMs);

// The ticket, or the refusal for one that is unknown, expired, or cannot be
// read just now.
std::optional<Answer> FindLiveTicket(Store& store, std::string_view ticketId, std::int64_t nowMs,
                                     Ticket* ticket);

// The level of a request's body or path: 0, 1 or 2.
[[nodiscard]] bool IsLevel(std::int64_t level);

}  // namespace server
