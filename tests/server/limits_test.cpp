// What one client may not do to the others: make more writing requests than
// the rate limit lets it (429 with Retry-After), or hold the server's threads
// by sending its request a byte at a time.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/server/world_scratch.h"

namespace {

using testworld::Reply;
using testworld::ServerProcess;

TEST(LimitsTest, TooManyWritesFromOneAddressAreToldWhenToComeBack) {
  testworld::Scratch scratch;
  ServerProcess server({"--data", scratch.path(), "--rate-limit", "3"});
  ASSERT_TRUE(server.started()) << server.Log();
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(server.Post("/api/v1/tickets", R"({"level":1})").status, 201);
  const Reply limited = server.Post("/api/v1/tickets", R"({"level":1})");
  EXPECT_EQ(limited.status, 429);
  EXPECT_EQ(limited.Code(), "rate-limited");
  const int retryAfter = std::stoi(limited.retryAfter.empty() ? "0" : limited.retryAfter);
  EXPECT_GE(retryAfter, 1);
  EXPECT_LE(retryAfter, 60);
  // Reading is not limited.
  EXPECT_EQ(server.Get("/api/v1/tables/1").status, 200);
}

// Connects to the server and sends `request` a byte at a time, a byte each
// `pace`, until the server closes the connection or the request is sent
// whole; true when the server closed it first.
bool TrickleUntilCutOff(int port, const std::string& request, int paceMs) {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(sock);
    return false;
  }
  bool cutOff = false;
  for (const char byte : request) {
    if (send(sock, &byte, 1, MSG_NOSIGNAL) != 1) {
      cutOff = true;
      break;
    }
    // The pace is a wait for the server's close, which ends it early.
    pollfd entry{.fd = sock, .events = POLLIN, .revents = 0};
    if (poll(&entry, 1, paceMs) > 0) {
      char answer[512];
      cutOff = recv(sock, answer, sizeof answer, 0) <= 0;
      break;
    }
  }
  close(sock);
  return cutOff;
}

TEST(LimitsTest, ClientsThatTrickleAreCutOffAndOthersStillServed) {
  testworld::Scratch scratch;
  // Two threads, and a request must arrive whole within a second.
  ServerProcess server({"--data", scratch.path(), "--threads", "2", "--request-deadline", "1"});
  ASSERT_TRUE(server.started()) << server.Log();
  // More tricklers than threads, each taking 40 × 0.25 s = 10 s for its request.
  const std::string request = "GET /healthz HTTP/1.1\r\nHost: 127.0.0.1\r\nX: 0123\r\n\r\n";
  std::vector<std::thread> tricklers;
  std::vector<char> cutOff(4, 0);
  for (std::size_t i = 0; i < cutOff.size(); ++i) {
    tricklers.emplace_back([&, i] { cutOff[i] = TrickleUntilCutOff(server.port(), request, 250); });
  }
  const Reply health = server.Get("/healthz");
  EXPECT_EQ(health.status, 200);
  for (std::thread& trickler : tricklers) trickler.join();
  for (std::size_t i = 0; i < cutOff.size(); ++i) EXPECT_TRUE(cutOff[i]) << "trickler " << i;
  EXPECT_EQ(server.Get("/healthz").status, 200);
}

}  // namespace
