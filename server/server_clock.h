// The server's own clock, in ms since 1970 UTC: tickets' issue and expiry,
// the start and end stamps a game's duration is measured between, the dates of
// entries. The tests set it: with MORVEX2_SERVER_TEST_CLOCK naming a file,
// the clock reads the number of ms written in it, so a test can let a game
// last twenty minutes or a ticket a day without waiting for either.
#pragma once

#include <cstdint>

namespace server {

std::int64_t ServerNowMs();

}  // namespace server
