// What one client may not do to the others: make more writing requests than
// the rate limit lets it (429 with Retry-After), hold the server's
// connections by sending its request a byte at a time or by opening many,
// send a request larger than the server keeps, or send one that the server
// and a proxy in front of it could read as two.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/server/world_scratch.h"

namespace {

using testworld::AskRaw;
using testworld::ReadAll;
using testworld::Reply;
using testworld::ServerProcess;
using testworld::StatusOf;

// The most memory the server may hold whatever a client sends. Sanitized
// builds keep freed memory aside on purpose, so there only the answers count.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPeakMemoryKib = 0;
#else
constexpr long kPeakMemoryKib = 128 * 1024;
#endif

int AnswersIn(const std::string& answers) {
  int count = answers.starts_with("HTTP/1.1 ") ? 1 : 0;
  for (std::size_t at = answers.find("\r\nHTTP/1.1 "); at != std::string::npos;
       at = answers.find("\r\nHTTP/1.1 ", at + 1)) {
    ++count;
  }
  return count;
}

struct Sent {
  std::string answer;
  std::size_t bytes = 0;
};

// Sends `head`, `piece` `repeats` times and `tail`, stopping as soon as the
// server answers, and reads what it answers.
Sent SendUntilAnswered(int port, const std::string& head, const std::string& piece,
                       std::size_t repeats, const std::string& tail) {
  Sent sent;
  const int sock = testworld::ConnectFrom(port);
  if (sock < 0) return sent;
  const std::size_t total = head.size() + piece.size() * repeats + tail.size();
  const auto byteAt = [&](std::size_t at) {
    if (at < head.size()) return head[at];
    at -= head.size();
    if (at < piece.size() * repeats) return piece[at % piece.size()];
    return tail[at - piece.size() * repeats];
  };
  std::string out;
  while (sent.bytes < total) {
    pollfd entry{.fd = sock, .events = POLLIN | POLLOUT, .revents = 0};
    if (poll(&entry, 1, 5000) <= 0 || (entry.revents & (POLLIN | POLLERR | POLLHUP)) != 0) break;
    out.clear();
    for (std::size_t at = sent.bytes; at < total && out.size() < 65536; ++at) {
      out.push_back(byteAt(at));
    }
    const ssize_t wrote = send(sock, out.data(), out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (wrote < 0 && errno != EAGAIN) break;
    if (wrote > 0) sent.bytes += static_cast<std::size_t>(wrote);
  }
  sent.answer = ReadAll(sock);
  close(sock);
  return sent;
}

constexpr std::size_t kPast1MiB = 2 * 1024 * 1024;

struct Oversize {
  const char* what;
  std::string head;
  std::string piece;
  std::size_t repeats;
  std::string tail;
  int status;
  int atOnce = 1;
};

std::string Repeated(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

// A request that could be read as two (its body is a request of its own).
const std::string kSmuggled =
    "POST /api/v1/tickets HTTP/1.1\r\nHost: a\r\nContent-Length: 11\r\n\r\n{\"level\":1}";

std::vector<Oversize> Oversizes() {
  const std::string block(65536, 'a');
  const std::string chunk = "10000\r\n" + block + "\r\n";
  const std::string post = "POST /api/v1/tickets HTTP/1.1\r\nHost: a\r\n";
  const std::string length = "Content-Length: " + std::to_string(kSmuggled.size()) + "\r\n";
  return {
      {"a request line over 8 KiB", "GET /" + std::string(9000, 'a') + " HTTP/1.1\r\n\r\n", "", 0,
       "", 414},
      {"a request line of 256 MiB", "GET /", block, 4096, "", 414},
      {"headers over 16 KiB in all",
       "GET /healthz HTTP/1.1\r\n" + Repeated("X-Pad: " + std::string(1000, 'b') + "\r\n", 17), "",
       0, "\r\n", 431},
      {"more than 64 headers", "GET /healthz HTTP/1.1\r\n" + Repeated("X-N: 1\r\n", 65), "", 0,
       "\r\n", 431},
      {"88 MiB of small headers", "GET /healthz HTTP/1.1\r\n",
       Repeated("X-Small: 0123456789\r\n", 3000), 1400, "", 431},
      {"a declared body of 256 MiB", post + "Content-Length: 268435456\r\n\r\n", block, 4096, "",
       413},
      {"a chunked body of 256 MiB", post + "Transfer-Encoding: chunked\r\n\r\n", chunk, 4096, "",
       413},
      {"four chunked bodies at once", post + "Transfer-Encoding: chunked\r\n\r\n", chunk, 4096, "",
       413, 4},
      {"a body of 2 MiB without a length", post + "\r\n", block, 32, "", 411},
      {"two Content-Lengths", post + length + length + "\r\n" + kSmuggled, "", 0, "", 400},
      {"a Content-Length and chunked",
       post + length + "Transfer-Encoding: chunked\r\n\r\n" + kSmuggled, "", 0, "", 400},
      {"headers too large before a body that is a request",
       post + "X-Big: " + std::string(17000, 'c') + "\r\n" + length + "\r\n" + kSmuggled, "", 0, "",
       431},
  };
}

TEST(LimitsTest, OversizeAndAmbiguousRequestsAreRefusedAtOnceAndCloseTheirConnection) {
  testworld::Scratch scratch;
  ServerProcess server({"--data", scratch.path()});
  ASSERT_TRUE(server.started()) << server.Log();
  for (const Oversize& row : Oversizes()) {
    std::vector<Sent> sent(static_cast<std::size_t>(row.atOnce));
    std::vector<std::thread> clients;
    for (Sent& one : sent) {
      clients.emplace_back([&] {
        one = SendUntilAnswered(server.port(), row.head, row.piece, row.repeats, row.tail);
      });
    }
    for (std::thread& client : clients) client.join();
    for (const Sent& one : sent) {
      EXPECT_EQ(StatusOf(one.answer), row.status) << row.what << ": " << one.answer;
      // Nothing after the refused head is read as a request of its own.
      EXPECT_EQ(AnswersIn(one.answer), 1) << row.what << ": " << one.answer;
      EXPECT_NE(one.answer.find("Connection: close"), std::string::npos) << row.what;
      // Refused once past the bound, not once it was all sent.
      EXPECT_LT(one.bytes, std::size_t{32} << 20) << row.what;
    }
    EXPECT_EQ(server.Get("/healthz").status, 200) << row.what;
    if (kPeakMemoryKib > 0) {
      EXPECT_LE(server.PeakMemoryKib(), kPeakMemoryKib) << row.what;
    }
  }
}

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
  // A refused request's body is never read as the connection's next request,
  // nor is a request after it.
  const std::string answers = AskRaw(server.port(), kSmuggled + "GET /healthz HTTP/1.1\r\n\r\n");
  EXPECT_EQ(StatusOf(answers), 429) << answers;
  EXPECT_EQ(AnswersIn(answers), 1) << answers;
}

TEST(LimitsTest, StampsNeedNoBodyAndABodySentAnywayIsPassedOver) {
  testworld::Scratch scratch;
  ServerProcess server({"--data", scratch.path()});
  ASSERT_TRUE(server.started()) << server.Log();
  const Reply issued = server.Post("/api/v1/tickets", R"({"level":2})");
  const std::string path = "/api/v1/tickets/" + issued.Text("ticket");
  // No Content-Length at all; then a body on a kept-alive connection, with a
  // second request behind it.
  std::string answer = AskRaw(server.port(), "POST " + path +
                                                 "/start HTTP/1.1\r\nHost: a\r\n"
                                                 "Connection: close\r\n\r\n");
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 204")) << answer;
  answer = AskRaw(server.port(), "POST " + path +
                                     "/end HTTP/1.1\r\nHost: a\r\nContent-Length: 3\r\n"
                                     "\r\nxyzGET /healthz HTTP/1.1\r\nHost: a\r\n"
                                     "Connection: close\r\n\r\n");
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 204")) << answer;
  EXPECT_NE(answer.find("HTTP/1.1 200 OK"), std::string::npos) << answer;
}

// Connects to the server and sends `request` a byte at a time, a byte each
// `pace`, until the server closes the connection or the request is sent
// whole; true when the server closed it first.
bool TrickleUntilCutOff(int port, const std::string& request, int paceMs) {
  const int sock = testworld::ConnectFrom(port);
  if (sock < 0) return false;
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
  // A request must arrive whole within a second.
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

TEST(LimitsTest, OneAddressHoldsAtMostItsConnectionsAndIdleOnesAreClosed) {
  testworld::Scratch scratch;
  ServerProcess server(
      {"--data", scratch.path(), "--connections-per-address", "3", "--keep-alive", "1"});
  ASSERT_TRUE(server.started()) << server.Log();
  std::vector<int> held;
  for (int i = 0; i < 3; ++i) held.push_back(testworld::ConnectFrom(server.port(), "127.0.0.5"));
  const std::string health = "GET /healthz HTTP/1.1\r\nHost: a\r\n\r\n";
  const std::string refused = AskRaw(server.port(), health, "127.0.0.5");
  EXPECT_EQ(StatusOf(refused), 503) << refused;
  EXPECT_NE(refused.find("too-many-connections"), std::string::npos) << refused;
  EXPECT_EQ(StatusOf(AskRaw(server.port(), health, "127.0.0.6")), 200);
  // A connection kept alive after its answer is closed once idle for the
  // keep-alive timeout (ReadAll waits up to five seconds).
  send(held[0], health.data(), health.size(), MSG_NOSIGNAL);
  const std::string kept = ReadAll(held[0]);
  EXPECT_EQ(StatusOf(kept), 200) << kept;
  EXPECT_EQ(recv(held[0], nullptr, 0, MSG_DONTWAIT), 0) << "still open";
  for (const int sock : held) close(sock);
}

TEST(LimitsTest, OnlyATrustedProxyNamesThePlayerItForwards) {
  testworld::Scratch scratch;
  ServerProcess server({"--data", scratch.path(), "--rate-limit", "1", "--connections-per-address",
                        "2", "--trusted-proxy", "127.0.0.2,::1"});
  ASSERT_TRUE(server.started()) << server.Log();
  const auto ticketFor = [&](const char* from, const std::string& player) {
    const std::string body = R"({"level":1})";
    return StatusOf(AskRaw(server.port(),
                           "POST /api/v1/tickets HTTP/1.1\r\nHost: a\r\nConnection: close\r\n"
                           "X-Forwarded-For: " +
                               player + "\r\nContent-Length: " + std::to_string(body.size()) +
                               "\r\n\r\n" + body,
                           from));
  };
  const struct {
    const char* from;
    std::string forwarded;
    int status;
  } rows[] = {
      {"127.0.0.2", "203.0.113.5", 201},
      {"127.0.0.2", "203.0.113.5", 429},                // the same player
      {"127.0.0.2", "198.51.100.1, 203.0.113.6", 201},  // the proxy's own entry is the last
      {"127.0.0.2", "203.0.113.6", 429},
      {"127.0.0.2", "not an address", 400},
      {"127.0.0.3", "203.0.113.7", 201},  // no proxy: the header is the player's own claim
      {"127.0.0.3", "203.0.113.8", 429},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ticketFor(row.from, row.forwarded), row.status) << row.from << " " << row.forwarded;
  }
  // The proxy's connections are not one client's.
  std::vector<int> held;
  for (int i = 0; i < 4; ++i) held.push_back(testworld::ConnectFrom(server.port(), "127.0.0.2"));
  const std::string health = "GET /healthz HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n";
  for (const int sock : held) {
    send(sock, health.data(), health.size(), MSG_NOSIGNAL);
    EXPECT_EQ(StatusOf(ReadAll(sock)), 200);
    close(sock);
  }
}

}  // namespace
