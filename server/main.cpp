// morvex2-server: the world tables. It gives tickets for ranked games, plays
// every submitted game back before it enters a table, and serves the tables,
// their replays and the browser game's page. See server_options.h for the
// command line and the README's "Hosting the world tables".
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/deadline_server.h"
#include "server/http_binding.h"
#include "server/http_routes.h"
#include "server/metrics.h"
#include "server/open_tickets.h"
#include "server/rate_limit.h"
#include "server/refusal_log.h"
#include "server/server_clock.h"
#include "server/server_options.h"
#include "server/site_files.h"
#include "server/store.h"
#include "server/submission.h"
#include "server/tls_deadline_server.h"
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

int VerifyAll(Store& store) {
  int checked = 0;
  int differ = 0;
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
    }
  });
  if (result != StoreResult::kOk) {
    std::fprintf(stderr, "morvex2-server: the database cannot be read\n");
    return kFailed;
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

std::unique_ptr<httplib::Server> MakeHttpServer(const ServerOptions& options) {
  if (!options.tlsCert.empty()) {
    auto tls = std::make_unique<TlsDeadlineServer>(options.tlsCert.c_str(), options.tlsKey.c_str(),
                                                   std::chrono::seconds(options.requestDeadlineS));
    if (!tls->is_valid()) {
      std::fprintf(stderr, "morvex2-server: cannot use the certificate %s with the key %s\n",
                   options.tlsCert.c_str(), options.tlsKey.c_str());
      return nullptr;
    }
    return tls;
  }
  return std::make_unique<DeadlineServer>(std::chrono::seconds(options.requestDeadlineS));
}

int Serve(Store& store, const ServerOptions& options) {
  std::unique_ptr<httplib::Server> http = MakeHttpServer(options);
  if (!http) return kFailed;
  Metrics metrics;
  Verifier verifier(&metrics);
  RateLimit rateLimit(options.rateLimitPerMinute, std::chrono::minutes(1));
  OpenTickets openTickets(options.openTicketsPerAddress, options.openTickets);
  RefusalLog refusals;
  // A second: the other processes' new entries show within it.
  TableCache tables(std::chrono::seconds(1));
  Service service{
      .store = &store,
      .verifier = &verifier,
      .metrics = &metrics,
      .rateLimit = &rateLimit,
      .openTickets = &openTickets,
      .refusals = &refusals,
      .tables = &tables,
      .site = options.site ? std::optional(std::filesystem::path(*options.site)) : InstalledSite(),
      .browser = {.allowedOrigins = options.allowedOrigins, .tls = !options.tlsCert.empty()}};
  BindRoutes(*http, service);
  const int threads = options.threads;
  // The library owns the pool it is given and deletes it when it stops.
  // NOLINTNEXTLINE(cppcoreguidelines-owning-memory)
  http->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  http->set_payload_max_length(kMaxSubmissionBytes);
  // An answer goes out in two writes, its head and its body: without this, the body waits
  // for the client to acknowledge the head, which a client delays by up to 40 ms.
  http->set_tcp_nodelay(true);
  http->set_read_timeout(options.requestDeadlineS, 0);

  const int port = options.port == 0
                       ? http->bind_to_any_port(options.host)
                       : (http->bind_to_port(options.host, options.port) ? options.port : -1);
  if (port < 0) {
    std::fprintf(stderr, "morvex2-server: cannot listen on %s:%d\n", options.host.c_str(),
                 options.port);
    return kFailed;
  }
  if (auto* plain = dynamic_cast<DeadlineServer*>(http.get())) plain->WidenListenQueue();
  if (auto* tls = dynamic_cast<TlsDeadlineServer*>(http.get())) tls->WidenListenQueue();
  // SIGTERM (systemd, the tests) and SIGINT end the server: waited for on a
  // thread of its own, which stops the listening; requests under way finish.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    http->stop();
  });
  std::printf("listening on %s:%d\n", options.host.c_str(), port);
  std::fflush(stdout);
  const bool listened = http->listen_after_bind();
  if (!listened) {
    // The listening ended by itself: let the signal thread go too.
    kill(getpid(), SIGTERM);
  }
  stopper.join();
  return listened ? 0 : kFailed;
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
