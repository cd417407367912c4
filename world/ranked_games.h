// Ranked games: a ticket for each level fetched ahead (so starting a game
// never waits), the ticket's seed for the game, the start and end told to the
// server as they happen, and the finished game's replay sent with the
// player's name. None of it waits for an answer; a game whose ticket could
// not be had is played as always and is simply not ranked.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What became of the last game as far as the world table goes.
struct RankedOutcome {
  enum class Standing {
    kNone,       // no game since the title screen, or no server chosen
    kNotRanked,  // no ticket could be had: the server is out of reach
    kPlaying,    // a ranked game runs, or its result is not sent yet
    kSending,
    kRanked,   // the server took it: `rank` is its place
    kRefused,  // the server refused it: `reason` says why (English)
    kKept,     // no verdict came: kept and sent at the next start; `reason` says why
    kLost,     // no verdict came, and the result could not be kept: `reason` says why
  };
  Standing standing = Standing::kNone;
  int rank = 0;        // kRanked: 0 when the server entered it without telling the place
  std::string reason;  // English, printable ASCII; kNotRanked: the server and why
};

// Asks for a ticket for every level that has none at hand (nor on its way).
void PrefetchTickets();
// A game of `level` is starting: the seed of the level's ticket, taken, with
// the start told to the server and the next ticket asked for; nothing when
// no ticket is at hand (the game is then not ranked, which is said once).
std::optional<std::uint32_t> BeginRankedGame(int level);
// Called at the ranked game's ticks: every 10 s of the game's own clock, tells
// the server how long the game has run, so that its clock can be held to the
// server's over the whole game, and a game whose end stamp is lost is still
// vouched for.
void TellRankedProgress();
// The game left the play screen: at a game over the end is told (again after
// a failure, while it can still count); a game left with ESC is never ranked
// and its ticket is dropped.
void EndRankedGame(bool gameOver);
// Sends the finished ranked game (kept first, until the server has it).
void SubmitRankedGame(const std::string& nameUtf8, std::span<const std::uint8_t> replay);
// Sends again every kept result whose ticket has not expired, and drops the
// others; the file is read and pruned beside the game, which starts at once.
void ResendPendingResults();

[[nodiscard]] const RankedOutcome& LastRankedOutcome();
void ForgetRankedOutcome();
// What became of the results sent again at this start, in the order their
// verdicts came (each is also said on standard error and in the log).
[[nodiscard]] const std::vector<RankedOutcome>& EarlierRankedOutcomes();
