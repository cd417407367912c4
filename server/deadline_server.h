// The HTTP server with a deadline for each request. The HTTP library serves
// each connection on one thread of a fixed pool and times out each read
// alone, so a client that sends a byte every few seconds would keep its
// thread for hours, and a handful of them every thread. Here each request has
// to arrive whole within its deadline; a client that trickles is cut off and
// its thread goes back to the pool. (tls_deadline_server.h: the same over the
// server's own TLS.)
#pragma once

#include <httplib.h>

#include <chrono>

#include "server/deadline_stream.h"

namespace server {

class DeadlineServer : public httplib::Server {
 public:
  explicit DeadlineServer(std::chrono::milliseconds requestDeadline)
      : requestDeadline_(requestDeadline) {}

  // Called once bound.
  bool WidenListenQueue() { return server::WidenListenQueue(svr_sock_); }

 private:
  bool process_and_close_socket(socket_t sock) override;

  std::chrono::milliseconds requestDeadline_;
};

}  // namespace server
