// The server's own TLS with the same deadline for each request as plain
// HTTP (deadline_server.h). The library's TLS server times out each read
// alone, and a blocking read inside TLS waits for a whole record however
// slowly its bytes come, so a client sending a byte every fraction of a
// second would keep a thread for as long as it liked. Here the connection's
// socket does not block: every TLS read, write and the handshake wait for
// the socket only until the request's deadline, and the handshake counts
// toward the first request's.
#pragma once

#include <httplib.h>

#include <chrono>

#include "server/deadline_stream.h"

namespace server {

class TlsDeadlineServer : public httplib::SSLServer {
 public:
  TlsDeadlineServer(const char* certPath, const char* keyPath,
                    std::chrono::milliseconds requestDeadline)
      : httplib::SSLServer(certPath, keyPath), requestDeadline_(requestDeadline) {}

  // Called once bound.
  bool WidenListenQueue() { return server::WidenListenQueue(svr_sock_); }

 private:
  bool process_and_close_socket(socket_t sock) override;

  std::chrono::milliseconds requestDeadline_;
};

}  // namespace server
