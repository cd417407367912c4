// The embedded store's schema, one step per version: step 0 makes version 1
// in an empty file, each later step moves a file one version on. A file is
// moved forward on open, every missing step in order in one transaction.
// Steps are never changed once released; a change of schema is a new step.
#pragma once

#include <array>

namespace server {

inline constexpr std::array<const char*, 3> kSqliteSchemaSteps = {
    // 1: tickets and the entries they were redeemed for.
    R"sql(
CREATE TABLE schema_version(version INTEGER NOT NULL);
INSERT INTO schema_version(version) VALUES (1);
CREATE TABLE tickets(
  id TEXT PRIMARY KEY,
  level INTEGER NOT NULL,
  seed INTEGER NOT NULL,
  issued_ms INTEGER NOT NULL,
  expires_ms INTEGER NOT NULL,
  started_ms INTEGER,
  ended_ms INTEGER,
  redeemed INTEGER NOT NULL DEFAULT 0);
CREATE TABLE entries(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  level INTEGER NOT NULL,
  name BLOB NOT NULL,
  score INTEGER NOT NULL,
  removed_count INTEGER NOT NULL,
  date_ms INTEGER NOT NULL,
  ticket_id TEXT NOT NULL UNIQUE,
  replay BLOB NOT NULL);
)sql",
    // 2: an entry taken out of the tables keeps why and when; the tables are
    // read through an index of what is still in them.
    R"sql(
ALTER TABLE entries ADD COLUMN removed_ms INTEGER;
ALTER TABLE entries ADD COLUMN removed_why TEXT;
CREATE INDEX entries_by_rank ON entries(level, score DESC, id) WHERE removed_ms IS NULL;
CREATE INDEX tickets_by_expiry ON tickets(expires_ms) WHERE redeemed = 0;
UPDATE schema_version SET version = 2;
)sql",
    // 3: the latest progress a game told while it played: its own clock, and
    // the server's when the stamp came.
    R"sql(
ALTER TABLE tickets ADD COLUMN progress_ms INTEGER;
ALTER TABLE tickets ADD COLUMN progress_at_ms INTEGER;
UPDATE schema_version SET version = 3;
)sql",
};

}  // namespace server
