#include "world/ranked_games.h"

#include <array>
#include <memory>
#include <set>

#include "formats/base64.h"
#include "platform/base/log.h"
#include "platform/net/beside.h"
#include "platform/win32/host.h"
#include "world/pending_submissions.h"
#include "world/ranked_games_testing.h"
#include "world/world_answers.h"
#include "world/world_server.h"

namespace {

using platform::net::HttpResponse;
using platform::net::RunBeside;

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
  std::array<std::string, kWorldLevels> ticketTrouble;  // why the last ask gave none
  std::optional<HeldTicket> game;  // the ticket of the game on the play screen or just over
  bool gameOver = false;
  std::int64_t startedMs = 0;       // the game's start on the game's clock
  std::int64_t nextProgressMs = 0;  // how long it will have run at its next progress
  RankedOutcome outcome;
  std::vector<RankedOutcome> earlier;  // results of earlier games, sent again
  // Tickets whose results this data folder's file holds: the server's "used"
  // for one of them means a copy from the file was entered.
  std::set<std::string> keptTickets;
  std::set<std::string> toForget;  // settled, waiting for the file's next rewrite
  bool forgetting = false;
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

std::string Why(const HttpResponse& response) {
  if (response.status == 0) return "cannot be reached (" + response.error + ")";
  return "answered " + std::to_string(response.status);
}

// The server as the player named it, without its scheme.
std::string ServerShown(const std::string& url) {
  const std::size_t scheme = url.find("://");
  return scheme == std::string::npos ? url : url.substr(scheme + 3);
}

// A ticket's answer, read beside the game: kept for the level, or why not.
void TakeTicket(int level, std::uint64_t generation, const std::optional<WorldTicket>& ticket,
                bool given, const std::string& why) {
  if (generation != g_games.generation) return;
  g_games.asking[level] = false;
  if (!ticket || ticket->level != level) {
    g_games.ticketTrouble[level] = why;
    if (given) SayServerUnreachable(why);
    return;
  }
  NoteServerAnswered();
  g_games.ticketTrouble[level].clear();
  g_games.tickets[level] = HeldTicket{*ticket, NowS() + ticket->expiresInS};
}

void AskForTicket(int level) {
  if (g_games.asking[level]) return;
  g_games.asking[level] = true;
  platform::net::HttpRequest request =
      WorldRequest("POST", "/tickets", "{\"level\":" + std::to_string(level) + "}");
  request.timeoutMs = kTicketTimeoutMs;
  const std::uint64_t generation = g_games.generation;
  platform::net::SendRequest(std::move(request), [level, generation](const HttpResponse& answer) {
    auto ticket = std::make_shared<std::optional<WorldTicket>>();
    const bool given = answer.status == 201;
    const std::string why = given ? "gave a ticket that cannot be read" : Why(answer);
    platform::net::Work read;
    if (given) read = [ticket, body = answer.body] { *ticket = ReadTicketAnswer(body); };
    RunBeside(std::move(read), [level, generation, ticket, given, why] {
      TakeTicket(level, generation, *ticket, given, why);
    });
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

// Settled results leave the file together, in one rewrite, however many
// verdicts came while the last one was written.
void ForgetSettled() {
  if (g_games.forgetting || g_games.toForget.empty()) return;
  g_games.forgetting = true;
  const std::uint64_t generation = g_games.generation;
  RunBeside([tickets = std::exchange(g_games.toForget, {}),
             now = NowS()] { (void)ForgetSubmissions(tickets, now); },
            [generation] {
              if (generation != g_games.generation) return;
              g_games.forgetting = false;
              ForgetSettled();
            });
}

// What an answer to a result says of it. Only the server's own verdict
// settles it; anything else keeps it for the next start.
RankedOutcome OutcomeOf(const std::string& ticket, const std::optional<WorldVerdict>& verdict,
                        const std::string& why) {
  RankedOutcome outcome;
  if (!verdict) {
    outcome.standing = RankedOutcome::Standing::kKept;
    outcome.reason = why;
  } else if (verdict->accepted) {
    outcome.standing = RankedOutcome::Standing::kRanked;
    outcome.rank = verdict->rank;
  } else if (verdict->code == "ticket-used" && g_games.keptTickets.contains(ticket)) {
    // Another copy of this result, from the file (a second game on this data
    // folder sent it, or an answer was lost on its way), is in: the ticket
    // is this game's alone.
    outcome.standing = RankedOutcome::Standing::kRanked;
  } else {
    outcome.standing = RankedOutcome::Standing::kRefused;
    outcome.reason = verdict->reason;
  }
  return outcome;
}

// The line said on standard error and in the log.
std::string SaidOf(const RankedOutcome& outcome) {
  using Standing = RankedOutcome::Standing;
  switch (outcome.standing) {
    case Standing::kRanked:
      return outcome.rank > 0
                 ? "was entered in the world table at rank " + std::to_string(outcome.rank)
                 : std::string("was entered in the world table");
    case Standing::kRefused:
      return "was refused by the world server: " + outcome.reason;
    case Standing::kKept:
      return "is kept and sent again at the next start: the world server " + outcome.reason;
    case Standing::kLost:
      return "was not sent, and could not be kept: " + outcome.reason;
    default:
      return {};
  }
}

// What a result's answer, read beside the game, comes to: the file looked
// after whatever came since, and the outcome said and kept for the screen.
// `game` is the number of the game it is the result of, 0 for an earlier one.
void Settle(const std::string& ticket, std::uint64_t game, std::uint64_t generation, bool inFile,
            const std::optional<WorldVerdict>& verdict, const std::string& why) {
  using Standing = RankedOutcome::Standing;
  RankedOutcome outcome = OutcomeOf(ticket, verdict, why);
  if (outcome.standing != Standing::kKept) {
    g_games.toForget.insert(ticket);
    ForgetSettled();
  }
  if (generation != g_games.generation) return;
  if (outcome.standing != Standing::kKept) {
    NoteServerAnswered();
  } else if (!inFile) {
    outcome.standing = Standing::kLost;
    outcome.reason =
        "the world server " + why + ", and the file of kept results could not be written";
  }
  const std::string said = SaidOf(outcome);
  if (game == 0) {
    platform::LogLine("morvex2: a result kept from an earlier game " + said);
    g_games.earlier.push_back(std::move(outcome));
    return;
  }
  // An entry or a refusal is on the screen; what the player must look for
  // later is in the log too.
  const bool settled =
      outcome.standing == Standing::kRanked || outcome.standing == Standing::kRefused;
  if (!settled) platform::LogLine("morvex2: the result of this game " + said);
  if (game == g_games.gameNumber) g_games.outcome = std::move(outcome);
}

void Send(const PendingSubmission& kept, bool thisGame, bool inFile) {
  platform::net::HttpRequest request =
      WorldRequestTo(kept.serverUrl, "POST", "/tickets/" + kept.ticket + "/replay", kept.body);
  request.timeoutMs = kSubmitTimeoutMs;
  const std::uint64_t generation = g_games.generation;
  const std::uint64_t game = thisGame ? g_games.gameNumber : 0;
  const std::string ticket = kept.ticket;
  platform::net::SendRequest(std::move(request), [=](const HttpResponse& answer) {
    auto verdict = std::make_shared<std::optional<WorldVerdict>>();
    RunBeside([verdict, status = answer.status,
               body = answer.body] { *verdict = ReadSubmissionAnswer(status, body); },
              [=, why = Why(answer)] { Settle(ticket, game, generation, inFile, *verdict, why); });
  });
}

bool Sendable(const PendingSubmission& one) {
  // The file is the player's to edit: only a ticket, to a server address, goes out.
  return IsTicketId(one.ticket) && ServerUrlFrom(one.serverUrl) == one.serverUrl;
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
  g_games.earlier.clear();
  ++g_games.gameNumber;
  if (!WorldServerChosen() || level < 0 || level >= kWorldLevels) return std::nullopt;
  std::optional<HeldTicket> held;
  held.swap(g_games.tickets[level]);
  if (!Fresh(held)) {
    const std::string why = g_games.ticketTrouble[level].empty() ? "gave no ticket in time"
                                                                 : g_games.ticketTrouble[level];
    AskForTicket(level);
    g_games.outcome.standing = RankedOutcome::Standing::kNotRanked;
    g_games.outcome.reason = "no ticket from " + ServerShown(WorldServerUrl()) + ": it " + why;
    SayServerUnreachable(why);
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
  g_games.outcome.standing = RankedOutcome::Standing::kSending;
  // Kept first, then sent: a result is never only in the air.
  auto saved = std::make_shared<bool>(false);
  const std::uint64_t generation = g_games.generation;
  const std::uint64_t game = g_games.gameNumber;
  RunBeside(
      [kept, saved, now = NowS()] {
        std::string why;
        *saved = SavePendingSubmission(kept, now, &why);
      },
      [kept, saved, generation, game] {
        if (generation != g_games.generation) return;
        if (*saved) g_games.keptTickets.insert(kept.ticket);
        // A game begun since has its own outcome; this one's result still goes.
        Send(kept, game == g_games.gameNumber, *saved);
      });
}

void ResendPendingResults() {
  auto pass = std::make_shared<PendingPass>();
  const std::uint64_t generation = g_games.generation;
  RunBeside([pass, now = NowS()] { *pass = PrunePendingSubmissions(now, &Sendable); },
            [pass, generation] {
              if (generation != g_games.generation) return;
              for (const PendingSubmission& one : pass->live) {
                g_games.keptTickets.insert(one.ticket);
                Send(one, false, true);
              }
            });
}

const RankedOutcome& LastRankedOutcome() {
  return g_games.outcome;
}

void ForgetRankedOutcome() {
  g_games.outcome = {};
}

const std::vector<RankedOutcome>& EarlierRankedOutcomes() {
  return g_games.earlier;
}

void ResetRankedGames() {
  const std::uint64_t generation = g_games.generation + 1;
  g_games = RankedGames{};
  g_games.generation = generation;
}
