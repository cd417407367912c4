#include "world/world_answers.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <utility>

#include "platform/base/shift_jis.h"

namespace {

using Json = nlohmann::json;

// The server's answers nest three deep at most. A body nested deeper is
// refused before it is parsed: a megabyte of '[' would otherwise be built
// into a megabyte of nested arrays and taken apart again.
constexpr int kDeepestAnswer = 8;

// The place just past the JSON string whose opening quote is at `at`.
std::size_t PastString(std::string_view body, std::size_t at) {
  for (++at; at < body.size(); ++at) {
    if (body[at] == '\\') {
      ++at;
    } else if (body[at] == '"') {
      return at + 1;
    }
  }
  return body.size();
}

bool NestedTooDeep(std::string_view body) {
  int depth = 0;
  for (std::size_t at = 0; at < body.size(); ++at) {
    const char c = body[at];
    if (c == '"') {
      at = PastString(body, at) - 1;
    } else if (c == '[' || c == '{') {
      if (++depth > kDeepestAnswer) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

std::optional<Json> Parse(std::string_view body) {
  if (NestedTooDeep(body)) return std::nullopt;
  Json json = Json::parse(body.begin(), body.end(), nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded() || !json.is_object()) return std::nullopt;
  return json;
}

// An integer member within [low, high]; the JSON may hold it signed or unsigned.
template <typename T>
bool Number(const Json& object, const char* key, T low, T high, T* value) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_number_integer()) return false;
  const auto take = [&](auto number) {
    if (std::cmp_less(number, low) || std::cmp_greater(number, high)) return false;
    *value = static_cast<T>(number);
    return true;
  };
  return found->is_number_unsigned() ? take(found->get<std::uint64_t>())
                                     : take(found->get<std::int64_t>());
}

bool Text(const Json& object, const char* key, std::size_t limit, std::string* value) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_string()) return false;
  *value = found->get<std::string>();
  return value->size() <= limit;
}

// "2026-12-09T02:30:00Z" drawn as "2026-12-09 02:30 UTC"; anything else as
// far as it is printable, cut to the column.
std::string DrawnDate(const std::string& iso) {
  std::string drawn;
  for (const char c : iso.substr(0, 16)) {
    drawn += c == 'T' ? ' ' : (c >= 0x20 && c < 0x7F ? c : '?');
  }
  return iso.size() >= 16 ? drawn + " UTC" : drawn;
}

// The name in the tables' code page; a name it cannot hold (which the server
// never sends) shows as question marks rather than as broken bytes.
std::string DrawnName(const std::string& utf8) {
  std::string name = platform::ShiftJisFromUtf8(utf8).value_or("?");
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  name.resize(platform::WholeShiftJisLength(name, 16));
  return name;
}

}  // namespace

bool IsTicketId(std::string_view id) {
  if (id.size() != 32) return false;
  for (const char c : id) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::optional<WorldTicket> ReadTicketAnswer(std::string_view body) {
  const std::optional<Json> json = Parse(body);
  WorldTicket ticket;
  if (!json || !Text(*json, "ticket", 32, &ticket.id) || !IsTicketId(ticket.id) ||
      !Number<std::uint32_t>(*json, "seed", 0, 0xFFFFFFFFu, &ticket.seed) ||
      !Number(*json, "level", 0, 2, &ticket.level) ||
      !Number<std::int64_t>(*json, "expiresInS", 0, 366LL * 24 * 3600, &ticket.expiresInS)) {
    return std::nullopt;
  }
  return ticket;
}

std::optional<std::vector<WorldEntry>> ReadTableAnswer(std::string_view body, std::size_t limit) {
  const std::optional<Json> json = Parse(body);
  if (!json) return std::nullopt;
  const auto entries = json->find("entries");
  if (entries == json->end() || !entries->is_array()) return std::nullopt;
  std::vector<WorldEntry> table;
  for (const Json& item : *entries) {
    if (table.size() == limit) break;
    WorldEntry entry;
    std::string name;
    std::string date;
    if (!item.is_object() || !Number(item, "rank", 1, 1000000, &entry.rank) ||
        !Text(item, "name", 256, &name) ||
        !Number<std::int32_t>(item, "score", INT32_MIN, INT32_MAX, &entry.score) ||
        !Number<std::int32_t>(item, "removed", INT32_MIN, INT32_MAX, &entry.removed) ||
        !Text(item, "date", 64, &date) ||
        !Number<std::uint64_t>(item, "entry", 0, UINT64_MAX, &entry.entry)) {
      return std::nullopt;
    }
    entry.name = DrawnName(name);
    entry.date = DrawnDate(date);
    table.push_back(std::move(entry));
  }
  return table;
}

namespace {

// Rank 0: the entry is in, but the server could not tell its place.
std::optional<WorldVerdict> ReadAcceptance(const Json& json) {
  WorldVerdict verdict;
  std::string said;
  if (!Text(json, "status", 16, &said) || said != "accepted" ||
      !Number(json, "rank", 0, INT32_MAX, &verdict.rank)) {
    return std::nullopt;
  }
  verdict.accepted = true;
  return verdict;
}

std::optional<WorldVerdict> ReadRefusal(const Json& json) {
  WorldVerdict verdict;
  std::string said;
  if (!Text(json, "status", 16, &said) || said != "refused" ||
      !Text(json, "code", 64, &verdict.code) || verdict.code.empty() ||
      !Text(json, "reason", 512, &verdict.reason)) {
    return std::nullopt;
  }
  // Codes about the request rather than the result: the same result, sent
  // again, may well be taken.
  for (const char* request :
       {"bad-request", "not-found", "method-not-allowed", "rate-limited", "store-unavailable"}) {
    if (verdict.code == request) return std::nullopt;
  }
  // The reason is drawn as it stands: printable ASCII only.
  for (char& c : verdict.reason) {
    if (c < 0x20 || c > 0x7E) c = '?';
  }
  return verdict;
}

}  // namespace

std::optional<WorldVerdict> ReadSubmissionAnswer(int status, std::string_view body) {
  // A redirect (a captive portal's), a timeout, a limit on the rate, a server
  // in trouble: none is a verdict, whatever its body says.
  const bool refusal = status >= 400 && status < 500 && status != 408 && status != 429;
  if (status != 201 && !refusal) return std::nullopt;
  const std::optional<Json> json = Parse(body);
  if (!json) return std::nullopt;
  return status == 201 ? ReadAcceptance(*json) : ReadRefusal(*json);
}

std::string SubmissionBody(std::string_view nameUtf8, std::string_view replayBase64) {
  Json body = Json::object();
  body["name"] = std::string(nameUtf8);
  body["replay"] = std::string(replayBase64);
  return body.dump(-1, ' ', false, Json::error_handler_t::replace);
}
