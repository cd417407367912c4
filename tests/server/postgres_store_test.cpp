// What only the shared database does: its schema brought forward under a lock, one ticket
// redeemed once by many processes racing for it, and a database that goes away and comes
// back under a store that keeps running. (What both stores do is the store suite's.)
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/postgres_schema.h"
#include "server/store.h"
#include "tests/server/postgres_database.h"
#include "tests/server/store_suite.h"

namespace {

using server::StoreResult;
using storetest::EntryFor;
using storetest::TicketNamed;

// The store suite's database: one of its own on the tests' cluster.
class PostgresHome final : public storetest::StoreHome {
 public:
  std::unique_ptr<server::Store> Open() override {
    std::string error;
    auto store = server::OpenPostgresStore(database_.conninfo(), &error);
    EXPECT_NE(store, nullptr) << error << " (run under CTest, which starts the PostgreSQL)";
    return store;
  }

 private:
  testpg::Database database_{testpg::ClusterFolder()};
};

std::unique_ptr<storetest::StoreHome> MakePostgresHome() {
  return std::make_unique<PostgresHome>();
}

}  // namespace

namespace storetest {
INSTANTIATE_TEST_SUITE_P(Postgres, StoreSuite, testing::Values(&MakePostgresHome), OneStore);
}  // namespace storetest

namespace {

// A database that a server of the first schema made, with a ticket and its entry: the first
// migration step, its version, its rows.
std::string Version1Database() {
  return std::string(server::PostgresMigrations()[0]) + R"sql(
CREATE TABLE schema_version (version INTEGER NOT NULL);
INSERT INTO schema_version (version) VALUES (1);
INSERT INTO tickets VALUES ('0123456789abcdef0123456789abcdef', 2, 4294967295, 1000, 2000,
                            1100, 1900, true);
INSERT INTO entries (level, name, score, removed_count, date_ms, ticket_id, replay)
  VALUES (2, '\x82a0'::bytea, 720, 12, 1950, '0123456789abcdef0123456789abcdef', '\x4d56');
)sql";
}

class PostgresStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    if (testpg::ClusterFolder().empty()) GTEST_SKIP() << "no test PostgreSQL (run under CTest)";
    database_ = std::make_unique<testpg::Database>(testpg::ClusterFolder());
    ASSERT_FALSE(database_->conninfo().empty());
  }

  std::unique_ptr<server::Store> Open() {
    std::string error;
    auto store = server::OpenPostgresStore(database_->conninfo(), &error);
    EXPECT_TRUE(store) << error;
    return store;
  }

  std::unique_ptr<testpg::Database> database_;
};

TEST_F(PostgresStoreTest, BringsTheFirstSchemaForwardKeepingItsRows) {
  ASSERT_EQ(database_->Run(Version1Database()), "");
  auto store = Open();
  ASSERT_TRUE(store);

  server::Ticket ticket;
  ASSERT_EQ(store->FindTicket("0123456789abcdef0123456789abcdef", &ticket), StoreResult::kOk);
  EXPECT_EQ(ticket.seed, 4294967295u);
  EXPECT_TRUE(ticket.redeemed);
  std::vector<server::TableRow> rows;
  ASSERT_EQ(store->Table(2, 100, &rows), StoreResult::kOk);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "\x82\xa0");
  EXPECT_EQ(rows[0].score, 720);
  // What version 2 added works on the old rows.
  EXPECT_EQ(store->Remove(rows[0].entryId, "cheated", 3000), StoreResult::kOk);
  ASSERT_EQ(store->Table(2, 100, &rows), StoreResult::kOk);
  EXPECT_TRUE(rows.empty());
  // Opened again, nothing is migrated twice.
  store.reset();
  ASSERT_TRUE(Open());
  EXPECT_EQ(database_->Run("DO $$ BEGIN IF (SELECT array_agg(version) FROM schema_version) "
                           "<> ARRAY[3] THEN RAISE 'wrong version'; END IF; END $$"),
            "");
}

TEST_F(PostgresStoreTest, RefusesADatabaseNewerThanItKnows) {
  ASSERT_TRUE(Open());
  ASSERT_EQ(database_->Run("UPDATE schema_version SET version = 99"), "");
  std::string error;
  EXPECT_FALSE(server::OpenPostgresStore(database_->conninfo(), &error));
  EXPECT_NE(error.find("99"), std::string::npos) << error;
}

TEST_F(PostgresStoreTest, ProcessesStartingTogetherMigrateOnce) {
  std::vector<std::thread> starters;
  std::atomic<int> opened{0};
  for (int i = 0; i < 6; ++i) {
    starters.emplace_back([&] {
      std::string error;
      if (server::OpenPostgresStore(database_->conninfo(), &error)) ++opened;
    });
  }
  for (std::thread& starter : starters) starter.join();
  EXPECT_EQ(opened, 6);
  EXPECT_EQ(database_->Run("DO $$ BEGIN IF (SELECT count(*) FROM schema_version) <> 1 "
                           "THEN RAISE 'version rows'; END IF; END $$"),
            "");
}

