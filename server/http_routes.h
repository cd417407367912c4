// The world tables' HTTP API, the tables' page, the health and metrics
// answers and the browser game's files, put on one HTTP server.
#pragma once

#include <httplib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "server/metrics.h"
#include "server/rate_limit.h"
#include "server/store.h"
#include "server/table_cache.h"
#include "server/verifier.h"

namespace server {

struct Service {
  Store* store = nullptr;
  Verifier* verifier = nullptr;
  Metrics* metrics = nullptr;
  RateLimit* rateLimit = nullptr;
  TableCache* tables = nullptr;               // none: every table read is made anew
  std::optional<std::filesystem::path> site;  // none: no page at /
};

void InstallRoutes(httplib::Server& http, Service& service);

// The route a path belongs to, as the metrics and the log name it
// ("/api/v1/tickets/{id}/start"); "static" for any other. An empty method
// matches every method.
std::string RouteOf(const std::string& method, const std::string& path);

}  // namespace server
