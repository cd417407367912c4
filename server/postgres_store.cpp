// The world tables in PostgreSQL: what many server processes share. Every call is one
// statement on a connection borrowed from the pool, so each is its own transaction and no
// lock outlives it; the redeeming of a ticket and the insert of its entry are one statement.
#include <atomic>
#include <cstdio>
#include <string>
#include <utility>

#include "server/postgres_connection.h"
#include "server/postgres_schema.h"
#include "server/server_log.h"
#include "server/store.h"

namespace server {

namespace {

// Connections one process keeps at most: as many as the HTTP server's threads that may call
// at once, and few enough that several processes stay inside the database's own limit
// (100 by default).
constexpr std::size_t kMaxConnections = 16;
// Rows fetched at a time when every entry is walked.
constexpr int kWalkPage = 256;

constexpr const char* kTicketColumns =
    "id, level, seed, issued_ms, expires_ms, started_ms, ended_ms, redeemed, progress_ms, "
    "progress_at_ms";

PgParam Text(const std::string& text) {
  return {text};
}
PgParam Bytes(std::string_view bytes) {
  return {bytes, true};
}
PgParam Bytes(const std::vector<std::uint8_t>& bytes) {
  return {{reinterpret_cast<const char*>(bytes.data()), bytes.size()}, true};
}
std::optional<std::int64_t> OptionalInt(const PgRows& rows, int row, int column) {
  if (rows.IsNull(row, column)) return std::nullopt;
  return rows.Int(row, column);
}
std::string ToString(const std::vector<std::uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}
// Ticket ids are printable ASCII (hex digits). One that is not was never given, and must not
// reach the database as text: a NUL would cut it short, a byte outside UTF-8 be an error.
bool PlainKey(std::string_view key) {
  for (const char c : key) {
    if (c < 0x21 || c > 0x7e) return false;
  }
  return true;
}

class PostgresStore : public Store {
 public:
  explicit PostgresStore(const std::string& conninfo) : pool_(conninfo, kMaxConnections) {}

  bool Open(std::string* error) {
    auto lease = pool_.Borrow(error);
    return lease && MigratePostgres(*lease, error);
  }

  StoreResult AddTicket(const Ticket& ticket) override {
    const std::string level = std::to_string(ticket.level);
    const std::string seed = std::to_string(ticket.seed);
    const std::string issued = std::to_string(ticket.issuedMs);
    const std::string expires = std::to_string(ticket.expiresMs);
    const std::string started = ticket.startedMs ? std::to_string(*ticket.startedMs) : "";
    const std::string ended = ticket.endedMs ? std::to_string(*ticket.endedMs) : "";
    return Run([&](PgLease& lease) {
      const PgRows rows = lease.Exec(
          "INSERT INTO tickets (id, level, seed, issued_ms, expires_ms, started_ms, ended_ms, "
          "redeemed) VALUES ($1, $2, $3, $4, $5, $6, $7, $8)",
          {Text(ticket.id),
           Text(level),
           Text(seed),
           Text(issued),
           Text(expires),
           {started, false, !ticket.startedMs},
           {ended, false, !ticket.endedMs},
           {ticket.redeemed ? "true" : "false"}});
      return rows.ok() ? StoreResult::kOk : Failure(rows, lease);
    });
  }

  StoreResult FindTicket(std::string_view id, Ticket* ticket) override {
    if (!PlainKey(id)) return StoreResult::kNotFound;
    const std::string key(id);
    return Run([&](PgLease& lease) {
      const PgRows rows = lease.Exec(
          (std::string("SELECT ") + kTicketColumns + " FROM tickets WHERE id = $1").c_str(),
          {Text(key)});
      if (!rows.ok()) return Failure(rows, lease);
      if (rows.count() == 0) return StoreResult::kNotFound;
      ticket->id = std::string(rows.Text(0, 0));
      ticket->level = static_cast<std::int32_t>(rows.Int(0, 1));
      ticket->seed = static_cast<std::uint32_t>(rows.Int(0, 2));
      ticket->issuedMs = rows.Int(0, 3);
      ticket->expiresMs = rows.Int(0, 4);
      ticket->startedMs = OptionalInt(rows, 0, 5);
      ticket->endedMs = OptionalInt(rows, 0, 6);
      ticket->redeemed = rows.Text(0, 7) == "t";
      ticket->progressMs = OptionalInt(rows, 0, 8);
      ticket->progressAtMs = OptionalInt(rows, 0, 9);
      return StoreResult::kOk;
    });
  }

