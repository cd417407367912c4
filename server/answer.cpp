#include "server/answer.h"

#include <nlohmann/json.hpp>

namespace server {

namespace {

// How long a client waits before asking again when the database is away: a
// restart of PostgreSQL or a backup's lock takes a few seconds.
constexpr int kStoreRetryAfterS = 5;
// A damaged file waits for its operator: an hour.
constexpr int kDamagedRetryAfterS = 3600;

}  // namespace

Answer Refusal(int status, std::string_view code, std::string_view reason, int retryAfterS) {
  const nlohmann::json body = {{"status", "refused"}, {"code", code}, {"reason", reason}};
  // A reason may name what a client sent (an origin), which need not be
  // UTF-8: such bytes are written as U+FFFD rather than ending the server.
  Answer answer =
      JsonAnswer(status, body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  answer.retryAfterS = retryAfterS;
  answer.code = code;
  answer.reason = reason;
  return answer;
}

Answer StoreUnavailable() {
  return Refusal(503, "store-unavailable",
                 "The tables' database cannot be reached just now; try again shortly.",
                 kStoreRetryAfterS);
}

Answer StoreDamaged(std::string_view damage) {
  return Refusal(503, "store-damaged",
                 "The tables' database is damaged (" + std::string(damage) +
                     "); no game can be entered until it is mended.",
                 kDamagedRetryAfterS);
}

Answer JsonAnswer(int status, std::string body) {
  return PlainAnswer(status, std::move(body), "application/json");
}

Answer PlainAnswer(int status, std::string body, std::string contentType) {
  Answer answer;
  answer.status = status;
  answer.body = std::move(body);
  answer.contentType = std::move(contentType);
  return answer;
}

}  // namespace server
