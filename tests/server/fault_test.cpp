// The server as a process, under the faults a host meets: killed in the middle of a burst of
// submissions, its database crashing under it, and two processes sharing one database.
// What an answer said happened must have happened: every submission answered "accepted" is
// in the table afterwards, whole, and nothing else is.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/postgres_database.h"
#include "tests/server/server_process.h"
#include "tests/server/world_scratch.h"

namespace {

using testworld::ReadyTicket;
using testworld::Reply;
using testworld::ServerProcess;
using testworld::TestClock;

// When the tests' games start on the servers' clock, and how long each lasts: its replay's
// last message comes at kGameMs, and the clock is moved on by as much before the games are
// submitted, however long the test itself takes.
constexpr std::int64_t kStartMs = testworld::kTestStartMs;
constexpr std::uint32_t kGameMs = 300'000;
// How long a test waits for a server to find its database again.
constexpr auto kRecoveryBound = std::chrono::seconds(30);

// One prepared submission and what its answer said.
struct Sent {
  ReadyTicket ticket;
  std::string body;
  int status = 0;
  std::int64_t entry = -1;
  std::int32_t score = 0;
};

// `count` games started at kStartMs, the clock left at their end.
std::vector<Sent> Prepare(const ServerProcess& server, TestClock& clock, int count) {
  clock.Set(kStartMs);
  std::vector<Sent> sent(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    Sent& one = sent[static_cast<std::size_t>(i)];
    one.ticket = testworld::StartedTicket(server, i % 3);
    one.body = testworld::SubmissionBody(one.ticket, kGameMs, "P" + std::to_string(i));
  }
  clock.Set(kStartMs + kGameMs);
  return sent;
}

void Submit(const ServerProcess& server, Sent& one) {
  const Reply reply = server.Post("/api/v1/tickets/" + one.ticket.id + "/replay", one.body);
  one.status = reply.status;
  if (reply.status == 201) {
    one.entry = reply.Number("entry");
    one.score = static_cast<std::int32_t>(reply.Number("score"));
  }
}

// The entries of the three tables, by id.
struct Listed {
  std::int32_t level = 0;
  std::int32_t score = 0;
  std::string name;
  bool operator==(const Listed&) const = default;
};
std::map<std::int64_t, Listed> Tables(const ServerProcess& server) {
  std::map<std::int64_t, Listed> entries;
  for (std::int32_t level = 0; level < 3; ++level) {
    const Reply reply = server.Get("/api/v1/tables/" + std::to_string(level));
    EXPECT_EQ(reply.status, 200) << reply.body;
    const auto json = nlohmann::json::parse(reply.body, nullptr, false);
    if (!json.is_object() || !json["entries"].is_array()) continue;
    for (const auto& row : json["entries"]) {
      entries[row["entry"].get<std::int64_t>()] = {level, row["score"].get<std::int32_t>(),
                                                   row["name"].get<std::string>()};
    }
  }
  return entries;
}

// After a fault, on a server over the same store: each accepted submission is listed with
// its score, name and replay; every ticket whose answer was lost is either listed (its
// submission was committed: sending it again is "ticket-used") or takes its submission now;
// nothing else is listed.
void ExpectAnswersKept(const ServerProcess& server, std::vector<Sent>& sent) {
  std::map<std::int64_t, Listed> listed = Tables(server);
  std::size_t accepted = 0;
  for (std::size_t i = 0; i < sent.size(); ++i) {
    Sent& one = sent[i];
    SCOPED_TRACE("submission " + std::to_string(i));
    if (one.status == 201) {
      ++accepted;
      ASSERT_TRUE(listed.contains(one.entry));
      EXPECT_EQ(listed[one.entry].score, one.score);
      EXPECT_EQ(listed[one.entry].name, "P" + std::to_string(i));
      EXPECT_EQ(listed[one.entry].level, one.ticket.level);
      listed.erase(one.entry);
      continue;
    }
    // Refused for a reason, or no answer: sent again, it is either committed already or
    // accepted now.
    const Reply again = server.Post("/api/v1/tickets/" + one.ticket.id + "/replay", one.body);
    if (again.status == 201) {
      listed.erase(again.Number("entry"));
    } else {
      EXPECT_EQ(again.Code(), "ticket-used") << again.body;
      bool found = false;
      for (auto it = listed.begin(); it != listed.end(); ++it) {
        if (it->second.name == "P" + std::to_string(i)) {
          listed.erase(it);
          found = true;
          break;
        }
      }
      EXPECT_TRUE(found) << "a redeemed ticket without its entry";
    }
  }
  EXPECT_TRUE(listed.empty()) << listed.size() << " entries nobody submitted";
  EXPECT_GT(accepted, 0u);
}

// Where a test's server keeps its tables: an SQLite folder of its own, or a database of its
// own on the tests' PostgreSQL.
class StoreFolder {
 public:
  explicit StoreFolder(bool postgres) {
    if (postgres) {
      database_ = std::make_unique<testpg::Database>(testpg::ClusterFolder());
      arguments_ = {"--database", database_->conninfo()};
      return;
    }
    char folder[] = "/tmp/morvex2-store.XXXXXX";
    if (mkdtemp(folder) != nullptr) folder_ = folder;
    arguments_ = {"--data", folder_};
  }
  ~StoreFolder() {
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }
  StoreFolder(const StoreFolder&) = delete;
  StoreFolder& operator=(const StoreFolder&) = delete;
  [[nodiscard]] const std::vector<std::string>& arguments() const { return arguments_; }

