// morvex2-server's command line.
//
//   morvex2-server --data DIR --listen HOST:PORT [--database postgresql://...]
//                  [--site DIR] [--tls-cert FILE --tls-key FILE] [--threads N]
//                  [--request-deadline SECONDS] [--keep-alive SECONDS] [--rate-limit N]
//                  [--connections-per-address N] [--trusted-proxy ADDR[,ADDR...]]
//                  [--open-tickets N] [--open-tickets-per-address N]
//                  [--allow-origin ORIGIN[,ORIGIN...]]
//   morvex2-server verify-all (--data DIR | --database URL)
//   morvex2-server remove ID --why TEXT (--data DIR | --database URL)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace server {

enum class Command { kServe, kVerifyAll, kRemove };

struct ServerOptions {
  Command command = Command::kServe;
  std::string dataFolder;  // the SQLite file's folder
  std::string database;    // a PostgreSQL connection URL; when given, the folder is not used
  std::string host = "127.0.0.1";
  int port = 8770;
  std::optional<std::string> site;
  std::string tlsCert;
  std::string tlsKey;
  int threads = 32;  // the workers that answer requests
  int requestDeadlineS = 10;
  int keepAliveTimeoutS = 5;  // how long an idle connection is kept for its next request
  int rateLimitPerMinute = 60;
  int connectionsPerAddress = 64;  // 0: no cap
  // The reverse proxies believed about the player they forward
  // (X-Forwarded-For), as NormalAddress writes them.
  std::vector<std::string> trustedProxies;
  // Tickets open at once (given, neither redeemed nor expired): from one
  // address, and in all. A player takes one a game; a household or a school
  // behind one address may have a few hundred in a day.
  int openTicketsPerAddress = 300;
  int openTickets = 100'000;
  // Pages elsewhere that may write to the tables ("https://example.org").
  std::vector<std::string> allowedOrigins;
  std::int64_t removeId = 0;
  std::string why;
};

// False, with one line in `error`, for a command line it cannot follow.
[[nodiscard]] bool ParseServerOptions(const std::vector<std::string>& arguments,
                                      ServerOptions* options, std::string* error);

extern const char kServerUsage[];

}  // namespace server
