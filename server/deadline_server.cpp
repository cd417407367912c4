#include "server/deadline_server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace server {
namespace {

// Plain TCP: what one receive brought past the request being read stays for
// the next.
class PlainDeadlineStream final : public DeadlineStream {
 public:
  using DeadlineStream::DeadlineStream;

  ssize_t read(char* ptr, size_t size) override {
    if (begin_ == end_) {
      if (!WaitFor(socket(), POLLIN, deadline())) return -1;
      ssize_t got = 0;
      do {
        got = recv(socket(), buffer_.data(), buffer_.size(), 0);
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
      sent = send(socket(), ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
  }

 private:
  [[nodiscard]] bool HasBuffered() const override { return begin_ < end_; }

  std::array<char, 4096> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace

bool DeadlineServer::process_and_close_socket(socket_t sock) {
  PlainDeadlineStream stream(sock, WriteTimeout(write_timeout_sec_, write_timeout_usec_));
  stream.SetDeadline(SteadyClock::now() + requestDeadline_);
  const ConnectionLimits limits{.requestDeadline = requestDeadline_,
                                .keepAliveMaxCount = keep_alive_max_count_,
                                .keepAliveTimeout = std::chrono::seconds(keep_alive_timeout_sec_)};
  const bool ok = ServeRequests(
      stream, limits, [this] { return svr_sock_ == INVALID_SOCKET; },
      [&](bool last, bool& closed) { return process_request(stream, last, closed, nullptr); });
  shutdown(sock, SHUT_RDWR);
  close(sock);
  return ok;
}

}  // namespace server
