#include "server/deadline_server.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace server {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Waits until `sock` can be read (or written) or `limit` passes.
bool WaitFor(socket_t sock, short events, SteadyClock::time_point limit) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(limit - SteadyClock::now());
    if (left.count() <= 0) return false;
    pollfd entry{.fd = sock, .events = events, .revents = 0};
    const int ready =
        poll(&entry, 1, static_cast<int>(std::min<std::int64_t>(left.count(), 60000)));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

void AddressOf(int (*name)(int, sockaddr*, socklen_t*), socket_t sock, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (name(sock, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    port = ntohs(v4->sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    port = ntohs(v6->sin6_port);
  }
  ip = text;
}

// A connection's stream: every read ends by the current request's deadline,
// however the bytes trickle in; a write waits at most the write timeout. What
// it has read past one request (a client may send the next before the
// answer) stays for the next.
class DeadlineStream final : public httplib::Stream {
 public:
  DeadlineStream(socket_t sock, std::chrono::milliseconds writeTimeout)
      : sock_(sock), writeTimeout_(writeTimeout) {}

  void SetDeadline(SteadyClock::time_point deadline) { deadline_ = deadline; }
  // Whether a next request begins within `wait`.
  [[nodiscard]] bool NextRequestWithin(std::chrono::seconds wait) const {
    return begin_ < end_ || WaitFor(sock_, POLLIN, SteadyClock::now() + wait);
  }

  [[nodiscard]] bool is_readable() const override {
    return begin_ < end_ || WaitFor(sock_, POLLIN, deadline_);
  }
  [[nodiscard]] bool is_writable() const override {
    return WaitFor(sock_, POLLOUT, SteadyClock::now() + writeTimeout_);
  }

  ssize_t read(char* ptr, size_t size) override {
    if (begin_ == end_) {
      if (!WaitFor(sock_, POLLIN, deadline_)) return -1;
      ssize_t got = 0;
      do {
        got = recv(sock_, buffer_.data(), buffer_.size(), 0);
      } while (got < 0 && errno == EINTR);
      if (got <= 0) return got;
      begin_ = 0;
      end_ = static_cast<std::size_t>(got);
    }
    const std::size_t take = std::min(size, end_ - begin_);
    std::memcpy(ptr, buffer_.data() + begin_, take);
    begin_ += take;
    return static_cast<ssize_t>(take);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    ssize_t sent = 0;
    do {
      sent = send(sock_, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(&getpeername, sock_, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(&getsockname, sock_, ip, port);
  }
  [[nodiscard]] socket_t socket() const override { return sock_; }

 private:
  socket_t sock_;
  SteadyClock::time_point deadline_{};
  std::chrono::milliseconds writeTimeout_;
  std::array<char, 4096> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace

// The connection's requests, each with its own deadline, as many as
// keep-alive allows; between two, the client has the keep-alive timeout to
// begin the next.
bool DeadlineServer::process_and_close_socket(socket_t sock) {
  const std::chrono::milliseconds writeTimeout =
      std::chrono::seconds(write_timeout_sec_) +
      std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::microseconds(write_timeout_usec_));
  bool ok = true;
  DeadlineStream stream(sock, writeTimeout);
  for (std::size_t served = 0; served < keep_alive_max_count_; ++served) {
    if (served > 0 && !stream.NextRequestWithin(std::chrono::seconds(keep_alive_timeout_sec_))) {
      break;
    }
    stream.SetDeadline(SteadyClock::now() + requestDeadline_);
    const bool last = served + 1 == keep_alive_max_count_ || svr_sock_ == INVALID_SOCKET;
    bool closed = false;
    ok = process_request(stream, last, closed, nullptr);
    if (!ok || closed || last) break;
  }
  shutdown(sock, SHUT_RDWR);
  close(sock);
  return ok;
}

}  // namespace server
