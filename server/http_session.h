// One client's connection: its requests read one after another, each whole
// within its deadline and within the bounds of http_head.h, answered by the
// routes on the workers' threads so that the thread serving the connections
// never waits for a store or a game's playback.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/thread_pool.hpp>
#include <chrono>
#include <memory>

#include "server/address_counts.h"
#include "server/client_address.h"
#include "server/http_routes.h"

namespace server {

// What every connection shares; touched only on the connections' thread.
struct Connections {
  Service& service;
  boost::asio::io_context& loop;
  boost::asio::thread_pool& workers;
  TrustedProxies proxies;
  std::chrono::seconds requestDeadline;
  std::chrono::seconds keepAliveTimeout;
  AddressCounts perAddress;  // connections, or a proxy's requests under way, per client
  int open = 0;              // connections open
  int busy = 0;              // requests read and not yet answered
  bool stopping = false;     // answers close their connections
};

// Serves `socket` (through TLS when `tls` is given) until the client or the
// server ends it.
void StartSession(const std::shared_ptr<Connections>& connections,
                  boost::asio::ip::tcp::socket socket, boost::asio::ssl::context* tls);

}  // namespace server
