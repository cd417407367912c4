// The HTTP server with a deadline for each request. The HTTP library serves
// each connection on one thread of a fixed pool and times out each read
// alone, so a client that sends a byte every few seconds would keep its
// thread for hours, and a handful of them every thread. Here each request has
// to arrive whole within its deadline; a client that trickles is cut off and
// its thread goes back to the pool.
#pragma once

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>

namespace server {

class DeadlineServer : public httplib::Server {
 public:
  explicit DeadlineServer(std::chrono::milliseconds requestDeadline)
      : requestDeadline_(requestDeadline) {}

  // The library listens with a queue of 5 connections not yet accepted: a burst of clients
  // connecting at once overflows it, and the system then drops their connections or, past
  // its SYN cookies, resets them after they sent their request. Called once bound, this
  // widens the queue to what the system allows.
  bool WidenListenQueue() { return ::listen(svr_sock_, SOMAXCONN) == 0; }

 private:
  bool process_and_close_socket(socket_t sock) override;

  std::chrono::milliseconds requestDeadline_;
};

}  // namespace server
