#include "server/deadline_stream.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace server {

namespace {

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

}  // namespace

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

std::chrono::milliseconds WriteTimeout(time_t seconds, time_t microseconds) {
  return std::chrono::seconds(seconds) + std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::microseconds(microseconds));
}

bool WidenListenQueue(socket_t listening) {
  return ::listen(listening, SOMAXCONN) == 0;
}

void DeadlineStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  AddressOf(&getpeername, sock_, ip, port);
}

void DeadlineStream::get_local_ip_and_port(std::string& ip, int& port) const {
  AddressOf(&getsockname, sock_, ip, port);
}

bool ServeRequests(DeadlineStream& stream, const ConnectionLimits& limits,
                   const std::function<bool()>& stopping,
                   const std::function<bool(bool last, bool& closed)>& serveOne) {
  bool ok = true;
  for (std::size_t served = 0; served < limits.keepAliveMaxCount; ++served) {
    if (served > 0) {
      if (!stream.NextRequestWithin(limits.keepAliveTimeout)) break;
      stream.SetDeadline(SteadyClock::now() + limits.requestDeadline);
    }
    const bool last = served + 1 == limits.keepAliveMaxCount || stopping();
    bool closed = false;
    ok = serveOne(last, closed);
    if (!ok || closed || last) break;
  }
  return ok;
}

}  // namespace server
