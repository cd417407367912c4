// The world tables' HTTP API, the tables' page, the health and metrics
// answers and the browser game's files: what each request is answered, with
// no knowledge of the HTTP library that reads the requests off the wire
// (http_server.h puts them on one).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "server/answer.h"
#include "server/browser_policy.h"
#include "server/health.h"
#include "server/metrics.h"
#include "server/open_tickets.h"
#include "server/rate_limit.h"
#include "server/refusal_log.h"
#include "server/request.h"
#include "server/store.h"
#include "server/table_cache.h"
#include "server/verifier.h"

namespace server {

struct Service {
  Store* store = nullptr;
  Verifier* verifier = nullptr;
  Metrics* metrics = nullptr;
  RateLimit* rateLimit = nullptr;
  OpenTickets* openTickets = nullptr;         // none: tickets are not bounded
  RefusalLog* refusals = nullptr;             // none: every refusal is logged
  TableCache* tables = nullptr;               // none: every table read is made anew
  HealthCheck* health = nullptr;              // none: every /healthz probes the store
  std::optional<std::filesystem::path> site;  // none: no page at /
  BrowserPolicy browser;
};

// Judges a request on its head alone, before its body is read: the refusal
// (a client past its rate limit), or none when it may go on.
[[nodiscard]] std::optional<Answer> Admit(Service& service, const Request& head);

// The answer to a whole request.
[[nodiscard]] Answer Respond(Service& service, const Request& request);

// The refusal of a request that could not be read as one (400), whose body is
// too large (413), whose line or headers are (414, 431), that came without
// the length its body needs (411), or from a client that holds every
// connection it may (503).
[[nodiscard]] Answer Unreadable(Service& service, const Request& head, int status);

// Whether the route takes a body (a ticket's request, a submission): one sent
// without a length is refused rather than read as empty.
[[nodiscard]] bool TakesBody(const Request& head);

// The route a path belongs to, as the metrics and the log name it
// ("/api/v1/tickets/{id}/start"); "static" for any other. An empty method
// matches every method.
std::string RouteOf(const std::string& method, const std::string& path);

}  // namespace server
