// The server's HTTP: one thread serves every connection, event by event, so
// that thousands of idle or slow clients cost memory, not threads; the routes
// answer on a pool of workers (the store's waits, the games' playback); the
// server's own TLS for a host without a proxy in front.
#pragma once

#include "server/http_routes.h"
#include "server/server_options.h"

namespace server {

// Serves `service` as `options` say until SIGTERM or SIGINT, when it stops
// listening and finishes the requests under way. Says "listening on
// HOST:PORT" on the standard output once it listens; false when it cannot.
[[nodiscard]] bool ServeHttp(const ServerOptions& options, Service& service);

}  // namespace server
