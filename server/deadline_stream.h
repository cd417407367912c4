// What a connection with a deadline for each request is made of, whatever
// carries its bytes (plain TCP or the server's own TLS): a stream whose every
// read ends by the current request's deadline, however the bytes trickle in,
// and whose writes wait at most the write timeout; and the loop that serves a
// connection's requests one after another, each with its own deadline.
#pragma once

#include <httplib.h>
#include <poll.h>

#include <chrono>
#include <cstddef>
#include <functional>

namespace server {

using SteadyClock = std::chrono::steady_clock;

// Waits until `sock` can be read (POLLIN) or written (POLLOUT) or `limit`
// passes; false when it passed or the socket failed.
[[nodiscard]] bool WaitFor(socket_t sock, short events, SteadyClock::time_point limit);

// The library's write timeout, in seconds and microseconds, as one span.
[[nodiscard]] std::chrono::milliseconds WriteTimeout(time_t seconds, time_t microseconds);

// Widens a bound socket's queue of connections not yet accepted to what the
// system allows. The library listens with 5: a burst of clients connecting
// at once overflows it, and the system then drops their connections or,
// past its SYN cookies, resets them after they sent their request.
bool WidenListenQueue(socket_t listening);

class DeadlineStream : public httplib::Stream {
 public:
  DeadlineStream(socket_t sock, std::chrono::milliseconds writeTimeout)
      : sock_(sock), writeTimeout_(writeTimeout) {}

  void SetDeadline(SteadyClock::time_point deadline) { deadline_ = deadline; }
  [[nodiscard]] SteadyClock::time_point deadline() const { return deadline_; }
  // Whether a next request begins within `wait`.
  [[nodiscard]] bool NextRequestWithin(std::chrono::seconds wait) const {
    return HasBuffered() || WaitFor(sock_, POLLIN, SteadyClock::now() + wait);
  }

  [[nodiscard]] bool is_readable() const override {
    return HasBuffered() || WaitFor(sock_, POLLIN, deadline_);
  }
  [[nodiscard]] bool is_writable() const override {
    return WaitFor(sock_, POLLOUT, SteadyClock::now() + writeTimeout_);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  [[nodiscard]] socket_t socket() const override { return sock_; }

 protected:
  // Bytes already read from the socket and not yet handed out: a client may
  // send its next request before the answer to this one.
  [[nodiscard]] virtual bool HasBuffered() const = 0;
  [[nodiscard]] std::chrono::milliseconds writeTimeout() const { return writeTimeout_; }

 private:
  socket_t sock_;
  SteadyClock::time_point deadline_{};
  std::chrono::milliseconds writeTimeout_;
};

struct ConnectionLimits {
  std::chrono::milliseconds requestDeadline;
  std::size_t keepAliveMaxCount;
  std::chrono::seconds keepAliveTimeout;
};

// Serves the connection's requests, each through `serveOne(last, closed)`,
// as many as keep-alive allows; between two, the client has the keep-alive
// timeout to begin the next. The first request's deadline is the one the
// stream holds already (it may have begun with a handshake); each later one
// gets the request deadline from its start. `stopping` says whether the
// server is stopping, which makes the request under way the last. False when
// a request failed.
bool ServeRequests(DeadlineStream& stream, const ConnectionLimits& limits,
                   const std::function<bool()>& stopping,
                   const std::function<bool(bool last, bool& closed)>& serveOne);

}  // namespace server