  StoreResult MarkStarted(std::string_view id, std::int64_t nowMs) override {
    return Stamp(
        "UPDATE tickets SET started_ms = COALESCE(started_ms, $2) WHERE id = $1 "
        "RETURNING 1",
        id, nowMs);
  }

  StoreResult MarkEnded(std::string_view id, std::int64_t nowMs) override {
    return Stamp("UPDATE tickets SET ended_ms = COALESCE(ended_ms, $2) WHERE id = $1 RETURNING 1",
                 id, nowMs);
  }

  StoreResult MarkProgress(std::string_view id, std::int64_t gameMs, std::int64_t nowMs) override {
    if (!PlainKey(id)) return StoreResult::kNotFound;
    const std::string key(id);
    const std::string game = std::to_string(gameMs);
    const std::string now = std::to_string(nowMs);
    return Run([&](PgLease& lease) {
      const PgRows rows = lease.Exec(
          "UPDATE tickets SET progress_at_ms = CASE WHEN COALESCE(progress_ms, -1) < $2::bigint "
          "THEN $3::bigint ELSE progress_at_ms END, "
          "progress_ms = GREATEST(COALESCE(progress_ms, -1), $2::bigint) WHERE id = $1 RETURNING 1",
          {Text(key), Text(game), Text(now)});
      if (!rows.ok()) return Failure(rows, lease);
      return rows.count() == 0 ? StoreResult::kNotFound : StoreResult::kOk;
    });
  }

  StoreResult Redeem(const Entry& entry, std::int64_t* entryId) override {
    if (!PlainKey(entry.ticketId)) return StoreResult::kNotFound;
    const std::string level = std::to_string(entry.level);
    const std::string score = std::to_string(entry.score);
    const std::string removed = std::to_string(entry.removedCount);
    const std::string date = std::to_string(entry.dateMs);
    return Run([&](PgLease& lease) {
      // The update takes the ticket's row lock: a second redeemer, in this process or
      // another, waits for the first to commit, then finds the ticket redeemed and inserts
      // nothing. One statement, one transaction, committed (synchronously) before it returns.
      const PgRows rows = lease.Exec(
          "WITH ticket AS (UPDATE tickets SET redeemed = true WHERE id = $1 AND NOT redeemed "
          "RETURNING id) "
          "INSERT INTO entries (level, name, score, removed_count, date_ms, ticket_id, replay) "
          "SELECT $2, $3, $4, $5, $6, id, $7 FROM ticket RETURNING id",
          {Text(entry.ticketId), Text(level), Bytes(entry.name), Text(score), Text(removed),
           Text(date), Bytes(entry.replay)});
      if (!rows.ok()) return Failure(rows, lease);
      if (rows.count() == 1) {
        *entryId = rows.Int(0, 0);
        return StoreResult::kOk;
      }
      const PgRows ticket =
          lease.Exec("SELECT 1 FROM tickets WHERE id = $1", {Text(entry.ticketId)});
      if (!ticket.ok()) return Failure(ticket, lease);
      return ticket.count() == 0 ? StoreResult::kNotFound : StoreResult::kConflict;
    });
  }

