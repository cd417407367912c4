// What the server draws at random for a ticket, from the system's CSPRNG: a
// ticket's id is the only thing that lets a client redeem it, and its seed
// decides the game, so neither may be guessed or chosen.
//
// The tests fix the draws: with MORVEX2_SERVER_TEST_DRAWS set to a number, the
// server draws from a fixed sequence that starts there, so the same test gets
// the same tickets and the same games on every run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace server {

// 128 random bits as 32 lowercase hex digits.
std::string NewTicketId();
// A uniform 32-bit seed.
std::uint32_t NewSeed();
// True for 32 lowercase hex digits, the only form a ticket's id has.
[[nodiscard]] bool IsTicketId(std::string_view text);

}  // namespace server
