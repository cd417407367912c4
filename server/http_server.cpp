#include "server/http_server.h"

#include <sys/resource.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <cstdio>
#include <optional>

#include "server/http_session.h"

namespace server {
namespace {

namespace net = boost::asio;
using tcp = net::ip::tcp;

// Descriptors kept for the store, the site's files and the log.
constexpr int kSpareDescriptors = 64;
// When the system has no descriptor for a new connection, how long the
// listening waits before it tries again (rather than spin on the error).
constexpr auto kAcceptPause = std::chrono::milliseconds(50);
constexpr auto kStopPoll = std::chrono::milliseconds(20);

// As many connections as the system lets the process open: the soft limit
// raised to the hard one.
int ConnectionsAllowed() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    (void)setrlimit(RLIMIT_NOFILE, &limit);
  }
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024 - kSpareDescriptors;
  const rlim_t most = std::min<rlim_t>(limit.rlim_cur, 1 << 20);
  return std::max(1, static_cast<int>(most) - kSpareDescriptors);
}

std::optional<net::ssl::context> TlsContext(const ServerOptions& options) {
  net::ssl::context tls(net::ssl::context::tls_server);
  tls.set_options(net::ssl::context::default_workarounds | net::ssl::context::no_sslv2 |
                  net::ssl::context::no_sslv3 | net::ssl::context::no_tlsv1 |
                  net::ssl::context::no_tlsv1_1);
  boost::system::error_code error;
  tls.use_certificate_chain_file(options.tlsCert, error);
  if (!error) tls.use_private_key_file(options.tlsKey, net::ssl::context::pem, error);
  if (error) return std::nullopt;
  return tls;
}

class Listener {
 public:
  Listener(std::shared_ptr<Connections> connections, tcp::acceptor& acceptor,
           net::ssl::context* tls, int most)
      : connections_(std::move(connections)),
        acceptor_(acceptor),
        tls_(tls),
        most_(most),
        pause_(connections_->loop) {}

  void Accept() {
    acceptor_.async_accept(connections_->loop,
                           [this](boost::system::error_code error, tcp::socket socket) {
                             if (error == net::error::operation_aborted || !acceptor_.is_open())
                               return;
                             if (error) {
                               pause_.expires_after(kAcceptPause);
                               pause_.async_wait([this](boost::system::error_code) { Accept(); });
                               return;
                             }
                             if (connections_->open < most_) {
                               boost::system::error_code ignored;
                               // An answer goes out in one write; nothing is gained by holding it
                               // back.
                               socket.set_option(tcp::no_delay(true), ignored);
                               StartSession(connections_, std::move(socket), tls_);
                             }
                             Accept();
                           });
  }

 private:
  std::shared_ptr<Connections> connections_;
  tcp::acceptor& acceptor_;
  net::ssl::context* tls_;
  int most_;
  net::steady_timer pause_;
};

bool Listen(tcp::acceptor& acceptor, const ServerOptions& options, int* port) {
  boost::system::error_code error;
  tcp::resolver resolver(acceptor.get_executor());
  const auto found =
      resolver.resolve(options.host, std::to_string(options.port), tcp::resolver::passive, error);
  if (error || found.empty()) return false;
  const tcp::endpoint endpoint = *found.begin();
  acceptor.open(endpoint.protocol(), error);
  if (!error) acceptor.set_option(tcp::acceptor::reuse_address(true), error);
  if (!error) acceptor.bind(endpoint, error);
  // The system's longest queue of connections not yet accepted: a burst of
  // clients connecting at once would otherwise overflow it.
  if (!error) acceptor.listen(net::socket_base::max_listen_connections, error);
  if (error) return false;
  *port = acceptor.local_endpoint().port();
  return true;
}

// Once no request is under way (or the request deadline has passed), the
// connections' thread ends.
void StopWhenIdle(Connections& connections, net::steady_timer& timer,
                  std::chrono::steady_clock::time_point giveUp) {
  if (connections.busy == 0 || std::chrono::steady_clock::now() > giveUp) {
    connections.loop.stop();
    return;
  }
  timer.expires_after(kStopPoll);
  timer.async_wait([&connections, &timer, giveUp](boost::system::error_code) {
    StopWhenIdle(connections, timer, giveUp);
  });
}

}  // namespace

bool ServeHttp(const ServerOptions& options, Service& service) {
  const int most = ConnectionsAllowed();
  std::optional<net::ssl::context> tls;
  if (!options.tlsCert.empty()) {
    tls = TlsContext(options);
    if (!tls) {
      std::fprintf(stderr, "morvex2-server: cannot use the certificate %s with the key %s\n",
                   options.tlsCert.c_str(), options.tlsKey.c_str());
      return false;
    }
  }
  net::io_context loop(1);
  tcp::acceptor acceptor(loop);
  int port = 0;
  if (!Listen(acceptor, options, &port)) {
    std::fprintf(stderr, "morvex2-server: cannot listen on %s:%d\n", options.host.c_str(),
                 options.port);
    return false;
  }
  net::thread_pool workers(static_cast<std::size_t>(options.threads));
  const auto connections = std::make_shared<Connections>(
      Connections{.service = service,
                  .loop = loop,
                  .workers = workers,
                  .proxies = TrustedProxies(options.trustedProxies),
                  .requestDeadline = std::chrono::seconds(options.requestDeadlineS),
                  .keepAliveTimeout = std::chrono::seconds(options.keepAliveTimeoutS),
                  .perAddress = AddressCounts(options.connectionsPerAddress)});
  Listener listener(connections, acceptor, tls ? &*tls : nullptr, most);
  listener.Accept();

  // SIGTERM (systemd, the tests) and SIGINT stop the listening; requests
  // under way are answered first.
  net::signal_set signals(loop, SIGTERM, SIGINT);
  net::steady_timer stopping(loop);
  signals.async_wait([&](boost::system::error_code error, int /*signal*/) {
    if (error) return;
    boost::system::error_code ignored;
    acceptor.close(ignored);
    connections->stopping = true;
    StopWhenIdle(*connections, stopping,
                 std::chrono::steady_clock::now() + connections->requestDeadline);
  });
  std::printf("listening on %s:%d\n", options.host.c_str(), port);
  std::fflush(stdout);
  loop.run();
  workers.join();
  return true;
}

}  // namespace server
