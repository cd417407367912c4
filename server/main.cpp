// morvex2-server: the world tables. It gives tickets for ranked games, plays
// every submitted game back before it enters a table, and serves the tables,
// their replays and the browser game's page. See server_options.h for the
// command line and docs/HOSTING.md.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "server/health.h"
#include "server/http_server.h"
#include "server/metrics.h"
#include "server/open_tickets.h"
#include "server/rate_limit.h"
#include "server/refusal_log.h"
#include "server/server_clock.h"
#include "server/server_options.h"
#include "server/site_files.h"
#include "server/store.h"
#include "server/submission.h"
#include "server/verifier.h"
#include "verify/replay_playback.h"

namespace {

using namespace server;

constexpr int kFailed = 1;
constexpr int kUsage = 2;

std::unique_ptr<Store> OpenStore(const ServerOptions& options) {
  std::string error;
  std::unique_ptr<Store> store;
  if (!options.database.empty()) {
    store = OpenPostgresStore(options.database, &error);
  } else {
    // The replays and names of players are the operator's to keep, not every
    // user's of the machine to read: a folder the server makes is its own, and
    // so are the database's files. A folder that is there already keeps its
    // mode: it may be shared (the system's temporary folder is everyone's).
    umask(0077);
    std::error_code made;
    std::filesystem::create_directories(options.dataFolder, made);
    store = OpenSqliteStore((std::filesystem::path(options.dataFolder) / "world.sqlite").string(),
                            &error);
  }
  if (!store) std::fprintf(stderr, "morvex2-server: %s\n", error.c_str());
  return store;
}

// What an entry's game must match in its ticket, once its replay has played back.
struct TicketClaim {
  std::int64_t entryId = 0;
  std::string ticketId;
  std::uint32_t seed = 0;
  std::int32_t level = 0;
};

// An entry's replay is its ticket's game only when it was played from the ticket's seed at the
// ticket's level: a replay swapped for another ticket's game keeps its own numbers.
bool MatchesTicket(Store& store, const TicketClaim& claim) {
  Ticket ticket;
  const StoreResult found = store.FindTicket(claim.ticketId, &ticket);
  if (found == StoreResult::kOk && ticket.seed == claim.seed && ticket.level == claim.level) {
    return true;
  }
  if (found == StoreResult::kOk) {
    std::printf(
        "entry %lld is not its ticket's game: the ticket's seed %u and level %d, the replay's "
        "seed %u and level %d\n",
        static_cast<long long>(claim.entryId), ticket.seed, ticket.level, claim.seed, claim.level);
  } else {
    std::printf("entry %lld is not its ticket's game: its ticket %s\n",
                static_cast<long long>(claim.entryId),
                found == StoreResult::kNotFound ? "is not in the database" : "cannot be read");
  }
  return false;
}

int VerifyAll(Store& store) {
  int checked = 0;
  int differ = 0;
  // The tickets are looked up once the walk is over: the store is busy with the walk meanwhile.
  std::vector<TicketClaim> claims;
  const StoreResult result = store.ForEachEntry([&](const Entry& entry) {
    ++checked;
    Replay replay;
    std::string error;
    if (!DecodeReplay(entry.replay, &replay, &error)) {
      ++differ;
      std::printf("entry %lld does not read: %s\n", static_cast<long long>(entry.id),
                  error.c_str());
      return;
    }
    const PlaybackResult played = PlayBackReplay(replay);
    if (!Reproduces(replay, played) || replay.score != entry.score ||
        replay.removedCount != entry.removedCount || replay.level != entry.level) {
      ++differ;
      std::printf(
          "entry %lld no longer reproduces: stored score %d, removed %d; played back score %d, "
          "removed %d\n",
          static_cast<long long>(entry.id), entry.score, entry.removedCount, played.score,
          played.removedCount);
      return;
    }
    claims.push_back({entry.id, entry.ticketId, replay.seed, replay.level});
  });
  if (result != StoreResult::kOk) {
    std::fprintf(stderr, "morvex2-server: the database cannot be read\n");
    return kFailed;
  }
  for (const TicketClaim& claim : claims) {
    if (!MatchesTicket(store, claim)) ++differ;
  }
  std::printf("%d entries checked, %d do not reproduce\n", checked, differ);
  return differ == 0 ? 0 : kFailed;
}

int Remove(Store& store, const ServerOptions& options) {
  switch (store.Remove(options.removeId, options.why, ServerNowMs())) {
    case StoreResult::kOk:
      std::printf("entry %lld removed\n", static_cast<long long>(options.removeId));
      return 0;
    case StoreResult::kNotFound:
      std::fprintf(stderr, "morvex2-server: no entry %lld\n",
                   static_cast<long long>(options.removeId));
      return kFailed;
    default:
      std::fprintf(stderr, "morvex2-server: the database cannot be written\n");
      return kFailed;
  }
}

int Serve(Store& store, const ServerOptions& options) {
  Metrics metrics;
  Verifier verifier(&metrics);
  RateLimit rateLimit(options.rateLimitPerMinute, std::chrono::minutes(1));
  OpenTickets openTickets(options.openTicketsPerAddress, options.openTickets);
  RefusalLog refusals;
  // A second: the other processes' new entries show within it.
  TableCache tables(std::chrono::seconds(1));
  HealthCheck health([&store] { return Health(store); });
  Service service{
      .store = &store,
      .verifier = &verifier,
      .metrics = &metrics,
      .rateLimit = &rateLimit,
      .openTickets = &openTickets,
      .refusals = &refusals,
      .tables = &tables,
      .health = &health,
      .site = options.site ? std::optional(std::filesystem::path(*options.site)) : InstalledSite(),
      .browser = {.allowedOrigins = options.allowedOrigins, .tls = !options.tlsCert.empty()}};
  return ServeHttp(options, service) ? 0 : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  ServerOptions options;
  std::string error;
  if (!ParseServerOptions(arguments, &options, &error)) {
    std::fprintf(stderr, "morvex2-server: %s\n%s", error.c_str(), kServerUsage);
    return kUsage;
  }
  // A client that goes away mid-answer must not end the server.
  signal(SIGPIPE, SIG_IGN);
  const std::unique_ptr<Store> store = OpenStore(options);
  if (!store) return kFailed;
  switch (options.command) {
    case Command::kVerifyAll:
      return VerifyAll(*store);
    case Command::kRemove:
      return Remove(*store, options);
    case Command::kServe:
      break;
  }
  return Serve(*store, options);
}
