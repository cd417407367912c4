#include "world/ranked_games.h"

#include <array>

#include "formats/base64.h"
#include "platform/win32/host.h"
#include "world/pending_submissions.h"
#include "world/world_answers.h"
#include "world/world_server.h"

namespace {

// A ticket is used well before it expires: a game of hours still ends inside
// its life, and the server keeps a day for a result sent again later.
constexpr std::int64_t kTicketMarginS = std::int64_t{6} * 3600;
// Short for a ticket, which is asked for long before it is needed; longer for
// a result, whose body may be tens of kilobytes on a slow line.
constexpr int kTicketTimeoutMs = 5000;
constexpr int kStampTimeoutMs = 5000;
constexpr int kSubmitTimeoutMs = 30000;
// How often a ranked game tells the server how long it has run by its own
// clock; the server's bound for a game whose end stamp is lost is this.
constexpr std::int64_t kProgressEveryMs = 10'000;
// The end stamp is the server's measure of the game only when it arrives
// within the server's slack of the end (2 s): it is tried again on a failure
// until then, a few times, and no more. Past that the last progress vouches.
constexpr std::int64_t kEndStampHelpsMs = 2000;
constexpr int kEndStampTries = 4;

struct HeldTicket {
  WorldTicket ticket;
  std::int64_t expiresAtS = 0;
};

struct RankedGames {
  std::array<std::optional<HeldTicket>, kWorldLevels> tickets;
  std::array<bool, kWorldLevels> asking{};
  std::optional<HeldTicket> game;  // the ticket of the game on the play screen or just over
  bool gameOver = false;
  std::int64_t startedMs = 0;       // the game's start on the game's clock
  std::int64_t nextProgressMs = 0;  // how long it will have run at its next progress
  RankedOutcome outcome;
  std::uint64_t generation = 0;  // answers from before a reset are ignored
  std::uint64_t gameNumber = 0;  // an answer about an older game leaves the outcome alone
};

RankedGames g_games;

std::int64_t NowS() {
  return platform::GameClock().UnixSeconds();
}

std::int64_t NowMs() {
  return platform::GameClock().NowMs();
}

std::string Why(const platform::net::HttpResponse& response) {
  if (response.status == 0) return "cannot be reached (" + response.error + ")";
  return "answered " + std::to_string(response.status);
}

void AskForTicket(int level) {
  if (g_games.asking[level]) return;
  g_games.asking[level] = true;
  platform::net::HttpRequest request =
      WorldRequest("POST", "/tickets", "{\"level\":" + std::to_string(level) + "}");
  request.timeoutMs = kTicketTimeoutMs;
  const std::uint64_t generation = g_games.generation;
  platform::net::SendRequest(std::move(request), [level, generation](const auto& response) {
    if (generation != g_games.generation) return;
    g_games.asking[level] = false;
    std::optional<WorldTicket> ticket;
    if (response.status == 201) ticket = ReadTicketAnswer(response.body);
    if (!ticket || ticket->level != level) {
      if (response.status == 201) SayServerUnreachable("gave a ticket that cannot be read");
      return;
    }
    NoteServerAnswered();
    g_games.tickets[level] = HeldTicket{*ticket, NowS() + ticket->expiresInS};
  });
}

bool Fresh(const std::optional<HeldTicket>& held) {
  return held && held->expiresAtS - kTicketMarginS > NowS();
}

void Stamp(const HeldTicket& held, const char* what, std::string body = {}) {
  platform::net::HttpRequest request =
      WorldRequest("POST", "/tickets/" + held.ticket.id + "/" + what, std::move(body));
  request.timeoutMs = kStampTimeoutMs;
  platform::net::SendRequest(std::move(request), nullptr);
}

// The end, told again while a failure leaves time for it to count.
void StampEnd(const std::string& ticketId, std::int64_t endedMs, int tries) {
  platform::net::HttpRequest request = WorldRequest("POST", "/tickets/" + ticketId + "/end");
  request.timeoutMs = static_cast<int>(kEndStampHelpsMs);
  const std::uint64_t generation = g_games.generation;
  platform::net::SendRequest(std::move(request), [ticketId, endedMs, tries, generation](
                                                     const platform::net::HttpResponse& response) {
    if (generation != g_games.generation || !IsPassingFailure(response)) return;
    if (tries + 1 >= kEndStampTries || NowMs() - endedMs >= kEndStampHelpsMs) return;
    StampEnd(ticketId, endedMs, tries + 1);
  });
}

// What an answer to a result says of it. A result the server could not take
// now stays kept, for the next start; any other answer settles it.
RankedOutcome OutcomeOf(const platform::net::HttpResponse& response) {
  RankedOutcome outcome;
  if (IsPassingFailure(response)) {
    outcome.standing = RankedOutcome::Standing::kKept;
    outcome.reason = Why(response);
    return outcome;
  }
  const std::optional<WorldVerdict> verdict = ReadSubmissionAnswer(response.status, response.body);
  if (verdict && verdict->accepted) {
    outcome.standing = RankedOutcome::Standing::kRanked;
    outcome.rank = verdict->rank;
  } else {
    outcome.standing = RankedOutcome::Standing::kRefused;
    outcome.reason = verdict ? verdict->reason : Why(response);
  }
  return outcome;
}

void Send(const PendingSubmission& kept, bool thisGame) {
  platform::net::HttpRequest request =
      WorldRequestTo(kept.serverUrl, "POST", "/tickets/" + kept.ticket + "/replay", kept.body);
  request.timeoutMs = kSubmitTimeoutMs;
  const std::uint64_t generation = g_games.generation;
  const std::uint64_t game = thisGame ? g_games.gameNumber : 0;
  const std::string ticket = kept.ticket;
  platform::net::SendRequest(
      std::move(request), [game, ticket, generation](const platform::net::HttpResponse& response) {
        const RankedOutcome outcome = OutcomeOf(response);
        if (outcome.standing != RankedOutcome::Standing::kKept) {
          NoteServerAnswered();
          (void)ForgetSubmission(ticket);
        }
        // The kept file is looked after whatever came since; the outcome only
        // speaks of the game just played.
        if (game != 0 && game == g_games.gameNumber && generation == g_games.generation) {
          g_games.outcome = outcome;
        }
      });
}

}  // namespace

