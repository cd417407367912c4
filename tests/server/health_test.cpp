// What /healthz and the log say when the database cannot do its part: a disk
// that takes no more bytes, a database that refuses writes, a file damaged
// under the server. Each says so in the database's own words, and a damaged
// file is given no new games.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/server/postgres_database.h"
#include "tests/server/world_scratch.h"

namespace {

using testworld::Reply;
using testworld::ServerProcess;

// Tickets asked for until one is refused (at most `bound`); the refusal.
Reply FirstRefusedTicket(const ServerProcess& server, int bound) {
  Reply reply;
  for (int i = 0; i < bound; ++i) {
    reply = server.Post("/api/v1/tickets", R"({"level":1})");
    if (reply.status != 201) return reply;
  }
  return reply;
}

TEST(HealthTest, AFullDiskIsUnhealthyInTheDatabasesOwnWords) {
  const testworld::Scratch scratch;
  // Room for the schema and a few dozen tickets in the write-ahead log.
  ServerProcess server({"--data", scratch.path()}, 256 * 1024);
  ASSERT_TRUE(server.started()) << server.Log();
  EXPECT_EQ(server.Get("/healthz").status, 200);

  const Reply refused = FirstRefusedTicket(server, 2000);
  ASSERT_EQ(refused.status, 503) << refused.body;
  EXPECT_EQ(refused.Code(), "store-unavailable");
  // SQLite's words for a write the file system refused: "disk I/O error" for a file at its
  // size limit, "database or disk is full" for a file system without room.
  const std::string log = server.Log();
  const std::size_t away = log.find("The database is away: ");
  ASSERT_NE(away, std::string::npos) << log;
  const std::size_t from = away + std::string("The database is away: ").size();
  const std::string words = log.substr(from, log.find('\n', from) - from);
  EXPECT_TRUE(words.find("disk") != std::string::npos) << log;
  const Reply health = server.Get("/healthz");
  EXPECT_EQ(health.status, 503) << health.body;
  EXPECT_NE(health.Text("reason").find(words), std::string::npos) << health.body;
  EXPECT_FALSE(health.retryAfter.empty());
}

// A server that ran, stopped, and had `bytes` written over its file at `offset` (from the
// end when negative).
class DamagedFileTest : public testing::Test {
 protected:
  void SetUp() override {
    ServerProcess server({"--data", scratch_.path()});
    ASSERT_TRUE(server.started()) << server.Log();
    for (int i = 0; i < 50; ++i) {
      ASSERT_EQ(server.Post("/api/v1/tickets", R"({"level":1})").status, 201);
    }
  }

  void Scribble(long page) const {
    const std::string file = scratch_.path() + "/world.sqlite";
    constexpr long kPage = 4096;
    const long pages = static_cast<long>(std::filesystem::file_size(file)) / kPage;
    const int fd = open(file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    std::string garbage(kPage, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 131 + 7);
    const long at = (page < 0 ? pages + page : page - 1) * kPage;
    ASSERT_EQ(pwrite(fd, garbage.data(), garbage.size(), at), kPage);
    close(fd);
  }

  testworld::Scratch scratch_;
};

TEST_F(DamagedFileTest, ADamagedLastPageStopsTicketsAndSaysWhy) {
  Scribble(-1);
  ServerProcess server({"--data", scratch_.path()});
  ASSERT_TRUE(server.started()) << server.Log();
  EXPECT_NE(server.Log().find("is damaged"), std::string::npos) << server.Log();
  const Reply ticket = server.Post("/api/v1/tickets", R"({"level":1})");
  EXPECT_EQ(ticket.status, 503) << ticket.body;
  EXPECT_EQ(ticket.Code(), "store-damaged");
  const Reply health = server.Get("/healthz");
  EXPECT_EQ(health.status, 503);
  EXPECT_EQ(health.Code(), "store-damaged");
}

TEST_F(DamagedFileTest, AStartOnADamagedSchemaSaysWhatIsWrong) {
  Scribble(2);
  ServerProcess server({"--data", scratch_.path()});
  EXPECT_FALSE(server.started());
  const std::string log = server.Log();
  EXPECT_NE(log.find("malformed"), std::string::npos) << log;
  EXPECT_EQ(log.find("not an error"), std::string::npos) << log;
}

TEST(HealthTest, ADatabaseThatRefusesWritesIsUnhealthy) {
  if (testpg::ClusterFolder().empty()) GTEST_SKIP() << "no test PostgreSQL (run under CTest)";
  const testpg::Database database(testpg::ClusterFolder());
  ASSERT_FALSE(database.conninfo().empty());
  ServerProcess server({"--database", database.conninfo()});
  ASSERT_TRUE(server.started()) << server.Log();
  EXPECT_EQ(server.Get("/healthz").status, 200);

  // Every session from now on reads only; the server's are cut, and it opens new ones.
  ASSERT_EQ(database.Run("DO $$ BEGIN EXECUTE format("
                         "'ALTER DATABASE %I SET default_transaction_read_only = on', "
                         "current_database()); END $$; "
                         "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                         "WHERE datname = current_database() AND pid <> pg_backend_pid()"),
            "");
  Reply health;
  for (int i = 0; i < 3 && health.Text("reason").find("read-only") == std::string::npos; ++i) {
    health = server.Get("/healthz");
    EXPECT_EQ(health.status, 503) << health.body;
  }
  EXPECT_NE(health.Text("reason").find("read-only transaction"), std::string::npos) << health.body;
  EXPECT_NE(server.Log().find("read-only transaction"), std::string::npos) << server.Log();
}

}  // namespace