 private:
  std::string folder_;
  std::unique_ptr<testpg::Database> database_;
  std::vector<std::string> arguments_;
};

class KilledServerTest : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam() && testpg::ClusterFolder().empty()) {
      GTEST_SKIP() << "no test PostgreSQL (run under CTest)";
    }
  }
};

// A burst from four clients; the server is killed once a quarter of it was accepted.
TEST_P(KilledServerTest, EveryAcceptedSubmissionOutlivesTheServer) {
  StoreFolder store(GetParam());
  const testworld::Scratch scratch;
  TestClock clock(scratch.path());
  std::vector<Sent> sent;
  {
    ServerProcess server(store.arguments());
    ASSERT_TRUE(server.started()) << server.Log();
    sent = Prepare(server, clock, 48);
    std::mutex mutex;
    std::condition_variable answered;
    std::atomic<int> accepted{0};
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> clients;
    for (int client = 0; client < 4; ++client) {
      clients.emplace_back([&] {
        for (std::size_t i = next++; i < sent.size(); i = next++) {
          Submit(server, sent[i]);
          if (sent[i].status == 201) ++accepted;
          answered.notify_all();
        }
      });
    }
    {
      std::unique_lock lock(mutex);
      answered.wait_for(lock, std::chrono::seconds(60), [&] { return accepted >= 12; });
    }
    server.Kill(SIGKILL);
    for (std::thread& client : clients) client.join();
    EXPECT_GE(accepted, 12);
  }
  ServerProcess again(store.arguments());
  ASSERT_TRUE(again.started()) << again.Log();
  ExpectAnswersKept(again, sent);
}

INSTANTIATE_TEST_SUITE_P(EachStore, KilledServerTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Postgres" : "Sqlite";
                         });