void PrefetchTickets() {
  if (!WorldServerChosen()) return;
  for (int level = 0; level < kWorldLevels; ++level) {
    if (!Fresh(g_games.tickets[level])) AskForTicket(level);
  }
}

std::optional<std::uint32_t> BeginRankedGame(int level) {
  g_games.game.reset();
  g_games.gameOver = false;
  g_games.outcome = {};
  ++g_games.gameNumber;
  if (!WorldServerChosen() || level < 0 || level >= kWorldLevels) return std::nullopt;
  std::optional<HeldTicket> held;
  held.swap(g_games.tickets[level]);
  if (!Fresh(held)) {
    AskForTicket(level);
    g_games.outcome.standing = RankedOutcome::Standing::kNotRanked;
    SayServerUnreachable("gave no ticket in time");
    return std::nullopt;
  }
  // The start first: the server measures the game from its arrival.
  Stamp(*held, "start");
  AskForTicket(level);
  g_games.game = held;
  g_games.startedMs = NowMs();
  g_games.nextProgressMs = kProgressEveryMs;
  g_games.outcome.standing = RankedOutcome::Standing::kPlaying;
  return held->ticket.seed;
}

void EndRankedGame(bool gameOver) {
  if (!g_games.game) return;
  if (!gameOver) {
    g_games.game.reset();
    g_games.outcome = {};
    return;
  }
  g_games.gameOver = true;
  StampEnd(g_games.game->ticket.id, NowMs(), 0);
}

void TellRankedProgress() {
  if (!g_games.game || g_games.gameOver) return;
  const std::int64_t run = NowMs() - g_games.startedMs;
  if (run < g_games.nextProgressMs) return;
  // Once per period of the game's clock; periods spent in the background,
  // when no tick comes, are not made up.
  g_games.nextProgressMs = (run / kProgressEveryMs + 1) * kProgressEveryMs;
  Stamp(*g_games.game, "progress", "{\"ms\":" + std::to_string(run) + "}");
}

void SubmitRankedGame(const std::string& nameUtf8, std::span<const std::uint8_t> replay) {
  if (!g_games.game || !g_games.gameOver) return;
  PendingSubmission kept;
  kept.ticket = g_games.game->ticket.id;
  kept.expiresAtS = g_games.game->expiresAtS;
  kept.serverUrl = WorldServerUrl();
  kept.body = SubmissionBody(nameUtf8, formats::EncodeBase64(replay));
  g_games.game.reset();
  (void)SavePendingSubmission(kept);
  g_games.outcome.standing = RankedOutcome::Standing::kSending;
  Send(kept, true);
}

void ResendPendingResults() {
  const std::vector<PendingSubmission> kept = ReadPendingSubmissions();
  for (const PendingSubmission& one : kept) {
    // The file is the player's to edit: only a ticket, to a server address, goes out.
    const bool sendable = IsTicketId(one.ticket) && ServerUrlFrom(one.serverUrl) == one.serverUrl;
    if (!sendable || one.expiresAtS <= NowS()) {
      (void)ForgetSubmission(one.ticket);
    } else {
      Send(one, false);
    }
  }
}

const RankedOutcome& LastRankedOutcome() {
  return g_games.outcome;
}

void ForgetRankedOutcome() {
  g_games.outcome = {};
}

void ResetRankedGames() {
  const std::uint64_t generation = g_games.generation + 1;
  g_games = RankedGames{};
  g_games.generation = generation;
}
