// The embedded store: one SQLite file in the data folder, for a server of one
// process. Write-ahead logging lets the tables be read while an entry is
// written; synchronous=FULL makes a committed entry outlast a power cut, so
// an entry answered "accepted" is on the disk before the answer leaves.
#include <sqlite3.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>

#include "server/server_log.h"
#include "server/sqlite_schema.h"
#include "server/store.h"

namespace server {
namespace {

// How long a write waits for another process's (a backup's, the operator's
// sqlite3 shell's) before the store calls the database away.
constexpr int kBusyTimeoutMs = 5000;

// One prepared statement, finalised when it goes.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) statement_ = nullptr;
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  [[nodiscard]] bool Ok() const { return statement_ != nullptr; }
  Statement& Bind(int index, std::int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
  }
  Statement& Bind(int index, std::string_view text) {
    sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
  }
  Statement& BindBlob(int index, const void* bytes, std::size_t size) {
    // A zero-length blob is still a blob, not NULL.
    sqlite3_bind_blob(statement_, index, size == 0 ? "" : bytes, static_cast<int>(size),
                      SQLITE_TRANSIENT);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int Step() { return statement_ == nullptr ? SQLITE_ERROR : sqlite3_step(statement_); }

  [[nodiscard]] std::int64_t Int(int column) const {
    return sqlite3_column_int64(statement_, column);
  }
  [[nodiscard]] bool IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
  }
  [[nodiscard]] std::string Text(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    return bytes == nullptr ? std::string()
                            : std::string(bytes, sqlite3_column_bytes(statement_, column));
  }
  [[nodiscard]] std::vector<std::uint8_t> Blob(int column) const {
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
    return bytes == nullptr
               ? std::vector<std::uint8_t>()
               : std::vector<std::uint8_t>(bytes, bytes + sqlite3_column_bytes(statement_, column));
  }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// The version the file's schema is at; 0 for an empty file. The database's
// own words when it cannot be read: taken before the statement is finalised,
// which would leave "not an error" in their place.
bool SchemaVersion(sqlite3* db, int* version, std::string* error) {
  Statement exists(db, "SELECT count(*) FROM sqlite_master WHERE name = 'schema_version'");
  if (exists.Step() != SQLITE_ROW) {
    *error = sqlite3_errmsg(db);
    return false;
  }
  if (exists.Int(0) == 0) {
    *version = 0;
    return true;
  }
  Statement read(db, "SELECT max(version) FROM schema_version");
  if (read.Step() != SQLITE_ROW) {
    *error = sqlite3_errmsg(db);
    return false;
  }
  *version = static_cast<int>(read.Int(0));
  return true;
}

// SQLite's own check of every page, or "" when it passes. The quick form:
// it reads each page and each record once, without matching the indexes
// against their tables, so a start on a large file stays short.
std::string IntegrityProblems(sqlite3* db) {
  Statement check(db, "PRAGMA quick_check(5)");
  std::string problems;
  int result = SQLITE_ROW;
  while ((result = check.Step()) == SQLITE_ROW) {
    const std::string line = check.Text(0);
    if (line == "ok") continue;
    if (!problems.empty()) problems += "; ";
    problems += line;
  }
  if (result != SQLITE_DONE && problems.empty()) problems = sqlite3_errmsg(db);
  return problems;
}

bool IsDamage(int result) {
  return (result & 0xff) == SQLITE_CORRUPT || (result & 0xff) == SQLITE_NOTADB;
}

bool Exec(sqlite3* db, const char* sql, std::string* error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  *error = message != nullptr ? message : sqlite3_errmsg(db);
  sqlite3_free(message);
  return false;
}

// Moves the schema forward to the newest version, all missing steps in one
// transaction: a server stopped in the middle leaves the file as it was.
bool Migrate(sqlite3* db, std::string* error) {
  if (!Exec(db, "BEGIN IMMEDIATE", error)) return false;
  int version = 0;
  if (!SchemaVersion(db, &version, error)) {
    std::string ignored;
    Exec(db, "ROLLBACK", &ignored);
    return false;
  }
  if (version > static_cast<int>(kSqliteSchemaSteps.size())) {
    *error = "the database is of schema version " + std::to_string(version) +
             ", made by a newer server; this one knows up to " +
             std::to_string(kSqliteSchemaSteps.size());
    std::string ignored;
    Exec(db, "ROLLBACK", &ignored);
    return false;
  }
  for (std::size_t step = static_cast<std::size_t>(version); step < kSqliteSchemaSteps.size();
       ++step) {
    if (!Exec(db, kSqliteSchemaSteps[step], error)) {
      *error = "moving the schema to version " + std::to_string(step + 1) + ": " + *error;
      std::string ignored;
      Exec(db, "ROLLBACK", &ignored);
      return false;
    }
  }
  return Exec(db, "COMMIT", error);
}

class SqliteStore final : public Store {
 public:
  SqliteStore(sqlite3* db, std::string damage) : db_(db), damage_(std::move(damage)) {}
  ~SqliteStore() override { sqlite3_close(db_); }
  SqliteStore(const SqliteStore&) = delete;
  SqliteStore& operator=(const SqliteStore&) = delete;

