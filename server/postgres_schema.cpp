#include "server/postgres_schema.h"

#include <array>
#include <cstdint>
#include <string>

namespace server {

namespace {

// The advisory lock's key: any number other programs on the database are unlikely to take.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7317093301)";

// Version 1: tickets and the entries they were redeemed for. Names are kept as the tables
// keep them, code page 932 bytes, which is not the database's text encoding: bytea. Seeds
// are unsigned 32-bit: bigint.
constexpr const char* kVersion1 = R"sql(
CREATE TABLE tickets (
  id TEXT PRIMARY KEY,
  level INTEGER NOT NULL,
  seed BIGINT NOT NULL,
  issued_ms BIGINT NOT NULL,
  expires_ms BIGINT NOT NULL,
  started_ms BIGINT,
  ended_ms BIGINT,
  redeemed BOOLEAN NOT NULL DEFAULT false
);
CREATE TABLE entries (
  id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  level INTEGER NOT NULL,
  name BYTEA NOT NULL,
  score INTEGER NOT NULL,
  removed_count INTEGER NOT NULL,
  date_ms BIGINT NOT NULL,
  ticket_id TEXT NOT NULL UNIQUE,
  replay BYTEA NOT NULL
);
)sql";

// Version 2: an entry taken out of the tables keeps why and when; the tables are read, and
// expired tickets found, through indexes of only the rows that count.
constexpr const char* kVersion2 = R"sql(
ALTER TABLE entries ADD COLUMN removed_ms BIGINT;
ALTER TABLE entries ADD COLUMN removed_why TEXT;
CREATE INDEX entries_by_rank ON entries (level, score DESC, id) WHERE removed_ms IS NULL;
CREATE INDEX tickets_by_expiry ON tickets (expires_ms) WHERE NOT redeemed;
)sql";

// Version 3: the latest progress a game told while it played: its own clock, and the
// server's when the stamp came.
constexpr const char* kVersion3 = R"sql(
ALTER TABLE tickets ADD COLUMN progress_ms BIGINT;
ALTER TABLE tickets ADD COLUMN progress_at_ms BIGINT;
)sql";

constexpr std::array<const char*, 3> kMigrations = {kVersion1, kVersion2, kVersion3};

bool Failed(const PgRows& rows, const char* what, std::string* error) {
  if (rows.ok()) return false;
  if (error) *error = std::string(what) + ": " + rows.error();
  return true;
}

}  // namespace

std::span<const char* const> PostgresMigrations() {
  return kMigrations;
}

bool MigratePostgres(PgLease& lease, std::string* error) {
  if (Failed(lease.Exec("BEGIN"), "cannot begin the schema's migration", error)) return false;
  // Whatever fails below, the transaction ends with the lease: a connection given back with
  // a transaction open is closed, which rolls it back.
  if (Failed(lease.Exec(kMigrationLock), "cannot lock the schema", error) ||
      Failed(lease.Exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"),
             "cannot make the schema's version table", error)) {
    return false;
  }
  const PgRows found = lease.Exec("SELECT max(version) FROM schema_version");
  if (Failed(found, "cannot read the schema's version", error)) return false;
  const std::int64_t version = found.IsNull(0, 0) ? 0 : found.Int(0, 0);
  const auto newest = static_cast<std::int64_t>(kMigrations.size());
  if (version > newest) {
    if (error) {
      *error = "the database's schema is version " + std::to_string(version) +
               ", newer than this server's " + std::to_string(newest);
    }
    lease.Exec("ROLLBACK");
    return false;
  }
  for (std::int64_t step = version; step < newest; ++step) {
    const std::string what = "cannot migrate the schema to version " + std::to_string(step + 1);
    if (Failed(lease.Script(kMigrations[static_cast<std::size_t>(step)]), what.c_str(), error)) {
      return false;
    }
  }
  if (version != newest) {
    const std::string next = std::to_string(newest);
    if (Failed(lease.Exec("DELETE FROM schema_version"), "cannot note the schema's version",
               error) ||
        Failed(lease.Exec("INSERT INTO schema_version (version) VALUES ($1)", {{next}}),
               "cannot note the schema's version", error)) {
      return false;
    }
  }
  return !Failed(lease.Exec("COMMIT"), "cannot commit the schema's migration", error);
}

}  // namespace server
