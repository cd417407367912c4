// The operator's side of a running server: verify-all finds an entry whose
// stored game no longer comes out as stored, remove takes one out and keeps
// why, and /metrics counts what happened.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "core/replay_file.h"
#include "tests/server/world_scratch.h"

namespace {

using testworld::Reply;
using testworld::ServerProcess;

struct CommandRun {
  int status = -1;
  std::string out;
};

CommandRun RunServerCommand(const std::string& arguments) {
  CommandRun run;
  std::FILE* pipe = popen(("'" MORVEX2_SERVER_PATH "' " + arguments + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    run.out.append(buffer, got);
  }
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// Runs `sql` on the server's database file, binding `blob` to its one `?`.
void RunSql(const std::string& path, const std::string& sql,
            const std::vector<std::uint8_t>& blob = {}) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  sqlite3_busy_timeout(db, 5000);
  sqlite3_stmt* statement = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  if (!blob.empty())
    sqlite3_bind_blob(statement, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
  EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE) << sqlite3_errmsg(db);
  sqlite3_finalize(statement);
  sqlite3_close(db);
}

std::string QueryText(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
  std::string text;
  if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr) {
    text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return text;
}

class OperationsTest : public testing::Test {
 protected:
  OperationsTest() : clock_(scratch_.path()), database_(scratch_.path() + "/world.sqlite") {}
  void SetUp() override {
    server_ = std::make_unique<ServerProcess>(std::vector<std::string>{"--data", scratch_.path()});
    ASSERT_TRUE(server_->started()) << server_->Log();
  }

  testworld::Scratch scratch_;
  testworld::TestClock clock_;
  std::string database_;
  std::unique_ptr<ServerProcess> server_;
};

TEST_F(OperationsTest, VerifyAllFindsAnEntryThatNoLongerReproduces) {
  const Reply kept = testworld::PlayAndSubmit(*server_, clock_, 1, "KEPT");
  const Reply changed = testworld::PlayAndSubmit(*server_, clock_, 1, "CHANGED");
  ASSERT_EQ(kept.status, 201) << kept.body;
  ASSERT_EQ(changed.status, 201) << changed.body;
  CommandRun run = RunServerCommand("verify-all --data '" + scratch_.path() + "'");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("2 entries checked, 0 do not reproduce"), std::string::npos) << run.out;

  // The stored game edited as a forger would (checksum fixed), score and all.
  const std::string id = std::to_string(changed.Number("entry"));
  Replay replay;
  std::string error;
  const Reply bytes = server_->Get("/api/v1/entries/" + id + "/replay");
  ASSERT_TRUE(DecodeReplay(std::vector<std::uint8_t>(bytes.body.begin(), bytes.body.end()), &replay,
                           &error))
      << error;
  replay.score += 100;
  RunSql(database_, "UPDATE entries SET replay = ?, score = score + 100 WHERE id = " + id,
         EncodeReplay(replay));
  run = RunServerCommand("verify-all --data '" + scratch_.path() + "'");
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.out.find("entry " + id + " no longer reproduces"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2 entries checked, 1 do not reproduce"), std::string::npos) << run.out;

  // The other entry's game, numbers and all, put in its place: it plays back as it claims, but
  // it is not the game of this entry's ticket.
  const std::string keptId = std::to_string(kept.Number("entry"));
  RunSql(database_,
         "UPDATE entries SET (replay, score, removed_count) = (SELECT replay, score, "
         "removed_count FROM entries WHERE id = " +
             keptId + ") WHERE id = " + id);
  run = RunServerCommand("verify-all --data '" + scratch_.path() + "'");
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.out.find("entry " + id + " is not its ticket's game"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("2 entries checked, 1 do not reproduce"), std::string::npos) << run.out;
}

TEST_F(OperationsTest, RemoveTakesAnEntryOutAndKeepsWhy) {
  const Reply entry = testworld::PlayAndSubmit(*server_, clock_, 0, "GONE");
  ASSERT_EQ(entry.status, 201) << entry.body;
  const std::string id = std::to_string(entry.Number("entry"));
  CommandRun run = RunServerCommand("remove " + id + " --why 'played by a program' --data '" +
                                    scratch_.path() + "'");
  EXPECT_EQ(run.status, 0) << run.out;
  const std::string when = QueryText(database_, "SELECT removed_ms FROM entries WHERE id = " + id);
  EXPECT_FALSE(when.empty());
  // Removed again, it keeps the first why and when.
  clock_.Advance(60'000);
  run = RunServerCommand("remove " + id + " --why 'a second thought' --data '" + scratch_.path() +
                         "'");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(QueryText(database_, "SELECT removed_why FROM entries WHERE id = " + id),
            "played by a program");
  EXPECT_EQ(QueryText(database_, "SELECT removed_ms FROM entries WHERE id = " + id), when);
  // Its game is no longer given out.
  const Reply replay = server_->Get("/api/v1/entries/" + id + "/replay");
  EXPECT_EQ(replay.status, 410);
  EXPECT_EQ(replay.Code(), "entry-removed");
  const nlohmann::json table = nlohmann::json::parse(server_->Get("/api/v1/tables/0").body);
  EXPECT_TRUE(table["entries"].empty());

  const struct {
    std::string arguments;
    int status;
    const char* says;
  } refused[] = {
      {"remove 999 --why x --data '" + scratch_.path() + "'", 1, "no entry 999"},
      {"remove " + id + " --data '" + scratch_.path() + "'", 2, "needs --why"},
      {"remove --why x --data '" + scratch_.path() + "'", 2, "needs the entry's id"},
      {"verify-all", 2, "--data"},
  };
  for (const auto& row : refused) {
    run = RunServerCommand(row.arguments);
    EXPECT_EQ(run.status, row.status) << row.arguments << ": " << run.out;
    EXPECT_NE(run.out.find(row.says), std::string::npos) << run.out;
  }
}

TEST_F(OperationsTest, MetricsCountRequestsSubmissionsAndPlaybacks) {
  ASSERT_EQ(testworld::PlayAndSubmit(*server_, clock_, 2, "ONE").status, 201);
  ASSERT_EQ(server_->Post("/api/v1/tickets/" + std::string(32, 'f') + "/replay", "{").status, 400);
  const Reply metrics = server_->Get("/metrics");
  ASSERT_EQ(metrics.status, 200);
  for (const char* line : {
           "morvex2_submissions_total{outcome=\"accepted\"} 1",
           "morvex2_submissions_total{outcome=\"bad-json\"} 1",
           "morvex2_http_requests_total{route=\"/api/v1/tickets\",status=\"201\"} 1",
           "morvex2_http_requests_total{route=\"/api/v1/tickets/{id}/start\",status=\"204\"} 1",
           "morvex2_verification_seconds_count 1",
       }) {
    EXPECT_NE(metrics.body.find(line), std::string::npos) << line << "\n" << metrics.body;
  }
}

}  // namespace