  StoreResult Table(std::int32_t level, std::int32_t limit, std::vector<TableRow>* table) override {
    const std::string levelText = std::to_string(level);
    const std::string limitText = std::to_string(limit < 0 ? 0 : limit);
    return Run([&](PgLease& lease) {
      const PgRows rows = lease.Exec(
          "SELECT id, name, score, removed_count, date_ms FROM entries "
          "WHERE level = $1 AND removed_ms IS NULL ORDER BY score DESC, id LIMIT $2",
          {Text(levelText), Text(limitText)});
      if (!rows.ok()) return Failure(rows, lease);
      table->clear();
      for (int row = 0; row < rows.count(); ++row) {
        TableRow& out = table->emplace_back();
        out.rank = row + 1;
        out.entryId = rows.Int(row, 0);
        out.name = ToString(rows.Bytes(row, 1));
        out.score = static_cast<std::int32_t>(rows.Int(row, 2));
        out.removedCount = static_cast<std::int32_t>(rows.Int(row, 3));
        out.dateMs = rows.Int(row, 4);
      }
      return StoreResult::kOk;
    });
  }

  StoreResult RankOf(std::int64_t entryId, std::int32_t* rank) override {
    const std::string id = std::to_string(entryId);
    return Run([&](PgLease& lease) {
      const PgRows rows = lease.Exec(
          "SELECT (SELECT 1 + count(*) FROM entries e WHERE e.level = me.level "
          "AND e.removed_ms IS NULL AND (e.score > me.score OR (e.score = me.score AND e.id < "
          "me.id))) FROM entries me WHERE me.id = $1 AND me.removed_ms IS NULL",
          {Text(id)});
      if (!rows.ok()) return Failure(rows, lease);
      if (rows.count() == 0) return StoreResult::kNotFound;
      *rank = static_cast<std::int32_t>(rows.Int(0, 0));
      return StoreResult::kOk;
    });
  }

  StoreResult ReplayOf(std::int64_t entryId, std::vector<std::uint8_t>* replay,
                       bool* removed) override {
    const std::string id = std::to_string(entryId);
    return Run([&](PgLease& lease) {
      const PgRows rows = lease.Exec(
          "SELECT CASE WHEN removed_ms IS NULL THEN replay END, removed_ms "
          "FROM entries WHERE id = $1",
          {Text(id)});
      if (!rows.ok()) return Failure(rows, lease);
      if (rows.count() == 0) return StoreResult::kNotFound;
      *removed = !rows.IsNull(0, 1);
      replay->clear();
      if (!*removed) *replay = rows.Bytes(0, 0);
      return StoreResult::kOk;
    });
  }

  StoreResult ForEachEntry(const std::function<void(const Entry&)>& visit) override {
    // Page by page in id order, each page its own statement: a walk over a large table holds
    // neither a transaction open nor every replay in memory.
    std::int64_t after = 0;
    while (true) {
      std::vector<Entry> page;
      const std::string afterText = std::to_string(after);
      const std::string pageText = std::to_string(kWalkPage);
      const StoreResult result = Run([&](PgLease& lease) {
        const PgRows rows = lease.Exec(
            "SELECT id, level, name, score, removed_count, date_ms, ticket_id, replay "
            "FROM entries WHERE id > $1 AND removed_ms IS NULL ORDER BY id LIMIT $2",
            {Text(afterText), Text(pageText)});
        if (!rows.ok()) return Failure(rows, lease);
        for (int row = 0; row < rows.count(); ++row) {
          Entry& entry = page.emplace_back();
          entry.id = rows.Int(row, 0);
          entry.level = static_cast<std::int32_t>(rows.Int(row, 1));
          entry.name = ToString(rows.Bytes(row, 2));
          entry.score = static_cast<std::int32_t>(rows.Int(row, 3));
          entry.removedCount = static_cast<std::int32_t>(rows.Int(row, 4));
          entry.dateMs = rows.Int(row, 5);
          entry.ticketId = std::string(rows.Text(row, 6));
          entry.replay = rows.Bytes(row, 7);
        }
        return StoreResult::kOk;
      });
      if (result != StoreResult::kOk) return result;
      for (const Entry& entry : page) visit(entry);
      if (page.size() < static_cast<std::size_t>(kWalkPage)) return StoreResult::kOk;
      after = page.back().id;
    }
  }

