// The world tables' schema in PostgreSQL, one migration step per version, and the step that
// brings a database forward to this server's version when it opens it.
#pragma once

#include <span>
#include <string>

#include "server/postgres_connection.h"

namespace server {

// Step i (0-based) takes a database from version i to version i + 1; version 0 is an empty
// database. Steps are only ever added, never changed: databases out there ran them.
std::span<const char* const> PostgresMigrations();

// Brings the database forward to the newest version, in one transaction under an advisory
// lock, so that server processes starting together migrate it once. False, with one line in
// *error, when it cannot (the database away, or newer than this server knows).
bool MigratePostgres(PgLease& lease, std::string* error);

}  // namespace server