// Stores of their own, each with its own connections, stand for server processes.
TEST_F(PostgresStoreTest, OneTicketIsRedeemedOnceWhoeverRaces) {
  std::vector<std::unique_ptr<server::Store>> stores;
  for (int i = 0; i < 4; ++i) stores.push_back(Open());
  for (int round = 0; round < 5; ++round) {
    const std::string id = "race" + std::to_string(round);
    ASSERT_EQ(stores[0]->AddTicket(TicketNamed(id)), StoreResult::kOk);
    std::atomic<int> accepted{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> racers;
    for (int i = 0; i < 8; ++i) {
      racers.emplace_back([&, i] {
        std::int64_t entryId = 0;
        const StoreResult result =
            stores[i % 4]->Redeem(EntryFor(TicketNamed(id), 100 + i), &entryId);
        if (result == StoreResult::kOk) ++accepted;
        if (result == StoreResult::kConflict) ++refused;
      });
    }
    for (std::thread& racer : racers) racer.join();
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(refused, 7);
  }
  std::vector<server::TableRow> rows;
  ASSERT_EQ(stores[1]->Table(1, 100, &rows), StoreResult::kOk);
  EXPECT_EQ(rows.size(), 5u);
}

// Ids from a request's path are hostile bytes: none of them is a ticket, and none is the
// database being away.
TEST_F(PostgresStoreTest, AHostileTicketIdIsUnknown) {
  auto store = Open();
  ASSERT_TRUE(store);
  ASSERT_EQ(store->AddTicket(TicketNamed("abc")), StoreResult::kOk);
  for (const std::string& id : {std::string("abc\0def", 7), std::string("\xff\xfe"),
                                std::string("abc'; DROP TABLE tickets; --"), std::string()}) {
    server::Ticket ticket;
    EXPECT_EQ(store->FindTicket(id, &ticket), StoreResult::kNotFound);
    EXPECT_EQ(store->MarkStarted(id, 1), StoreResult::kNotFound);
    std::int64_t entryId = 0;
    EXPECT_EQ(store->Redeem(EntryFor(TicketNamed(id), 1), &entryId), StoreResult::kNotFound);
  }
  server::Ticket ticket;
  ASSERT_EQ(store->FindTicket("abc", &ticket), StoreResult::kOk);
  EXPECT_FALSE(ticket.startedMs);
}

TEST_F(PostgresStoreTest, AnUnreachableDatabaseIsOneLine) {
  std::string error;
  EXPECT_FALSE(server::OpenPostgresStore("postgresql://postgres@/x?host=/nonexistent", &error));
  EXPECT_NE(error.find("cannot reach the database"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

// The database crashes under a running store: calls say so at once, nothing written before
// is lost, and the store finds the database again by itself.
TEST(PostgresClusterTest, ACrashedDatabaseComesBackUnderTheStore) {
  if (testpg::ClusterFolder().empty()) GTEST_SKIP() << "no test PostgreSQL (run under CTest)";
  testpg::Cluster cluster;
  ASSERT_TRUE(cluster.started());
  std::string error;
  auto store = server::OpenPostgresStore(cluster.conninfo(), &error);
  ASSERT_TRUE(store) << error;
  ASSERT_EQ(store->AddTicket(TicketNamed("before")), StoreResult::kOk);
  std::int64_t entryId = 0;
  ASSERT_EQ(store->Redeem(EntryFor(TicketNamed("before"), 500), &entryId), StoreResult::kOk);

  ASSERT_TRUE(cluster.Halt());
  server::Ticket ticket;
  EXPECT_EQ(store->FindTicket("before", &ticket), StoreResult::kUnavailable);
  EXPECT_EQ(store->AddTicket(TicketNamed("while-away")), StoreResult::kUnavailable);
  std::vector<server::TableRow> rows;
  EXPECT_EQ(store->Table(1, 100, &rows), StoreResult::kUnavailable);

  ASSERT_TRUE(cluster.Start());
  // The store tries the database again at most twice a second, so a database
  // back sooner is found on a later call, within a bound.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  StoreResult found = StoreResult::kUnavailable;
  while ((found = store->FindTicket("before", &ticket)) == StoreResult::kUnavailable &&
         std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_EQ(found, StoreResult::kOk);
  EXPECT_TRUE(ticket.redeemed);
  EXPECT_EQ(store->FindTicket("while-away", &ticket), StoreResult::kNotFound);
  ASSERT_EQ(store->Table(1, 100, &rows), StoreResult::kOk);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].entryId, entryId);
  std::vector<std::uint8_t> replay;
  bool removed = true;
  ASSERT_EQ(store->ReplayOf(entryId, &replay, &removed), StoreResult::kOk);
  EXPECT_EQ(replay, EntryFor(TicketNamed("before"), 500).replay);
  EXPECT_FALSE(removed);

  // Connections the store kept while the database restarted, unused meanwhile, are found
  // dead before a call is lost on them: not one call fails once it is back.
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i) {
    readers.emplace_back([&] {
      std::vector<server::TableRow> table;
      for (int read = 0; read < 20; ++read)
        EXPECT_EQ(store->Table(1, 100, &table), StoreResult::kOk);
    });
  }
  for (std::thread& reader : readers) reader.join();
  ASSERT_TRUE(cluster.Halt());
  ASSERT_TRUE(cluster.Start());
  for (int call = 0; call < 8; ++call) {
    EXPECT_EQ(store->FindTicket("before", &ticket), StoreResult::kOk) << "call " << call;
  }
}

}  // namespace