bool Recovered(const ServerProcess& server) {
  const auto giveUp = std::chrono::steady_clock::now() + kRecoveryBound;
  while (std::chrono::steady_clock::now() < giveUp) {
    if (server.Get("/healthz").status == 200) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// PostgreSQL crashes under a running server while a client keeps submitting: meanwhile the
// server says "later" (503 with Retry-After), never "accepted" for what was lost, and once
// the database is back it serves again without being restarted.
TEST(PostgresFaultTest, TheServerWaitsOutACrashedDatabase) {
  if (testpg::ClusterFolder().empty()) GTEST_SKIP() << "no test PostgreSQL (run under CTest)";
  testpg::Cluster cluster;
  ASSERT_TRUE(cluster.started());
  const testworld::Scratch scratch;
  TestClock clock(scratch.path());
  ServerProcess server({"--database", cluster.conninfo()});
  ASSERT_TRUE(server.started()) << server.Log();
  std::vector<Sent> sent = Prepare(server, clock, 40);
  for (std::size_t i = 0; i < 10; ++i) Submit(server, sent[i]);

  std::atomic<std::size_t> next{10};
  std::thread client([&] {
    for (std::size_t i = next++; i < 30; i = next++) Submit(server, sent[i]);
  });
  ASSERT_TRUE(cluster.Halt());
  client.join();
  for (const char* path : {"/healthz", "/api/v1/tables/1"}) {
    const Reply away = server.Get(path);
    EXPECT_EQ(away.status, 503) << path << " " << away.body;
    EXPECT_FALSE(away.retryAfter.empty()) << path;
  }
  const Reply ticket = server.Post("/api/v1/tickets", R"({"level":1})");
  EXPECT_EQ(ticket.status, 503);
  EXPECT_EQ(ticket.Code(), "store-unavailable");
  EXPECT_FALSE(ticket.retryAfter.empty());
  const Reply submission =
      server.Post("/api/v1/tickets/" + sent[30].ticket.id + "/replay", sent[30].body);
  EXPECT_EQ(submission.status, 503) << submission.body;
  EXPECT_FALSE(submission.retryAfter.empty());

  ASSERT_TRUE(cluster.Start());
  ASSERT_TRUE(Recovered(server)) << server.Log();
  for (std::size_t i = 30; i < sent.size(); ++i) Submit(server, sent[i]);
  for (std::size_t i = 30; i < sent.size(); ++i) EXPECT_EQ(sent[i].status, 201) << i;
  ExpectAnswersKept(server, sent);
}

class TwoServersTest : public testing::Test {
 protected:
  void SetUp() override {
    if (testpg::ClusterFolder().empty()) GTEST_SKIP() << "no test PostgreSQL (run under CTest)";
    database_ = std::make_unique<testpg::Database>(testpg::ClusterFolder());
    const std::vector<std::string> arguments = {"--database", database_->conninfo()};
    first_ = std::make_unique<ServerProcess>(arguments);
    second_ = std::make_unique<ServerProcess>(arguments);
    ASSERT_TRUE(first_->started()) << first_->Log();
    ASSERT_TRUE(second_->started()) << second_->Log();
  }

  const testworld::Scratch scratch_;
  TestClock clock_{scratch_.path()};
  std::unique_ptr<testpg::Database> database_;
  std::unique_ptr<ServerProcess> first_;
  std::unique_ptr<ServerProcess> second_;
};

TEST_F(TwoServersTest, ATicketFromOneIsRedeemedAtTheOther) {
  const ReadyTicket ticket = testworld::StartedTicket(*first_, 2);
  ASSERT_FALSE(ticket.id.empty());
  clock_.Set(kStartMs + kGameMs);
  EXPECT_EQ(second_->Post("/api/v1/tickets/" + ticket.id + "/end").status, 204);
  const Reply accepted = second_->Post("/api/v1/tickets/" + ticket.id + "/replay",
                                       testworld::SubmissionBody(ticket, kGameMs));
  ASSERT_EQ(accepted.status, 201) << accepted.body;
  const Reply replay =
      first_->Get("/api/v1/entries/" + std::to_string(accepted.Number("entry")) + "/replay");
  EXPECT_EQ(replay.status, 200);
  EXPECT_FALSE(replay.body.empty());
}

TEST_F(TwoServersTest, SubmissionsToBothLandInOneTable) {
  std::vector<Sent> sent = Prepare(*first_, clock_, 12);
  std::vector<std::thread> clients;
  for (std::size_t i = 0; i < sent.size(); ++i) {
    clients.emplace_back([&, i] { Submit(i % 2 == 0 ? *first_ : *second_, sent[i]); });
  }
  for (std::thread& client : clients) client.join();
  for (const Sent& one : sent) EXPECT_EQ(one.status, 201);
  EXPECT_EQ(Tables(*first_), Tables(*second_));
  ExpectAnswersKept(*second_, sent);
}

// The same game sent to both processes at the same moment is entered once; the other is
// told the ticket was used.
TEST_F(TwoServersTest, OneTicketSentToBothAtOnceIsAcceptedOnce) {
  for (int round = 0; round < 6; ++round) {
    clock_.Set(kStartMs);
    const ReadyTicket ticket = testworld::StartedTicket(*first_, round % 3);
    ASSERT_FALSE(ticket.id.empty());
    clock_.Set(kStartMs + kGameMs);
    const std::string body = testworld::SubmissionBody(ticket, kGameMs);
    const std::string path = "/api/v1/tickets/" + ticket.id + "/replay";
    Reply one;
    Reply other;
    std::thread toFirst([&] { one = first_->Post(path, body); });
    std::thread toSecond([&] { other = second_->Post(path, body); });
    toFirst.join();
    toSecond.join();
    EXPECT_EQ((one.status == 201) + (other.status == 201), 1) << one.body << other.body;
    EXPECT_EQ(one.status == 201 ? other.Code() : one.Code(), "ticket-used");
  }
  std::size_t listed = 0;
  for (std::int32_t level = 0; level < 3; ++level) {
    const auto json = nlohmann::json::parse(
        second_->Get("/api/v1/tables/" + std::to_string(level)).body, nullptr, false);
    if (json.is_object()) listed += json["entries"].size();
  }
  EXPECT_EQ(listed, 6u);
}

}  // namespace
