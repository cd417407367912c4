// A finished ranked game sent to be entered: its ticket, the player's name
// and the replay. It enters its level's table only when every check passes,
// in this order: the body and its JSON; the ticket (known, not expired); the
// replay reads under every rule of the replay reader; its seed and level are
// the ticket's; the ticket was never redeemed; the game was not left with ESC
// and its start was stamped; playing it back gives exactly the score, removed
// count and ending it claims; its recorded length agrees with the length the
// server measured; the name is one the tables can hold. Every refusal names
// its code and reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "server/answer.h"
#include "server/store.h"
#include "server/verifier.h"

namespace server {

// The largest body a submission may have. A replay takes one to two bytes a
// message, so this holds several hours of play in base64.
inline constexpr std::size_t kMaxSubmissionBytes = 64 * 1024;

// How far a game's recorded length may stray from the length the server
// measured between its start and end stamps: 2 s for the requests' travel,
// and 2 % for clocks that run a little apart.
inline constexpr std::int64_t kDurationSlackMs = 2000;
inline constexpr std::int64_t kDurationSlackPercent = 2;

// The game's length as its replay records it: the time of its last message.
[[nodiscard]] std::int64_t RecordedDurationMs(const Replay& replay);

// POST /api/v1/tickets/{id}/replay: 201 with the entry and its rank, or the
// refusal.
Answer Submit(Store& store, Verifier& verifier, std::string_view ticketId, std::string_view body,
              std::int64_t nowMs);

}  // namespace server
