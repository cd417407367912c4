// The embedded store: the store suite over a fresh file, and what only the
// file does: a file of the first schema brought forward with its entries, and
// files it must not open.
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "server/sqlite_schema.h"
#include "tests/server/store_suite.h"

namespace storetest {
namespace {

namespace fs = std::filesystem;
using server::StoreResult;

class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "morvex2-store-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  [[nodiscard]] std::string File(const char* name) const {
    return (fs::path(path_) / name).string();
  }

 private:
  std::string path_;
};

class SqliteHome final : public StoreHome {
 public:
  std::unique_ptr<server::Store> Open() override {
    std::string error;
    auto store = server::OpenSqliteStore(folder_.File("world.sqlite"), &error);
    EXPECT_NE(store, nullptr) << error;
    return store;
  }

 private:
  TemporaryFolder folder_;
};

std::unique_ptr<StoreHome> MakeSqliteHome() {
  return std::make_unique<SqliteHome>();
}

INSTANTIATE_TEST_SUITE_P(Sqlite, StoreSuite, testing::Values(&MakeSqliteHome), OneStore);

// Runs `sql` on the file at `path` as the sqlite3 shell would.
void RunSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error != nullptr ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

int SchemaVersion(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* read = nullptr;
  sqlite3_prepare_v2(db, "SELECT version FROM schema_version", -1, &read, nullptr);
  const int version = sqlite3_step(read) == SQLITE_ROW ? sqlite3_column_int(read, 0) : -1;
  sqlite3_finalize(read);
  sqlite3_close(db);
  return version;
}

TEST(SqliteStoreTest, AFileOfTheFirstSchemaIsBroughtForwardWithItsEntries) {
  TemporaryFolder folder;
  const std::string path = folder.File("world.sqlite");
  RunSql(path, server::kSqliteSchemaSteps[0]);
  const server::Ticket ticket = TicketNamed(std::string(32, 'b'));
  RunSql(path,
         "INSERT INTO tickets VALUES ('" + ticket.id +
             "', 1, 4294967295, 1000, 2000, 1100, 1900, 1);"
             "INSERT INTO entries(level, name, score, removed_count, date_ms, ticket_id, replay) "
             "VALUES (1, x'835C', 720, 12, 1950, '" +
             ticket.id + "', x'4D56');");
  ASSERT_EQ(SchemaVersion(path), 1);

  std::string error;
  auto store = server::OpenSqliteStore(path, &error);
  ASSERT_NE(store, nullptr) << error;
  EXPECT_EQ(SchemaVersion(path), static_cast<int>(server::kSqliteSchemaSteps.size()));
  std::vector<server::TableRow> rows;
  ASSERT_EQ(store->Table(1, 100, &rows), StoreResult::kOk);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "\x83\x5C");
  EXPECT_EQ(rows[0].score, 720);
  server::Ticket found;
  ASSERT_EQ(store->FindTicket(ticket.id, &found), StoreResult::kOk);
  EXPECT_EQ(found.seed, 0xFFFFFFFFu);
  EXPECT_TRUE(found.redeemed);
  // What the later schema added works on the old entry.
  ASSERT_EQ(store->Remove(rows[0].entryId, "a change of rules", 3000), StoreResult::kOk);
  ASSERT_EQ(store->Table(1, 100, &rows), StoreResult::kOk);
  EXPECT_TRUE(rows.empty());
  // Opening it again changes nothing more.
  store.reset();
  ASSERT_NE(server::OpenSqliteStore(path, &error), nullptr) << error;
  EXPECT_EQ(SchemaVersion(path), static_cast<int>(server::kSqliteSchemaSteps.size()));
}

TEST(SqliteStoreTest, FilesItCannotUseAreRefusedWithAReason) {
  TemporaryFolder folder;
  const std::string newer = folder.File("newer.sqlite");
  RunSql(newer,
         "CREATE TABLE schema_version(version INTEGER); INSERT INTO schema_version VALUES (99);");
  const std::string notDatabase = folder.File("text.sqlite");
  RunSql(folder.File("unused.sqlite"), "");
  { std::ofstream(notDatabase) << "not a database, only text that is long enough to be read\n"; }
  const struct {
    std::string path;
    const char* says;
  } rows[] = {
      {newer, "newer server"},
      {notDatabase, "not a database"},
      {folder.File("no/such/folder/world.sqlite"), "cannot open"},
  };
  for (const auto& row : rows) {
    std::string error;
    EXPECT_EQ(server::OpenSqliteStore(row.path, &error), nullptr) << row.path;
    EXPECT_NE(error.find(row.says), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace storetest
