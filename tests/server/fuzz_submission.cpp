// Feeds arbitrary submissions to the server's submission check, with a real
// store (in memory) and the real playback, for a ticket that has started and
// ended. The first byte chooses: the body as it comes, or a body made of a
// name and replay bytes whose seed, level and checksum are made the ticket's,
// so that the playback itself is reached. Whatever comes, an entry enters the
// table only when its game plays back to exactly what it claims, and every
// refusal has a code and a sentence.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "core/replay_file.h"
#include "formats/base64.h"
#include "server/store.h"
#include "server/submission.h"
#include "server/verifier.h"
#include "verify/replay_playback.h"

namespace {

constexpr std::uint32_t kSeed = 1;
constexpr std::int32_t kLevel = 1;
constexpr std::int64_t kEndMs = 60'000;

void Check(bool ok) {
  if (!ok) std::abort();
}

server::Store& TheStore() {
  static const std::unique_ptr<server::Store> store = [] {
    std::string error;
    auto opened = server::OpenSqliteStore(":memory:", &error);
    Check(opened != nullptr);
    return opened;
  }();
  return *store;
}

std::string NewTicket() {
  static std::uint64_t count = 0;
  std::string id = std::to_string(++count);
  id = std::string(32 - id.size(), 'a') + id;
  server::Ticket ticket;
  ticket.id = id;
  ticket.level = kLevel;
  ticket.seed = kSeed;
  ticket.expiresMs = kEndMs * 10;
  ticket.startedMs = 0;
  ticket.endedMs = kEndMs;
  Check(TheStore().AddTicket(ticket) == server::StoreResult::kOk);
  return id;
}

// A name, a NUL, replay bytes: as a submission of the ticket's game.
std::string MadeBody(std::string_view rest) {
  const std::size_t split = rest.find('\0');
  const std::string name(rest.substr(0, split));
  const std::string_view bytesText = split == std::string_view::npos ? "" : rest.substr(split + 1);
  std::vector<std::uint8_t> bytes(bytesText.begin(), bytesText.end());
  Replay replay;
  std::string error;
  if (DecodeReplay(bytes, &replay, &error)) {
    replay.seed = kSeed;
    replay.level = kLevel;
    bytes = EncodeReplay(replay);
  }
  nlohmann::json body = {{"name", nlohmann::json::binary_t()},
                         {"replay", formats::EncodeBase64(bytes)}};
  body["name"] = name;
  return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static server::Metrics metrics;
  static server::Verifier verifier(&metrics);
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string body = data[0] % 2 == 0 ? std::string(rest) : MadeBody(rest);
  const std::string ticket = NewTicket();
  const server::Answer answer = server::Submit(TheStore(), verifier, ticket, body, kEndMs);
  if (answer.status != 201) {
    Check(!answer.code.empty() && !answer.reason.empty());
    Check(answer.reason.find('\n') == std::string::npos);
    return 0;
  }
  // Accepted: the stored game is one that plays back to what it claims.
  const nlohmann::json accepted = nlohmann::json::parse(answer.body);
  std::vector<std::uint8_t> stored;
  bool removed = true;
  Check(TheStore().ReplayOf(accepted["entry"].get<std::int64_t>(), &stored, &removed) ==
            server::StoreResult::kOk &&
        !removed);
  Replay replay;
  std::string error;
  Check(DecodeReplay(stored, &replay, &error));
  Check(Reproduces(replay, PlayBackReplay(replay)));
  Check(replay.seed == kSeed && replay.level == kLevel && replay.ending == ReplayEnding::kGameOver);
  Check(accepted["score"] == replay.score);
  return 0;
}
