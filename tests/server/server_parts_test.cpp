// The server's parts that hold no connection: what its log lines become, the
// count of open tickets, and the health check's probes.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "server/health.h"
#include "server/open_tickets.h"
#include "server/server_log.h"

namespace {

using server::Answer;
using server::HealthCheck;
using server::kLogLineBytes;
using server::LogSafe;
using server::OpenTickets;

TEST(LogSafeTest, ClientBytesAreEscapedAndLinesBounded) {
  const struct {
    std::string text;
    std::string logged;
  } kCases[] = {
      {"refused GET static", "refused GET static"}, {"a\nforged line", "a\\x0aforged line"},
      {"\x1b[2J\r\x7f", "\\x1b[2J\\x0d\\x7f"},      {"\\x0a", "\\x5cx0a"},
      {std::string("nul\0!", 5), "nul\\x00!"},      {"\x82\xa0", "\\x82\\xa0"},
  };
  for (const auto& [text, logged] : kCases) EXPECT_EQ(LogSafe(text), logged);

  for (const std::string& long_ : {std::string(8192, 'P'), std::string(8192, '\x1b')}) {
    const std::string logged = LogSafe(long_);
    EXPECT_LE(logged.size(), kLogLineBytes);
    EXPECT_GE(logged.size(), kLogLineBytes - 6);
    EXPECT_TRUE(logged.ends_with("...")) << logged;
  }
}

TEST(OpenTicketsTest, ARefusedOrClosedTicketGivesItsPlaceBack) {
  OpenTickets open(2, 3);
  constexpr std::int64_t kNow = 1000;
  ASSERT_FALSE(open.Reserve("10.0.0.1", kNow));
  open.Keep("10.0.0.1", "a", kNow + 100);
  ASSERT_FALSE(open.Reserve("10.0.0.1", kNow));
  // The store refused it: the place is not kept.
  open.Release("10.0.0.1");
  ASSERT_FALSE(open.Reserve("10.0.0.1", kNow));
  open.Keep("10.0.0.1", "b", kNow + 200);
  EXPECT_TRUE(open.Reserve("10.0.0.1", kNow));
  // One household's many IPv6 addresses are one client.
  ASSERT_FALSE(open.Reserve("2001:db8::1", kNow));
  open.Keep("2001:db8::1", "c", kNow + 300);
  EXPECT_EQ(open.Count(kNow), 3u);
  EXPECT_TRUE(open.Reserve("10.0.0.2", kNow));

  open.Closed("a");
  open.Closed("a");  // a ticket sent twice frees one place
  EXPECT_EQ(open.Count(kNow), 2u);
  EXPECT_FALSE(open.Reserve("10.0.0.1", kNow));
  open.Keep("10.0.0.1", "d", kNow + 400);
  EXPECT_TRUE(open.Reserve("2001:db8::2", kNow)) << "the server holds three";
  // Past their expiry, all go.
  EXPECT_EQ(open.Count(kNow + 401), 0u);
  EXPECT_FALSE(open.Reserve("2001:db8::2", kNow + 401));
}

// Probes are shared only while one is under way: the verdict is never kept
// past it, so a store that fails is told by the next request, and one that
// came back is as soon.
TEST(HealthCheckTest, EachRequestAfterAProbeProbesAnew) {
  int probes = 0;
  bool failing = false;
  HealthCheck check([&] {
    ++probes;
    Answer verdict;
    verdict.status = failing ? 503 : 200;
    return verdict;
  });
  EXPECT_EQ(check.Now().status, 200);
  failing = true;
  EXPECT_EQ(check.Now().status, 503);
  failing = false;
  EXPECT_EQ(check.Now().status, 200);
  EXPECT_EQ(probes, 3);
}

// A probe that throws (the memory ran out) is no probe under way for ever:
// the request that made it gets the throw, and the next one probes anew
// rather than wait on it.
TEST(HealthCheckTest, AProbeThatThrowsLeavesNoProbeUnderWay) {
  int probes = 0;
  HealthCheck check([&]() -> Answer {
    if (++probes == 1) throw std::bad_alloc();
    Answer verdict;
    verdict.status = 200;
    return verdict;
  });
  EXPECT_THROW(check.Now(), std::bad_alloc);
  EXPECT_EQ(check.Now().status, 200);
  EXPECT_EQ(probes, 2);
}

}  // namespace
