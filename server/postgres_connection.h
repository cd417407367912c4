// Connections to one PostgreSQL database, shared by the server's threads. Each store call
// borrows a connection for itself and gives it back; one the database dropped (a restart, a
// crash, a network cut) is closed, and a later borrow opens a new one, so the server finds
// its database again by itself once it is back.
#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// One statement's parameter: text, or raw bytes (a bytea).
struct PgParam {
  std::string_view value;
  bool binary = false;
  bool null = false;
};

// What one statement came to.
class PgRows {
 public:
  PgRows() = default;
  explicit PgRows(PGresult* result) : result_(result, &PQclear) {}

  // The statement ran (with or without rows).
  [[nodiscard]] bool ok() const;
  // The five-character SQLSTATE of a failure, "" when none came (the connection broke).
  [[nodiscard]] std::string_view sqlState() const;
  [[nodiscard]] std::string error() const;
  [[nodiscard]] int count() const { return result_ ? PQntuples(result_.get()) : 0; }
  [[nodiscard]] bool IsNull(int row, int column) const;
  [[nodiscard]] std::string_view Text(int row, int column) const;
  [[nodiscard]] std::int64_t Int(int row, int column) const;
  // A bytea column in PostgreSQL's hex text form.
  [[nodiscard]] std::vector<std::uint8_t> Bytes(int row, int column) const;

 private:
  std::unique_ptr<PGresult, decltype(&PQclear)> result_{nullptr, &PQclear};
};

class PgPool;

// A borrowed connection; given back when it goes.
class PgLease {
 public:
  PgLease(PgPool* pool, PGconn* connection) : pool_(pool), connection_(connection) {}
  PgLease(PgLease&& other) noexcept;
  PgLease(const PgLease&) = delete;
  PgLease& operator=(const PgLease&) = delete;
  PgLease& operator=(PgLease&&) = delete;
  ~PgLease();

  // Runs one statement (its own transaction unless one is open), text results.
  PgRows Exec(const char* sql, const std::vector<PgParam>& params = {});
  // Runs statements that take no parameters, several at once (a migration step).
  PgRows Script(const char* sql) { return PgRows(PQexec(connection_, sql)); }
  // The connection no longer answers: it is closed instead of given back.
  [[nodiscard]] bool broken() const { return PQstatus(connection_) != CONNECTION_OK; }

 private:
  PgPool* pool_;
  PGconn* connection_;
};

class PgPool {
 public:
  // At most `maxConnections` open at once; a borrower beyond them waits for one.
  PgPool(std::string conninfo, std::size_t maxConnections);
  PgPool(const PgPool&) = delete;
  PgPool& operator=(const PgPool&) = delete;
  ~PgPool();

  // A connection ready for statements, or nullopt with one line in *error when the
  // database cannot be reached now.
  std::optional<PgLease> Borrow(std::string* error);

 private:
  friend class PgLease;
  void GiveBack(PGconn* connection);
  PGconn* Connect(std::string* error);

  const std::string conninfo_;
  const std::size_t maxConnections_;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<PGconn*> idle_;
  std::size_t open_ = 0;  // idle and lent
  // After a failed attempt to connect, borrowers are told at once that the database is away
  // until this time, instead of each waiting out a connection attempt of its own.
  std::chrono::steady_clock::time_point nextAttempt_;
  std::string lastError_;
};

// The failures that pass by themselves (the database away, starting or stopping, a
// conflict with another transaction): the caller answers "try again later".
bool IsTransient(const PgRows& rows);

}  // namespace server