  StoreResult AddTicket(const Ticket& ticket) override {
    const std::lock_guard lock(mutex_);
    Statement insert(db_,
                     "INSERT INTO tickets(id, level, seed, issued_ms, expires_ms, started_ms, "
                     "ended_ms, redeemed) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(1, ticket.id).Bind(2, ticket.level).Bind(3, std::int64_t{ticket.seed});
    insert.Bind(4, ticket.issuedMs).Bind(5, ticket.expiresMs);
    BindOptional(insert, 6, ticket.startedMs);
    BindOptional(insert, 7, ticket.endedMs);
    insert.Bind(8, ticket.redeemed ? 1 : 0);
    const int result = insert.Step();
    if (result == SQLITE_CONSTRAINT) return StoreResult::kConflict;
    return result == SQLITE_DONE ? Back() : Failed();
  }

  StoreResult FindTicket(std::string_view id, Ticket* ticket) override {
    const std::lock_guard lock(mutex_);
    Statement find(db_,
                   "SELECT id, level, seed, issued_ms, expires_ms, started_ms, ended_ms, redeemed, "
                   "progress_ms, progress_at_ms FROM tickets WHERE id = ?");
    find.Bind(1, id);
    const int result = find.Step();
    if (result == SQLITE_DONE) return StoreResult::kNotFound;
    if (result != SQLITE_ROW) return Failed();
    ticket->id = find.Text(0);
    ticket->level = static_cast<std::int32_t>(find.Int(1));
    ticket->seed = static_cast<std::uint32_t>(find.Int(2));
    ticket->issuedMs = find.Int(3);
    ticket->expiresMs = find.Int(4);
    ticket->startedMs = find.IsNull(5) ? std::nullopt : std::optional(find.Int(5));
    ticket->endedMs = find.IsNull(6) ? std::nullopt : std::optional(find.Int(6));
    ticket->redeemed = find.Int(7) != 0;
    ticket->progressMs = find.IsNull(8) ? std::nullopt : std::optional(find.Int(8));
    ticket->progressAtMs = find.IsNull(9) ? std::nullopt : std::optional(find.Int(9));
    return StoreResult::kOk;
  }

  StoreResult MarkStarted(std::string_view id, std::int64_t nowMs) override {
    return Stamp("UPDATE tickets SET started_ms = coalesce(started_ms, ?) WHERE id = ?", id, nowMs);
  }

  StoreResult MarkEnded(std::string_view id, std::int64_t nowMs) override {
    return Stamp("UPDATE tickets SET ended_ms = coalesce(ended_ms, ?) WHERE id = ?", id, nowMs);
  }

  StoreResult MarkProgress(std::string_view id, std::int64_t gameMs, std::int64_t nowMs) override {
    const std::lock_guard lock(mutex_);
    Statement mark(db_,
                   "UPDATE tickets SET "
                   "progress_at_ms = CASE WHEN coalesce(progress_ms, -1) < ?1 THEN ?2 "
                   "ELSE progress_at_ms END, "
                   "progress_ms = max(coalesce(progress_ms, -1), ?1) WHERE id = ?3");
    mark.Bind(1, gameMs).Bind(2, nowMs).Bind(3, id);
    if (mark.Step() != SQLITE_DONE) return Failed();
    return sqlite3_changes(db_) == 0 ? StoreResult::kNotFound : StoreResult::kOk;
  }

  StoreResult Redeem(const Entry& entry, std::int64_t* entryId) override {
    const std::lock_guard lock(mutex_);
    std::string error;
    if (!Exec(db_, "BEGIN IMMEDIATE", &error)) return Failed();
    const StoreResult result = RedeemInTransaction(entry, entryId);
    if (result != StoreResult::kOk) {
      Exec(db_, "ROLLBACK", &error);
      return result;
    }
    return Commit();
  }

  StoreResult Table(std::int32_t level, std::int32_t limit, std::vector<TableRow>* rows) override {
    const std::lock_guard lock(mutex_);
    Statement table(db_,
                    "SELECT id, name, score, removed_count, date_ms FROM entries "
                    "WHERE level = ? AND removed_ms IS NULL ORDER BY score DESC, id LIMIT ?");
    table.Bind(1, level).Bind(2, limit);
    rows->clear();
    int result = SQLITE_ROW;
    while ((result = table.Step()) == SQLITE_ROW) {
      rows->push_back({.rank = static_cast<std::int32_t>(rows->size() + 1),
                       .entryId = table.Int(0),
                       .name = table.Text(1),
                       .score = static_cast<std::int32_t>(table.Int(2)),
                       .removedCount = static_cast<std::int32_t>(table.Int(3)),
                       .dateMs = table.Int(4)});
    }
    return result == SQLITE_DONE ? StoreResult::kOk : Failed();
  }

  StoreResult RankOf(std::int64_t entryId, std::int32_t* rank) override {
    const std::lock_guard lock(mutex_);
    Statement count(db_,
                    "SELECT count(*) + 1 FROM entries AS other, entries AS this "
                    "WHERE this.id = ? AND this.removed_ms IS NULL "
                    "AND other.level = this.level AND other.removed_ms IS NULL "
                    "AND (other.score > this.score OR "
                    "(other.score = this.score AND other.id < this.id))");
    count.Bind(1, entryId);
    if (count.Step() != SQLITE_ROW) return Failed();
    // An unknown or removed entry leaves no row to count against: the join
    // is empty and the count is 1. Ask whether it is there at all.
    Statement listed(db_, "SELECT 1 FROM entries WHERE id = ? AND removed_ms IS NULL");
    listed.Bind(1, entryId);
    const int there = listed.Step();
    if (there == SQLITE_DONE) return StoreResult::kNotFound;
    if (there != SQLITE_ROW) return Failed();
    *rank = static_cast<std::int32_t>(count.Int(0));
    return StoreResult::kOk;
  }

  StoreResult ReplayOf(std::int64_t entryId, std::vector<std::uint8_t>* replay,
                       bool* removed) override {
    const std::lock_guard lock(mutex_);
    Statement find(db_, "SELECT removed_ms IS NOT NULL, replay FROM entries WHERE id = ?");
    find.Bind(1, entryId);
    const int result = find.Step();
    if (result == SQLITE_DONE) return StoreResult::kNotFound;
    if (result != SQLITE_ROW) return Failed();
    *removed = find.Int(0) != 0;
    replay->clear();
    if (!*removed) *replay = find.Blob(1);
    return StoreResult::kOk;
  }

  StoreResult ForEachEntry(const std::function<void(const Entry&)>& visit) override {
    // Read whole first: the visitor plays each game back, which takes a while,
    // and the server keeps answering meanwhile.
    std::vector<Entry> entries;
    {
      const std::lock_guard lock(mutex_);
      Statement all(db_,
                    "SELECT id, level, name, score, removed_count, date_ms, ticket_id, replay "
                    "FROM entries WHERE removed_ms IS NULL ORDER BY id");
      int result = SQLITE_ROW;
      while ((result = all.Step()) == SQLITE_ROW) {
        entries.push_back({.id = all.Int(0),
                           .level = static_cast<std::int32_t>(all.Int(1)),
                           .name = all.Text(2),
                           .score = static_cast<std::int32_t>(all.Int(3)),
                           .removedCount = static_cast<std::int32_t>(all.Int(4)),
                           .dateMs = all.Int(5),
                           .ticketId = all.Text(6),
                           .replay = all.Blob(7)});
      }
      if (result != SQLITE_DONE) return Failed();
    }
    for (const Entry& entry : entries) visit(entry);
    return StoreResult::kOk;
  }

  StoreResult Remove(std::int64_t entryId, std::string_view why, std::int64_t nowMs) override {
    const std::lock_guard lock(mutex_);
    Statement remove(db_,
                     "UPDATE entries SET removed_ms = coalesce(removed_ms, ?), "
                     "removed_why = coalesce(removed_why, ?) "
                     "WHERE id = ?");
    remove.Bind(1, nowMs).Bind(2, why).Bind(3, entryId);
    if (remove.Step() != SQLITE_DONE) return Failed();
    return sqlite3_changes(db_) == 0 ? StoreResult::kNotFound : StoreResult::kOk;
  }

  StoreResult DropExpiredTickets(std::int64_t nowMs) override {
    const std::lock_guard lock(mutex_);
    Statement drop(db_, "DELETE FROM tickets WHERE expires_ms < ? AND redeemed = 0");
    drop.Bind(1, nowMs);
    return drop.Step() == SQLITE_DONE ? Back() : Failed();
  }

  StoreResult Probe(std::string* why) override {
    const std::lock_guard lock(mutex_);
    {
      Statement read(db_, "SELECT count(*) FROM entries WHERE removed_ms IS NULL");
      if (read.Step() != SQLITE_ROW) return Failed(why);
    }
    // A ticket written and taken away again in one transaction: the commit
    // goes to the disk as an entry's does, and nothing is left of it.
    std::string ignored;
    if (!Exec(db_, "BEGIN IMMEDIATE", &ignored)) return Failed(why);
    if (!WriteAndTakeBack()) {
      const StoreResult failed = Failed(why);
      Exec(db_, "ROLLBACK", &ignored);
      return failed;
    }
    const StoreResult committed = Commit();
    if (committed != StoreResult::kOk) *why = lastError_;
    return committed;
  }

  std::string Damage() override {
    const std::lock_guard lock(mutex_);
    return damage_;
  }

 private:
  // What an SQLite failure means to the server: the file is busy or cannot be
  // written (the disk is full, the folder went away) — the database is away —
  // or a page of it is damaged. Either is logged in SQLite's own words, once
  // until the database answers again; damage is kept, and stops new tickets.
  StoreResult Failed(std::string* why = nullptr) {
    const int code = sqlite3_extended_errcode(db_);
    lastError_ = sqlite3_errmsg(db_);
    if (why != nullptr) *why = lastError_;
    if (IsDamage(code) && damage_.empty()) {
      damage_ = lastError_;
      LogLine("The database is damaged: " + lastError_);
    } else if (!away_) {
      LogLine("The database is away: " + lastError_);
    }
    away_ = true;
    return StoreResult::kUnavailable;
  }

  // A statement that wrote or read went through: the database answers again.
  StoreResult Back() {
    if (away_) LogLine("The database is back.");
    away_ = false;
    return StoreResult::kOk;
  }

  bool WriteAndTakeBack() {
    Statement write(db_,
                    "INSERT INTO tickets(id, level, seed, issued_ms, expires_ms, redeemed) "
                    "VALUES ('probe', 0, 0, 0, 0, 0)");
    if (write.Step() != SQLITE_DONE) return false;
    Statement drop(db_, "DELETE FROM tickets WHERE id = 'probe'");
    return drop.Step() == SQLITE_DONE;
  }

  StoreResult Commit() {
    std::string error;
    if (Exec(db_, "COMMIT", &error)) return Back();
    const StoreResult failed = Failed();
    Exec(db_, "ROLLBACK", &error);
    return failed;
  }

  static void BindOptional(Statement& statement, int index,
                           const std::optional<std::int64_t>& value) {
    if (value) statement.Bind(index, *value);
  }

  StoreResult Stamp(const char* sql, std::string_view id, std::int64_t nowMs) {
    const std::lock_guard lock(mutex_);
    Statement stamp(db_, sql);
    stamp.Bind(1, nowMs).Bind(2, id);
    if (stamp.Step() != SQLITE_DONE) return Failed();
    return sqlite3_changes(db_) == 0 ? StoreResult::kNotFound : StoreResult::kOk;
  }

  StoreResult RedeemInTransaction(const Entry& entry, std::int64_t* entryId) {
    Statement redeem(db_, "UPDATE tickets SET redeemed = 1 WHERE id = ? AND redeemed = 0");
    redeem.Bind(1, entry.ticketId);
    if (redeem.Step() != SQLITE_DONE) return Failed();
    if (sqlite3_changes(db_) == 0) {
      Statement known(db_, "SELECT 1 FROM tickets WHERE id = ?");
      known.Bind(1, entry.ticketId);
      const int result = known.Step();
      if (result == SQLITE_ROW) return StoreResult::kConflict;
      return result == SQLITE_DONE ? StoreResult::kNotFound : Failed();
    }
    Statement insert(db_,
                     "INSERT INTO entries(level, name, score, removed_count, date_ms, ticket_id, "
                     "replay) VALUES (?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(1, entry.level);
    insert.BindBlob(2, entry.name.data(), entry.name.size());
    insert.Bind(3, entry.score).Bind(4, entry.removedCount).Bind(5, entry.dateMs);
    insert.Bind(6, entry.ticketId);
    insert.BindBlob(7, entry.replay.data(), entry.replay.size());
    const int result = insert.Step();
    if (result == SQLITE_CONSTRAINT) return StoreResult::kConflict;
    if (result != SQLITE_DONE) return Failed();
    *entryId = sqlite3_last_insert_rowid(db_);
    return StoreResult::kOk;
  }

  std::mutex mutex_;  // one connection, shared by the server's threads
  sqlite3* db_;
  std::string damage_;
  std::string lastError_;
  bool away_ = false;
};

}  // namespace

std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string* error) {
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    *error = "cannot open " + path + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  std::string why;
  if (!Exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON",
            &why) ||
      !Migrate(db, &why)) {
    *error = path + ": " + why;
    sqlite3_close(db);
    return nullptr;
  }
  std::string damage = IntegrityProblems(db);
  if (!damage.empty()) {
    LogLine("The database " + path + " is damaged: " + damage +
            ". Its tables are served as far as they can be read, and no ticket is given until "
            "it is mended or restored from a backup.");
  }
  return std::make_unique<SqliteStore>(db, std::move(damage));
}

}  // namespace server
