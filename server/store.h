// The world tables' storage: tickets and entries. Two implementations pass one test suite:
// the embedded SQLite file (one process) and PostgreSQL (many processes, one database).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// What a store call came to. kUnavailable: the database is away (the server answers 503 with
// Retry-After and tries again later); nothing was written.
enum class StoreResult { kOk, kNotFound, kConflict, kUnavailable };

struct Ticket {
  std::string id;  // 32 lowercase hex digits
  std::int32_t level = 1;
  std::uint32_t seed = 0;
  std::int64_t issuedMs = 0;  // server clock, ms since 1970 UTC
  std::int64_t expiresMs = 0;
  std::optional<std::int64_t> startedMs;
  std::optional<std::int64_t> endedMs;
  // The latest progress the game told as it played: its own clock's ms since its start, and
  // the server's clock when that came.
  std::optional<std::int64_t> progressMs;
  std::optional<std::int64_t> progressAtMs;
  bool redeemed = false;
};

struct Entry {
  std::int64_t id = 0;  // given by the store
  std::int32_t level = 1;
  std::string name;  // code page 932 bytes, as the tables keep names
  std::int32_t score = 0;
  std::int32_t removedCount = 0;
  std::int64_t dateMs = 0;  // when it was accepted
  std::string ticketId;
  std::vector<std::uint8_t> replay;  // the .mvr bytes
};

struct TableRow {
  std::int32_t rank = 0;
  std::int64_t entryId = 0;
  std::string name;
  std::int32_t score = 0;
  std::int32_t removedCount = 0;
  std::int64_t dateMs = 0;
};

class Store {
 public:
  virtual ~Store() = default;
  virtual StoreResult AddTicket(const Ticket& ticket) = 0;
  virtual StoreResult FindTicket(std::string_view id, Ticket* ticket) = 0;
  // Stamps only the first call; kNotFound for an unknown ticket.
  virtual StoreResult MarkStarted(std::string_view id, std::int64_t nowMs) = 0;
  virtual StoreResult MarkEnded(std::string_view id, std::int64_t nowMs) = 0;
  // Keeps `gameMs` and nowMs as the ticket's progress unless it already holds a later one;
  // kNotFound for an unknown ticket.
  virtual StoreResult MarkProgress(std::string_view id, std::int64_t gameMs,
                                   std::int64_t nowMs) = 0;
  // In one transaction, durable before it returns kOk: the ticket becomes redeemed and the entry
  // is inserted (its id written to *entryId). kConflict when the ticket was already redeemed
  // (by any process): nothing is written.
  virtual StoreResult Redeem(const Entry& entry, std::int64_t* entryId) = 0;
  // Top `limit` rows of a level, score descending, ties by the earlier entry; removed entries
  // are not listed.
  virtual StoreResult Table(std::int32_t level, std::int32_t limit,
                            std::vector<TableRow>* rows) = 0;
  // The 1-based rank the entry holds in its level's table now.
  virtual StoreResult RankOf(std::int64_t entryId, std::int32_t* rank) = 0;
  // An entry's replay; for an entry taken out of the tables, kOk with *removed set and no
  // replay.
  virtual StoreResult ReplayOf(std::int64_t entryId, std::vector<std::uint8_t>* replay,
                               bool* removed) = 0;
  // Every entry not removed, in id order, for verify-all.
  virtual StoreResult ForEachEntry(const std::function<void(const Entry&)>& visit) = 0;
  // Takes the entry out of the tables and keeps why and when; an entry taken out before keeps
  // its first why and when. kNotFound for an unknown id.
  virtual StoreResult Remove(std::int64_t entryId, std::string_view why, std::int64_t nowMs) = 0;
  // Deletes tickets that expired before nowMs and were never redeemed.
  virtual StoreResult DropExpiredTickets(std::int64_t nowMs) = 0;
  // Reads the tables and commits a write, as an entry's submission does, and leaves nothing
  // behind: kUnavailable with the database's own words in *why when either fails.
  virtual StoreResult Probe(std::string* why) = 0;
  // What is wrong with the database's file, in the database's own words, or "" when nothing
  // is known to be: found by its integrity check when the store opens, or by any statement
  // since that met a damaged page. A damaged store can lose what it is given, so it is
  // given no new games.
  [[nodiscard]] virtual std::string Damage() = 0;
};

// Open (creating or migrating forward the schema) — null with a one-line error when it cannot.
std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string* error);
std::unique_ptr<Store> OpenPostgresStore(const std::string& conninfo, std::string* error);

}  // namespace server