  StoreResult Remove(std::int64_t entryId, std::string_view why, std::int64_t nowMs) override {
    const std::string id = std::to_string(entryId);
    const std::string reason(why);
    const std::string now = std::to_string(nowMs);
    return Run([&](PgLease& lease) {
      // The first removal's reason and time stay.
      const PgRows rows = lease.Exec(
          "UPDATE entries SET removed_ms = COALESCE(removed_ms, $3), "
          "removed_why = COALESCE(removed_why, $2) WHERE id = $1 RETURNING 1",
          {Text(id), Text(reason), Text(now)});
      if (!rows.ok()) return Failure(rows, lease);
      return rows.count() == 0 ? StoreResult::kNotFound : StoreResult::kOk;
    });
  }

  StoreResult DropExpiredTickets(std::int64_t nowMs) override {
    const std::string now = std::to_string(nowMs);
    return Run([&](PgLease& lease) {
      const PgRows rows =
          lease.Exec("DELETE FROM tickets WHERE expires_ms < $1 AND NOT redeemed", {Text(now)});
      return rows.ok() ? StoreResult::kOk : Failure(rows, lease);
    });
  }

  StoreResult Probe(std::string* why) override {
    return Run(
        [&](PgLease& lease) {
          // One implicit transaction: a ticket of this connection's own written and taken
          // away again, committed as an entry is, and the tables read.
          const PgRows rows = lease.Script(
              "INSERT INTO tickets (id, level, seed, issued_ms, expires_ms, redeemed) "
              "VALUES ('probe-' || pg_backend_pid(), 0, 0, 0, 0, false); "
              "DELETE FROM tickets WHERE id = 'probe-' || pg_backend_pid(); "
              "SELECT count(*) FROM entries WHERE removed_ms IS NULL");
          if (rows.ok()) return StoreResult::kOk;
          *why = rows.error();
          return Failure(rows, lease);
        },
        why);
  }

  // PostgreSQL checks its own pages as it reads them: a damaged one fails its statement,
  // which is logged and answered as the database being away.
  std::string Damage() override { return {}; }

 private:
  template <typename Body>
  StoreResult Run(Body body, std::string* why = nullptr) {
    std::string error;
    std::optional<PgLease> lease = pool_.Borrow(&error);
    if (!lease) {
      NoteAway(error);
      if (why != nullptr) *why = error;
      return StoreResult::kUnavailable;
    }
    const StoreResult result = body(*lease);
    if (result != StoreResult::kUnavailable && away_.exchange(false)) {
      std::fprintf(stderr, "The database is back.\n");
    }
    return result;
  }

  StoreResult Stamp(const char* sql, std::string_view id, std::int64_t nowMs) {
    if (!PlainKey(id)) return StoreResult::kNotFound;
    const std::string key(id);
    const std::string now = std::to_string(nowMs);
    return Run([&](PgLease& lease) {
      const PgRows rows = lease.Exec(sql, {Text(key), Text(now)});
      if (!rows.ok()) return Failure(rows, lease);
      return rows.count() == 0 ? StoreResult::kNotFound : StoreResult::kOk;
    });
  }

  // What a failed statement means to the caller. A duplicate key is a conflict; anything
  // else is the database being away or in trouble, and is logged once until it is back.
  StoreResult Failure(const PgRows& rows, const PgLease& lease) {
    if (rows.sqlState() == "23505") return StoreResult::kConflict;
    if (!IsTransient(rows) && !lease.broken()) {
      LogLine("The database refused a statement: " + rows.error());
    }
    NoteAway(rows.error());
    return StoreResult::kUnavailable;
  }

  void NoteAway(const std::string& error) {
    if (!away_.exchange(true)) LogLine("The database is away: " + error);
  }

  PgPool pool_;
  std::atomic<bool> away_{false};
};

}  // namespace

std::unique_ptr<Store> OpenPostgresStore(const std::string& conninfo, std::string* error) {
  auto store = std::make_unique<PostgresStore>(conninfo);
  if (!store->Open(error)) return nullptr;
  return store;
}

}  // namespace server
