// Results of ranked games that have not reached the server yet, kept in the
// data folder ("world-pending.txt") and sent again at each start until their
// tickets expire. The file is written whole or not at all, like the replays,
// so a result is never half kept. Nothing in it is ever dropped unsaid: a line
// that cannot be read and a file grown past its limit are kept aside, under
// names of their own, for the player to look at.
//
// Everything here reads or writes the file, and is done beside the game's
// thread (platform/net/beside.h), one piece of work at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
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
// A result's body is under 100 KiB (the server takes 64 KiB of replay); a
// file of more than a hundred and fifty of them is not one the game wrote.
inline constexpr std::size_t kLongestPendingFile = 16u << 20;

// The file's text and back. A line that cannot be read is left out of the
// list and, when `unreadable` is given, put there as it stands.
std::string FormatPendingSubmissions(const std::vector<PendingSubmission>& kept);
std::vector<PendingSubmission> ParsePendingSubmissions(
    std::string_view text, std::vector<std::string>* unreadable = nullptr);

// One pass over the file at a start: expired results dropped, lines that
// cannot be read or sent kept aside, the file rewritten once (only when that
// changed it).
struct PendingPass {
  std::vector<PendingSubmission> live;  // to send again
  std::size_t expired = 0;
  std::vector<std::string> said;  // what the player is told, a line each
};
// `sendable` says whether a line that reads may go out (a ticket, to a server).
PendingPass PrunePendingSubmissions(std::int64_t nowS,
                                    const std::function<bool(const PendingSubmission&)>& sendable);

// Adds (or replaces, by ticket) one; false, with `why` said, when it could not
// be kept (the file then holds what it held before). A file found over its
// limit is kept aside first, named with `nowS` (Unix seconds).
bool SavePendingSubmission(const PendingSubmission& submission, std::int64_t nowS,
                           std::string* why);
// Removes these tickets' lines in one rewrite.
bool ForgetSubmissions(const std::set<std::string>& tickets, std::int64_t nowS);
