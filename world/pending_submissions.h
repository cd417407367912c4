// Results of ranked games that have not reached the server yet, kept in the
// data folder ("world-pending.txt") and sent again at each start until their
// tickets expire. The file is written whole or not at all, like the replays,
// so a result is never half kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PendingSubmission {
  std::string ticket;
  std::int64_t expiresAtS = 0;  // Unix seconds
  std::string serverUrl;        // the server that gave the ticket
  std::string body;             // the JSON body, as sent
  bool operator==(const PendingSubmission&) const = default;
};

inline constexpr char kPendingSubmissionsName[] = "world-pending.txt";

// The file's text and back. A damaged line is dropped, the others kept.
std::string FormatPendingSubmissions(const std::vector<PendingSubmission>& kept);
std::vector<PendingSubmission> ParsePendingSubmissions(std::string_view text);

// The file in the working folder; nothing there is an empty list.
std::vector<PendingSubmission> ReadPendingSubmissions();
// Adds (or replaces, by ticket) and removes one; false when the file could
// not be written (it then holds what it held before).
bool SavePendingSubmission(const PendingSubmission& submission);
bool ForgetSubmission(const std::string& ticket);
