// What the server answers a request with: a status, headers, a body, and for
// a refusal its stable code, which the log and the metrics also name.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace server {

struct Answer {
  int status = 200;
  std::string body;
  std::string contentType = "application/json";
  int retryAfterS = 0;  // sent as Retry-After when not 0
  std::string code;     // the refusal's code; empty for an answer that is not one
  std::string reason;   // the refusal's sentence
  // Any other headers, sent as they are.
  std::vector<std::pair<std::string, std::string>> headers;
};

// {"status":"refused","code":...,"reason":...} with `status`.
Answer Refusal(int status, std::string_view code, std::string_view reason, int retryAfterS = 0);

// The store's answer when the database is away: 503, try again shortly.
Answer StoreUnavailable();

// A store whose file is damaged takes no new games: 503 with its damage,
// until the operator mends it or restores a backup.
Answer StoreDamaged(std::string_view damage);

// A JSON answer of `status`.
Answer JsonAnswer(int status, std::string body);
// Any other answer that is not a refusal; an empty type sends no body (204).
Answer PlainAnswer(int status, std::string body, std::string contentType);

}  // namespace server
