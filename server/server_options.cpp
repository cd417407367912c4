#include "server/server_options.h"

#include <charconv>

#include "server/table_reads.h"

namespace server {

const char kServerUsage[] =
    "usage: morvex2-server --data DIR --listen HOST:PORT [--database postgresql://...]\n"
    "                      [--site DIR] [--tls-cert FILE --tls-key FILE] [--threads N]\n"
    "                      [--request-deadline SECONDS] [--rate-limit PER-MINUTE]\n"
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

}  // namespace

bool ParseServerOptions(const std::vector<std::string>& arguments, ServerOptions* options,
                        std::string* error) {
  std::size_t at = 0;
  if (!arguments.empty() && arguments[0] == "verify-all") {
    options->command = Command::kVerifyAll;
    at = 1;
  } else if (!arguments.empty() && arguments[0] == "remove") {
    options->command = Command::kRemove;
    if (arguments.size() < 2 || !ParseId(arguments[1], &options->removeId)) {
      *error = "remove needs the entry's id";
      return false;
    }
    at = 2;
  }
  for (; at < arguments.size(); ++at) {
    const std::string& option = arguments[at];
    if (at + 1 >= arguments.size()) {
      *error = option.starts_with("--") ? option + " needs a value" : "unknown argument " + option;
      return false;
    }
    const std::string& value = arguments[++at];
    bool good = true;
    if (option == "--data") {
      options->dataFolder = value;
    } else if (option == "--database") {
      options->database = value;
    } else if (option == "--listen") {
      good = ParseListen(value, &options->host, &options->port);
    } else if (option == "--site") {
      options->site = value;
    } else if (option == "--tls-cert") {
      options->tlsCert = value;
    } else if (option == "--tls-key") {
      options->tlsKey = value;
    } else if (option == "--threads") {
      good = ParseInt(value, 1, 1024, &options->threads);
    } else if (option == "--request-deadline") {
      good = ParseInt(value, 1, 3600, &options->requestDeadlineS);
    } else if (option == "--rate-limit") {
      good = ParseInt(value, 0, 1000000, &options->rateLimitPerMinute);
    } else if (option == "--why") {
      options->why = value;
    } else {
      *error = "unknown option " + option;
      return false;
    }
    if (!good) {
      *error = "bad value for " + option + ": " + value;
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
