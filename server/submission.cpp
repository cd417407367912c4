#include "server/submission.h"

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "core/replay_file.h"
#include "formats/base64.h"
#include "server/table_name.h"
#include "server/tickets.h"

namespace server {
namespace {

struct Submission {
  std::string name;
  std::string replayBase64;
};

std::optional<Answer> ReadBody(std::string_view body, Submission* submission) {
  if (body.size() > kMaxSubmissionBytes) {
    return Refusal(413, "too-large", "The submission is larger than 1 MiB.");
  }
  const nlohmann::json request = nlohmann::json::parse(body, nullptr, false);
  if (!request.is_object()) return Refusal(400, "bad-json", "The request is not a JSON object.");
  const auto name = request.find("name");
  const auto replay = request.find("replay");
  if (name == request.end() || !name->is_string() || replay == request.end() ||
      !replay->is_string()) {
    return Refusal(400, "bad-json", "The request needs a name and a replay, both strings.");
  }
  submission->name = name->get<std::string>();
  submission->replayBase64 = replay->get<std::string>();
  return std::nullopt;
}

std::optional<Answer> ReadReplay(const std::string& base64, std::vector<std::uint8_t>* bytes,
                                 Replay* replay) {
  std::optional<std::vector<std::uint8_t>> decoded = formats::DecodeBase64(base64);
  if (!decoded) return Refusal(400, "bad-replay", "The replay is not base64.");
  std::string error;
  if (!DecodeReplay(*decoded, replay, &error)) {
    return Refusal(400, "bad-replay", "The replay cannot be read: " + error + ".");
  }
  *bytes = std::move(*decoded);
  return std::nullopt;
}

// What a ticket holds the replay to before anything is played.
std::optional<Answer> MatchTicket(const Ticket& ticket, const Replay& replay) {
  if (replay.seed != ticket.seed) {
    return Refusal(422, "seed-mismatch", "The game was not played with the ticket's seed.");
  }
  if (replay.level != ticket.level) {
    return Refusal(422, "level-mismatch", "The game was not played at the ticket's level.");
  }
  if (ticket.redeemed) {
    return Refusal(409, "ticket-used", "The ticket has already been redeemed.");
  }
  if (replay.ending == ReplayEnding::kLeft) {
    return Refusal(422, "left-game", "A game left with ESC is never ranked.");
  }
  if (!ticket.startedMs) {
    return Refusal(422, "not-started", "The game's start was never told to the server.");
  }
  return std::nullopt;
}

std::optional<Answer> MatchPlayback(const Replay& replay, const PlaybackResult& played) {
  if (Reproduces(replay, played)) return std::nullopt;
  return Refusal(422, "not-reproduced",
                 "Played back, the game comes out as score " + std::to_string(played.score) +
                     ", removed " + std::to_string(played.removedCount) +
                     (played.ended ? "" : ", unfinished") + ", not as the replay claims.");
}

// Every tick where the game's own clock puts it: never before its timer is
// due, and soon after one of its beats. A replay whose times were made up
// (all zero, shifted, stretched, or with a stretch of time cut out or put in)
// breaks its timer's rhythm somewhere, and the refusal says where.
std::optional<Answer> MatchTiming(const PlaybackResult& played) {
  const auto where = [](const TimedTick& tick) {
    return "The tick at message " + std::to_string(tick.message + 1) + " (" +
           std::to_string(tick.timeMs) + " ms)";
  };
  if (played.early && !played.early->running) {
    return Refusal(422, "bad-timing", where(*played.early) + " came with no timer running.");
  }
  if (played.early) {
    return Refusal(422, "bad-timing",
                   where(*played.early) + " came " + std::to_string(played.early->ms) +
                       " ms before its timer was due.");
  }
  if (played.latest.ms > kTickLateMs) {
    return Refusal(422, "bad-timing",
                   where(played.latest) + " came " + std::to_string(played.latest.ms) +
                       " ms after its timer's beat; the game's clock gives at most " +
                       std::to_string(kTickLateMs) + " ms.");
  }
  return std::nullopt;
}

std::int64_t SlackMs(std::int64_t measuredMs) {
  return kDurationSlackMs + measuredMs * kDurationSlackPercent / 100;
}

std::string Seconds(std::int64_t ms) {
  return std::to_string(ms / 1000) + " s";
}

// The game's own clock against the server's, from the start stamp to the
// latest progress the game told: a clock run fast or slow drifts from the
// server's as the game goes on, whether or not its end ever arrives.
std::optional<Answer> MatchProgress(const Ticket& ticket, const Replay& replay) {
  if (!ticket.progressMs || !ticket.progressAtMs) return std::nullopt;
  const std::int64_t told = *ticket.progressMs;
  const std::int64_t measured = std::max<std::int64_t>(0, *ticket.progressAtMs - *ticket.startedMs);
  const std::string said = "The game told the server it had run " + Seconds(told) +
                           " when the server's clock had measured " + Seconds(measured);
  if (told > measured + SlackMs(measured)) return Refusal(422, "too-fast", said + ".");
  if (told < measured - SlackMs(measured)) return Refusal(422, "too-slow", said + ".");
  if (RecordedDurationMs(replay) < told) {
    return Refusal(422, "too-slow",
                   "The game records " + Seconds(RecordedDurationMs(replay)) +
                       " but had told the server it had run " + Seconds(told) + ".");
  }
  return std::nullopt;
}

// The start stamp to the end stamp. When the end never arrived: the latest
// progress to its arrival, when it came close enough to the game's end to
// vouch for it; otherwise the start stamp to now.
std::optional<Answer> MatchDuration(const Ticket& ticket, const Replay& replay,
                                    std::int64_t nowMs) {
  const std::int64_t recorded = RecordedDurationMs(replay);
  if (!ticket.endedMs && ticket.progressMs && ticket.progressAtMs) {
    const std::int64_t after = recorded - *ticket.progressMs;
    const std::int64_t since = std::max<std::int64_t>(0, nowMs - *ticket.progressAtMs);
    if (after > since + SlackMs(recorded)) {
      return Refusal(422, "too-fast",
                     "The game records " + Seconds(after) + " after its last progress, but only " +
                         Seconds(since) + " have passed since by the server's clock.");
    }
    if (after > kProgressEveryMs + SlackMs(recorded)) {
      return Refusal(422, "too-slow",
                     "The game's end never reached the server, and its last progress came " +
                         Seconds(after) + " before its end (at " + Seconds(*ticket.progressMs) +
                         " of " + Seconds(recorded) + "): too long before it to vouch for it.");
    }
    return std::nullopt;
  }
  const std::int64_t end = ticket.endedMs.value_or(nowMs);
  const std::int64_t measured = std::max<std::int64_t>(0, end - *ticket.startedMs);
  const std::int64_t slack = SlackMs(measured);
  if (recorded > measured + slack) {
    return Refusal(422, "too-fast",
                   "The game records " + Seconds(recorded) + " but lasted " + Seconds(measured) +
                       " by the server's clock.");
  }
  if (recorded < measured - slack) {
    return Refusal(422, "too-slow",
                   "The game records " + Seconds(recorded) + " but lasted " + Seconds(measured) +
                       " by the server's clock.");
  }
  return std::nullopt;
}

Answer Accepted(Store& store, const Entry& entry, std::int64_t entryId) {
  std::int32_t rank = 0;
  // The entry is in; only its rank is unknown when the store goes away now
  // (0 then).
  if (store.RankOf(entryId, &rank) != StoreResult::kOk) rank = 0;
  const nlohmann::json answer = {{"status", "accepted"},
                                 {"entry", entryId},
                                 {"rank", rank},
                                 {"score", entry.score},
                                 {"removed", entry.removedCount},
                                 {"level", entry.level}};
  return JsonAnswer(201, answer.dump());
}

}  // namespace

std::int64_t RecordedDurationMs(const Replay& replay) {
  std::int64_t last = 0;
  for (const ReplayMessage& message : replay.messages) last = message.timeMs;
  return last;
}

Answer Submit(Store& store, Verifier& verifier, std::string_view ticketId, std::string_view body,
              std::int64_t nowMs) {
  Submission submission;
  if (auto refusal = ReadBody(body, &submission)) return *refusal;
  Ticket ticket;
  if (auto refusal = FindLiveTicket(store, ticketId, nowMs, &ticket)) return *refusal;
  Entry entry;
  entry.level = ticket.level;
  entry.dateMs = nowMs;
  entry.ticketId = ticket.id;
  Replay replay;
  if (auto refusal = ReadReplay(submission.replayBase64, &entry.replay, &replay)) return *refusal;
  if (auto refusal = MatchTicket(ticket, replay)) return *refusal;
  const PlaybackResult played = verifier.PlayBack(replay);
  if (auto refusal = MatchPlayback(replay, played)) return *refusal;
  if (auto refusal = MatchTiming(played)) return *refusal;
  if (auto refusal = MatchProgress(ticket, replay)) return *refusal;
  if (auto refusal = MatchDuration(ticket, replay, nowMs)) return *refusal;
  std::string why;
  std::optional<std::string> name = TableNameFromUtf8(submission.name, &why);
  if (!name) return Refusal(422, "bad-name", why);
  entry.name = std::move(*name);
  entry.score = replay.score;
  entry.removedCount = replay.removedCount;
  std::int64_t entryId = 0;
  switch (store.Redeem(entry, &entryId)) {
    case StoreResult::kOk:
      return Accepted(store, entry, entryId);
    case StoreResult::kConflict:
      return Refusal(409, "ticket-used", "The ticket has already been redeemed.");
    case StoreResult::kNotFound:
      return Refusal(404, "unknown-ticket", "No ticket has this id.");
    case StoreResult::kUnavailable:
      break;
  }
  return StoreUnavailable();
}

}  // namespace server
