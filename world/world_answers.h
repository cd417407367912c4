// The world-table server's answers, read from their JSON. Answers come from
// the network: anything that is not exactly what is expected is no answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct WorldTicket {
  std::string id;  // 32 lowercase hexadecimal digits
  std::uint32_t seed = 0;
  int level = 0;
  std::int64_t expiresInS = 0;
};

struct WorldEntry {
  int rank = 0;
  std::string name;  // Shift-JIS, as the tables draw names; at most 16 bytes
  std::int32_t score = 0;
  std::int32_t removed = 0;
  std::string date;  // "2026-12-09 02:30", as drawn
  std::uint64_t entry = 0;
};

// An accepted submission's place, or a refusal's code and English sentence.
struct WorldVerdict {
  bool accepted = false;
  int rank = 0;  // accepted: 0 when the server could not tell the place
  std::string code;
  std::string reason;
};

// 32 lowercase hexadecimal digits, as the server makes its tickets.
[[nodiscard]] bool IsTicketId(std::string_view id);

std::optional<WorldTicket> ReadTicketAnswer(std::string_view body);
// At most `limit` entries, in the answer's order.
std::optional<std::vector<WorldEntry>> ReadTableAnswer(std::string_view body, std::size_t limit);
// The server's own verdict on a result: a 201 acceptance, or a 4xx refusal
// with its code. Nothing for any other answer (a redirect, 408, 429, 5xx, a
// refusal of the request rather than of the result, a damaged body): the
// result is then kept and sent again.
std::optional<WorldVerdict> ReadSubmissionAnswer(int status, std::string_view body);

// The JSON body of a submission: the player's name (UTF-8) and the replay.
std::string SubmissionBody(std::string_view nameUtf8, std::string_view replayBase64);
