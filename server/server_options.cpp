#include "server/server_options.h"

#include <charconv>
#include <string_view>

#include "server/browser_policy.h"
#include "server/client_address.h"
#include "server/comma_list.h"
#include "server/table_reads.h"

namespace server {

const char kServerUsage[] =
    "usage: morvex2-server --data DIR --listen HOST:PORT [--database postgresql://...]\n"
    "                      [--site DIR] [--tls-cert FILE --tls-key FILE] [--threads N]\n"
    "                      [--request-deadline SECONDS] [--keep-alive SECONDS]\n"
    "                      [--rate-limit PER-MINUTE] [--connections-per-address N]\n"
    "                      [--trusted-proxy ADDR[,ADDR...]]\n"
    "                      [--open-tickets N] [--open-tickets-per-address N]\n"
    "                      [--allow-origin ORIGIN[,ORIGIN...]]\n"
    "       morvex2-server verify-all (--data DIR | --database URL)\n"
    "       morvex2-server remove ID --why TEXT (--data DIR | --database URL)\n";

namespace {

bool ParseInt(const std::string& text, int low, int high, int* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size() && *value >= low &&
         *value <= high;
}

// HOST:PORT, or [IPv6]:PORT.
bool ParseListen(const std::string& text, std::string* host, int* port) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  *host = text.substr(0, colon);
  if (host->starts_with('[') && host->ends_with(']')) *host = host->substr(1, host->size() - 2);
  return !host->empty() && ParseInt(text.substr(colon + 1), 0, 65535, port);
}

// The pages hosted elsewhere that may write, "https://a.example,https://b.example";
// none when any of them is not an origin.
std::optional<std::vector<std::string>> OriginList(const std::string& text) {
  std::vector<std::string> origins;
  for (const std::string_view entry : CommaEntries(text)) {
    origins.emplace_back(entry);
    if (!IsOrigin(origins.back())) return std::nullopt;
  }
  return origins;
}

}  // namespace

namespace {

// The command word and, for remove, the entry's id; where the options begin.
bool ParseCommand(const std::vector<std::string>& arguments, ServerOptions* options,
                  std::size_t* at, std::string* error) {
  *at = 0;
  if (arguments.empty()) return true;
  if (arguments[0] == "verify-all") {
    options->command = Command::kVerifyAll;
    *at = 1;
  } else if (arguments[0] == "remove") {
    options->command = Command::kRemove;
    if (arguments.size() < 2 || !ParseId(arguments[1], &options->removeId)) {
      *error = "remove needs the entry's id";
      return false;
    }
    *at = 2;
  }
  return true;
}

// One option and its value; false for an unknown option or a bad value.
bool ParseOption(const std::string& option, const std::string& value, ServerOptions* options) {
  const std::pair<const char*, std::string*> texts[] = {{"--data", &options->dataFolder},
                                                        {"--database", &options->database},
                                                        {"--tls-cert", &options->tlsCert},
                                                        {"--tls-key", &options->tlsKey},
                                                        {"--why", &options->why}};
  for (const auto& [name, target] : texts) {
    if (option == name) {
      *target = value;
      return true;
    }
  }
  const struct {
    const char* name;
    int* target;
    int low;
    int high;
  } numbers[] = {{"--threads", &options->threads, 1, 1024},
                 {"--request-deadline", &options->requestDeadlineS, 1, 3600},
                 {"--keep-alive", &options->keepAliveTimeoutS, 1, 3600},
                 {"--rate-limit", &options->rateLimitPerMinute, 0, 1000000},
                 {"--connections-per-address", &options->connectionsPerAddress, 0, 1000000},
                 {"--open-tickets", &options->openTickets, 0, 100'000'000},
                 {"--open-tickets-per-address", &options->openTicketsPerAddress, 0, 100'000'000}};
  for (const auto& number : numbers) {
    if (option == number.name) return ParseInt(value, number.low, number.high, number.target);
  }
  if (option == "--trusted-proxy") {
    std::optional<std::vector<std::string>> addresses = AddressList(value);
    if (!addresses) return false;
    options->trustedProxies = std::move(*addresses);
    return true;
  }
  if (option == "--allow-origin") {
    std::optional<std::vector<std::string>> origins = OriginList(value);
    if (!origins) return false;
    options->allowedOrigins.insert(options->allowedOrigins.end(), origins->begin(), origins->end());
    return true;
  }
  if (option == "--site") {
    options->site = value;
    return true;
  }
  return option == "--listen" && ParseListen(value, &options->host, &options->port);
}

}  // namespace

bool ParseServerOptions(const std::vector<std::string>& arguments, ServerOptions* options,
                        std::string* error) {
  std::size_t at = 0;
  if (!ParseCommand(arguments, options, &at, error)) return false;
  for (; at < arguments.size(); at += 2) {
    const std::string& option = arguments[at];
    if (!option.starts_with("--")) {
      *error = "unknown argument " + option;
      return false;
    }
    if (at + 1 >= arguments.size()) {
      *error = option + " needs a value";
      return false;
    }
    if (!ParseOption(option, arguments[at + 1], options)) {
      *error = "unknown option or bad value: ";
      error->append(option).append(" ").append(arguments[at + 1]);
      return false;
    }
  }
  if (options->dataFolder.empty() && options->database.empty()) {
    *error = "give --data DIR (or --database URL)";
    return false;
  }
  if (options->tlsCert.empty() != options->tlsKey.empty()) {
    *error = "--tls-cert and --tls-key go together";
    return false;
  }
  if (options->command == Command::kRemove && options->why.empty()) {
    *error = "remove needs --why TEXT: the reason is kept with the entry";
    return false;
  }
  return true;
}

}  // namespace server
