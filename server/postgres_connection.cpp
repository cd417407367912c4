#include "server/postgres_connection.h"

#include <poll.h>

#include <charconv>
#include <cstdio>
#include <utility>

namespace server {

namespace {

// How long a connection attempt may take before the database counts as away, unless the
// conninfo says otherwise.
constexpr const char* kConnectTimeoutS = "5";
// How long after a failed attempt to connect the next one is made.
constexpr auto kRetryAfterFailure = std::chrono::milliseconds(500);

// Whether an idle connection is still open. The database says nothing to an idle connection
// unless it goes away: then a last notice ("terminating connection...") and the end of the
// stream wait to be read, perhaps in two reads. Reading what waits, without blocking, shows
// the connection dead before a statement is lost on it.
bool StillOpen(PGconn* connection) {
  for (int reads = 0; reads < 4; ++reads) {
    pollfd waiting{.fd = PQsocket(connection), .events = POLLIN, .revents = 0};
    if (poll(&waiting, 1, 0) <= 0) return PQstatus(connection) == CONNECTION_OK;
    if (PQconsumeInput(connection) == 0 || PQstatus(connection) != CONNECTION_OK) return false;
  }
  return false;  // one that keeps talking while idle is not one to use
}

// The database's notices (a shutdown's warning among them) are not for the server's log: the
// store says there itself when the database goes away and comes back.
void IgnoreNotice(void* /*unused*/, const char* /*message*/) {}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool PgRows::ok() const {
  if (!result_) return false;
  const ExecStatusType status = PQresultStatus(result_.get());
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

std::string_view PgRows::sqlState() const {
  const char* state = result_ ? PQresultErrorField(result_.get(), PG_DIAG_SQLSTATE) : nullptr;
  return state ? std::string_view(state) : std::string_view();
}

std::string PgRows::error() const {
  std::string text = result_ ? PQresultErrorMessage(result_.get()) : "no answer from the database";
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

bool PgRows::IsNull(int row, int column) const {
  return PQgetisnull(result_.get(), row, column) != 0;
}

std::string_view PgRows::Text(int row, int column) const {
  return {PQgetvalue(result_.get(), row, column),
          static_cast<std::size_t>(PQgetlength(result_.get(), row, column))};
}

std::int64_t PgRows::Int(int row, int column) const {
  const std::string_view text = Text(row, column);
  std::int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::vector<std::uint8_t> PgRows::Bytes(int row, int column) const {
  std::string_view text = Text(row, column);
  std::vector<std::uint8_t> bytes;
  if (text.size() < 2 || text.substr(0, 2) != "\\x") return bytes;
  text.remove_prefix(2);
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return {};
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}

bool IsTransient(const PgRows& rows) {
  const std::string_view state = rows.sqlState();
  // No SQLSTATE: the connection broke before an answer came.
  if (state.empty()) return true;
  // 08: connection exceptions; 53: out of resources; 57P01-57P03: the database shutting
  // down, crashed or starting; 57014: a statement cancelled; 40001/40P01: a serialization
  // failure or deadlock with another transaction.
  return state.starts_with("08") || state.starts_with("53") || state.starts_with("57P") ||
         state == "57014" || state == "40001" || state == "40P01";
}

PgLease::PgLease(PgLease&& other) noexcept
    : pool_(std::exchange(other.pool_, nullptr)),
      connection_(std::exchange(other.connection_, nullptr)) {}

PgLease::~PgLease() {
  if (pool_ != nullptr) pool_->GiveBack(connection_);
}

PgRows PgLease::Exec(const char* sql, const std::vector<PgParam>& params) {
  std::vector<const char*> values;
  std::vector<int> lengths;
  std::vector<int> formats;
  values.reserve(params.size());
  lengths.reserve(params.size());
  formats.reserve(params.size());
  for (const PgParam& param : params) {
    values.push_back(param.null ? nullptr : param.value.data());
    lengths.push_back(static_cast<int>(param.value.size()));
    formats.push_back(param.binary ? 1 : 0);
  }
  // Text parameters go as C strings: each one's view must end where a NUL follows, which
  // the callers' std::string and literal values do.
  return PgRows(PQexecParams(connection_, sql, static_cast<int>(params.size()), nullptr,
                             values.data(), lengths.data(), formats.data(), 0));
}

PgPool::PgPool(std::string conninfo, std::size_t maxConnections)
    : conninfo_(std::move(conninfo)), maxConnections_(maxConnections == 0 ? 1 : maxConnections) {}

PgPool::~PgPool() {
  for (PGconn* connection : idle_) PQfinish(connection);
}

// One connection attempt, step by step.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
PGconn* PgPool::Connect(std::string* error) {
  // The conninfo (a URL or key=value words) is expanded in place of dbname; what it names
  // itself wins over the defaults listed before it.
  const char* keywords[] = {"connect_timeout", "dbname", nullptr};
  const char* values[] = {kConnectTimeoutS, conninfo_.c_str(), nullptr};
  PGconn* connection = PQconnectdbParams(keywords, values, 1);
  if (PQstatus(connection) != CONNECTION_OK) {
    std::string text = connection ? PQerrorMessage(connection) : "out of memory";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text) {
      if (c == '\n') c = ' ';
    }
    if (error) *error = "cannot reach the database: " + text;
    PQfinish(connection);
    return nullptr;
  }
  PQsetNoticeProcessor(connection, &IgnoreNotice, nullptr);
  // Every accepted entry is on disk before its answer, whatever the database's own default
  // says; and a statement stuck behind a lock for long is a database in trouble.
  PgRows set(PQexec(connection, "SET synchronous_commit = on; SET statement_timeout = '30s'"));
  if (!set.ok()) {
    if (error) *error = "cannot set up a database session: " + set.error();
    PQfinish(connection);
    return nullptr;
  }
  return connection;
}

std::optional<PgLease> PgPool::Borrow(std::string* error) {
  std::unique_lock lock(mutex_);
  while (true) {
    while (!idle_.empty()) {
      PGconn* connection = idle_.back();
      idle_.pop_back();
      if (StillOpen(connection)) {
        return std::optional<PgLease>(std::in_place, this, connection);
      }
      PQfinish(connection);
      --open_;
    }
    if (open_ < maxConnections_) break;
    returned_.wait(lock);
  }
  if (std::chrono::steady_clock::now() < nextAttempt_) {
    if (error) *error = lastError_;
    return std::nullopt;
  }
  ++open_;
  lock.unlock();
  std::string why;
  PGconn* connection = Connect(&why);
  lock.lock();
  if (connection == nullptr) {
    --open_;
    nextAttempt_ = std::chrono::steady_clock::now() + kRetryAfterFailure;
    lastError_ = why;
    if (error) *error = why;
    returned_.notify_one();
    return std::nullopt;
  }
  nextAttempt_ = {};
  return std::optional<PgLease>(std::in_place, this, connection);
}

void PgPool::GiveBack(PGconn* connection) {
  const bool keep =
      PQstatus(connection) == CONNECTION_OK && PQtransactionStatus(connection) == PQTRANS_IDLE;
  if (!keep) PQfinish(connection);
  {
    std::lock_guard lock(mutex_);
    if (keep) {
      idle_.push_back(connection);
    } else {
      --open_;
    }
  }
  returned_.notify_one();
}

}  // namespace server
