// What a server open to anyone keeps tidy: the folder it is pointed at, its
// log (no client's bytes written raw, no line per request of a flood), and
// how many tickets one address, and all together, may hold open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "tests/server/world_scratch.h"

namespace {

using testworld::Reply;
using testworld::ServerProcess;
using testworld::TestClock;

std::string TicketFrom(const char* from, int port) {
  const std::string body = R"({"level":1})";
  return testworld::AskRaw(port,
                           "POST /api/v1/tickets HTTP/1.1\r\nHost: a\r\nConnection: close\r\n"
                           "Content-Type: application/json\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\n\r\n" + body,
                           from);
}

mode_t ModeOf(const std::string& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(HygieneTest, TheDataFolderKeepsItsModeAndTheDatabaseIsTheOperatorsAlone) {
  const testworld::Scratch scratch;
  const std::string shared = scratch.path() + "/shared";
  const std::string fresh = scratch.path() + "/fresh/world";
  std::filesystem::create_directory(shared);
  chmod(shared.c_str(), 01777);
  for (const std::string& folder : {shared, fresh}) {
    ServerProcess server({"--data", folder});
    ASSERT_TRUE(server.started()) << server.Log();
    EXPECT_EQ(ModeOf(folder + "/world.sqlite"), 0600u) << folder;
  }
  EXPECT_EQ(ModeOf(shared), 01777u);
  EXPECT_EQ(ModeOf(fresh), 0700u);
}

TEST(HygieneTest, ALogLineCarriesNoClientsControlBytes) {
  const testworld::Scratch scratch;
  ServerProcess server({"--data", scratch.path()});
  ASSERT_TRUE(server.started()) << server.Log();
  // A refusal that names what the client sent: an origin with a terminal's 8-bit escape in
  // it, and longer than any line.
  testworld::AskRaw(server.port(),
                    "POST /api/v1/tickets HTTP/1.1\r\nHost: a\r\nConnection: close\r\n"
                    "Content-Length: 0\r\nOrigin: https://e.example\x9b" +
                        std::string(2000, 'a') + "\r\n\r\n");
  const std::string log = server.Log();
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 400u) << line.substr(0, 80);
    for (const char c : line) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << line;
  }
  EXPECT_NE(log.find("https://e.example\\x9baaaa"), std::string::npos) << log;
  EXPECT_NE(log.find("aaa..."), std::string::npos) << log;
}

TEST(HygieneTest, RepeatedRefusalsFromOneAddressAreLoggedOnceAMinuteWithACount) {
  const testworld::Scratch scratch;
  TestClock clock(scratch.path());
  clock.Set(testworld::kTestStartMs);
  ServerProcess server({"--data", scratch.path()});
  ASSERT_TRUE(server.started()) << server.Log();
  for (int i = 0; i < 200; ++i) ASSERT_EQ(server.Get("/missing-" + std::to_string(i)).status, 404);
  EXPECT_EQ(CountOf(server.Log(), "not-found"), 1u) << server.Log();
  // Another address is logged for itself.
  EXPECT_EQ(testworld::StatusOf(testworld::AskRaw(
                server.port(), "GET /missing HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n",
                "127.0.0.3")),
            404);
  EXPECT_EQ(CountOf(server.Log(), "not-found"), 2u) << server.Log();

  clock.Advance(61'000);
  EXPECT_EQ(server.Get("/missing").status, 404);
  EXPECT_NE(server.Log().find("199 more refused like it"), std::string::npos) << server.Log();
}

TEST(HygieneTest, OpenTicketsAreBoundedPerAddressAndInAll) {
  const testworld::Scratch scratch;
  TestClock clock(scratch.path());
  clock.Set(testworld::kTestStartMs);
  ServerProcess server(
      {"--data", scratch.path(), "--open-tickets-per-address", "2", "--open-tickets", "3"});
  ASSERT_TRUE(server.started()) << server.Log();
  const int port = server.port();
  // A game entered gives its ticket's place back.
  ASSERT_EQ(testworld::PlayAndSubmit(server, clock, 1, "ONE").status, 201);
  EXPECT_EQ(testworld::StatusOf(TicketFrom("127.0.0.1", port)), 201);
  EXPECT_EQ(testworld::StatusOf(TicketFrom("127.0.0.1", port)), 201);
  const std::string mine = TicketFrom("127.0.0.1", port);
  EXPECT_EQ(testworld::StatusOf(mine), 503) << mine;
  EXPECT_NE(mine.find("too-many-tickets"), std::string::npos) << mine;
  EXPECT_NE(mine.find("Retry-After:"), std::string::npos) << mine;
  // Another address still has its share, until the server holds its whole.
  EXPECT_EQ(testworld::StatusOf(TicketFrom("127.0.0.2", port)), 201);
  EXPECT_EQ(testworld::StatusOf(TicketFrom("127.0.0.3", port)), 503);
  EXPECT_NE(server.Get("/metrics").body.find("morvex2_open_tickets 3\n"), std::string::npos);

  // Expired, they are open no more.
  clock.Advance(24 * 60 * 60 * 1000 + 1000);
  EXPECT_NE(server.Get("/metrics").body.find("morvex2_open_tickets 0\n"), std::string::npos);
  EXPECT_EQ(testworld::StatusOf(TicketFrom("127.0.0.1", port)), 201);
}

}  // namespace
