// A finished ranked game sent to be entered: its ticket, the player's name
// and the replay. It enters its level's table only when every check passes,
// in this order: the body and its JSON; the ticket (known, not expired); the
// replay reads under every rule of the replay reader; its seed and level are
// the ticket's; the ticket was never redeemed; the game was not left with ESC
// and its start was stamped; playing it back gives exactly the score, removed
// count and ending it claims; every tick of its timer comes at a time the
// game's clock gives (timer_rhythm.h); its recorded length agrees with the length the
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

// The largest body a submission may have: 1 MiB. The committed games take
// 0.7 to 1.7 KB of replay a minute (a tick or a key a byte or two, up to 16
// messages a second at the advanced level), so this holds some eight hours of
// the fastest play in base64; 64 KiB would have held barely half an hour.
// Playing a whole 1 MiB of replay back costs about 60 ms.
inline constexpr std::size_t kMaxSubmissionBytes = std::size_t{1} << 20;

// How far a game's recorded length may stray from the length the server
// measured between its start and end stamps: 2 s for the requests' travel,
// and 2 % for clocks that run a little apart.
inline constexpr std::int64_t kDurationSlackMs = 2000;
inline constexpr std::int64_t kDurationSlackPercent = 2;

// How long after a beat of its timer's rhythm a true game's tick may come:
// the game takes a tick once the frame it is drawing is flipped, and a busy
// machine draws slowly (the first tick also waits for the play screen's
// pictures to load). Measured over real games on a busy machine: up to 480
// ms on Linux under Xvfb, 345 ms under Wine, 250 ms in a browser whose
// processor is slowed four times (tools/measure/tick_lateness.sh,
// tests/web/tick_lateness.mjs); this leaves room above them. A timer whose
// period is shorter than this (the advanced level's fall, a clearing step, a
// fast drop) is held to its ticks never coming early.
inline constexpr std::int64_t kTickLateMs = 600;

// The game's length as its replay records it: the time of its last message.
[[nodiscard]] std::int64_t RecordedDurationMs(const Replay& replay);

// POST /api/v1/tickets/{id}/replay: 201 with the entry and its rank, or the
// refusal.
Answer Submit(Store& store, Verifier& verifier, std::string_view ticketId, std::string_view body,
              std::int64_t nowMs);

}  // namespace server
