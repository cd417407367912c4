#include "server/tls_deadline_server.h"

#include <fcntl.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace server {
namespace {

// What TLS asks for before it can go on, waited for until `limit`; false
// when the connection failed or the time is up.
bool WaitForTls(SSL* ssl, socket_t sock, int result, SteadyClock::time_point limit) {
  switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ:
      return WaitFor(sock, POLLIN, limit);
    case SSL_ERROR_WANT_WRITE:
      return WaitFor(sock, POLLOUT, limit);
    default:
      return false;
  }
}

class TlsDeadlineStream final : public DeadlineStream {
 public:
  TlsDeadlineStream(socket_t sock, SSL* ssl, std::chrono::milliseconds writeTimeout)
      : DeadlineStream(sock, writeTimeout), ssl_(ssl) {}

  ssize_t read(char* ptr, size_t size) override {
    const int wanted = static_cast<int>(std::min<size_t>(size, INT_MAX));
    for (;;) {
      const int got = SSL_read(ssl_, ptr, wanted);
      if (got > 0) return got;
      if (SSL_get_error(ssl_, got) == SSL_ERROR_ZERO_RETURN) return 0;
      if (!WaitForTls(ssl_, socket(), got, deadline())) return -1;
    }
  }

  ssize_t write(const char* ptr, size_t size) override {
    const int offered = static_cast<int>(std::min<size_t>(size, INT_MAX));
    const SteadyClock::time_point limit = SteadyClock::now() + writeTimeout();
    for (;;) {
      const int sent = SSL_write(ssl_, ptr, offered);
      if (sent > 0) return sent;
      if (!WaitForTls(ssl_, socket(), sent, limit)) return -1;
    }
  }

 private:
  [[nodiscard]] bool HasBuffered() const override { return SSL_pending(ssl_) > 0; }

  SSL* ssl_;
};

struct SslFree {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};

// The handshake, until `limit`.
bool Accept(SSL* ssl, socket_t sock, SteadyClock::time_point limit) {
  for (;;) {
    const int result = SSL_accept(ssl);
    if (result == 1) return true;
    if (!WaitForTls(ssl, sock, result, limit)) return false;
  }
}

}  // namespace

bool TlsDeadlineServer::process_and_close_socket(socket_t sock) {
  bool ok = false;
  const int flags = fcntl(sock, F_GETFL);
  const std::unique_ptr<SSL, SslFree> ssl(SSL_new(ssl_context()));
  if (flags >= 0 && fcntl(sock, F_SETFL, flags | O_NONBLOCK) == 0 && ssl &&
      SSL_set_fd(ssl.get(), sock) == 1) {
    TlsDeadlineStream stream(sock, ssl.get(),
                             WriteTimeout(write_timeout_sec_, write_timeout_usec_));
    stream.SetDeadline(SteadyClock::now() + requestDeadline_);
    if (Accept(ssl.get(), sock, stream.deadline())) {
      const ConnectionLimits limits{
          .requestDeadline = requestDeadline_,
          .keepAliveMaxCount = keep_alive_max_count_,
          .keepAliveTimeout = std::chrono::seconds(keep_alive_timeout_sec_)};
      ok = ServeRequests(
          stream, limits, [this] { return svr_sock_ == INVALID_SOCKET; },
          [&](bool last, bool& closed) {
            return process_request(stream, last, closed,
                                   [&](httplib::Request& request) { request.ssl = ssl.get(); });
          });
      // Said only to a client that behaved; one cut off gets no more of our time.
      if (ok) SSL_shutdown(ssl.get());
    }
  }
  shutdown(sock, SHUT_RDWR);
  close(sock);
  return ok;
}

}  // namespace server
