#include "tests/server/server_process.h"

#include <httplib.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string_view>
#include <thread>

#include "core/replay_file.h"
#include "formats/base64.h"
#include "tests/server/scripted_game.h"

namespace testworld {

namespace {

// How long a server may take to answer its first request: a start that migrates a schema on
// a busy machine takes a second or two.
constexpr auto kStartBound = std::chrono::seconds(30);

// The port the server says it listens on ("listening on 127.0.0.1:PORT"); 0 until it has.
// It is given port 0 and takes a free one itself: no other program can take it first.
int SaidPort(const std::string& logPath) {
  constexpr std::string_view kSaid = "listening on 127.0.0.1:";
  std::ifstream in(logPath);
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with(kSaid)) return std::atoi(line.c_str() + kSaid.size());
  }
  return 0;
}

Reply From(const httplib::Result& result) {
  Reply reply;
  if (!result) return reply;
  reply.status = result->status;
  reply.body = result->body;
  reply.retryAfter = result->get_header_value("Retry-After");
  return reply;
}

nlohmann::json Json(const std::string& body) {
  return nlohmann::json::parse(body, nullptr, false);
}

}  // namespace

std::string Reply::Code() const {
  return Text("code");
}

std::string Reply::Text(const char* name) const {
  const nlohmann::json json = Json(body);
  if (!json.is_object() || !json.contains(name) || !json[name].is_string()) return {};
  return json[name].get<std::string>();
}

std::int64_t Reply::Number(const char* name) const {
  const nlohmann::json json = Json(body);
  if (!json.is_object() || !json.contains(name) || !json[name].is_number_integer()) return -1;
  return json[name].get<std::int64_t>();
}

ServerProcess::ServerProcess(std::vector<std::string> arguments, std::uint64_t largestFile)
    : arguments_(std::move(arguments)) {
  char logPath[] = "/tmp/morvex2-server-log.XXXXXX";
  const int logFd = mkstemp(logPath);
  if (logFd < 0) return;
  logPath_ = logPath;
  // Every request of the tests comes from one address: no rate limit.
  std::vector<std::string> argv = {MORVEX2_SERVER_PATH, "--listen", "127.0.0.1:0", "--rate-limit",
                                   "0"};
  argv.insert(argv.end(), arguments_.begin(), arguments_.end());
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(logFd, STDERR_FILENO);
    dup2(logFd, STDOUT_FILENO);
    if (largestFile > 0) {
      const rlimit limit{.rlim_cur = largestFile, .rlim_max = largestFile};
      setrlimit(RLIMIT_FSIZE, &limit);
      // A write past the limit fails instead of ending the process.
      signal(SIGXFSZ, SIG_IGN);
    }
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  close(logFd);
  const auto giveUp = std::chrono::steady_clock::now() + kStartBound;
  while (pid_ > 0) {
    if (port_ == 0) port_ = SaidPort(logPath_);
    if (port_ != 0 && Get("/healthz").status != 0) return;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_ || std::chrono::steady_clock::now() > giveUp) {
      Kill(SIGKILL);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

ServerProcess::~ServerProcess() {
  Kill(SIGTERM);
  if (!logPath_.empty()) unlink(logPath_.c_str());
}

void ServerProcess::Kill(int signal) {
  if (pid_ <= 0) return;
  kill(pid_, signal);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

std::string ServerProcess::Log() const {
  std::ifstream in(logPath_);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Reply ServerProcess::Get(const std::string& path) const {
  httplib::Client client("127.0.0.1", port_);
  client.set_connection_timeout(5);
  client.set_read_timeout(30);
  return From(client.Get(path));
}

Reply ServerProcess::Post(const std::string& path, const std::string& body) const {
  httplib::Client client("127.0.0.1", port_);
  client.set_connection_timeout(5);
  client.set_read_timeout(30);
  return From(client.Post(path, body, "application/json"));
}

ReadyTicket StartedTicket(const ServerProcess& server, std::int32_t level) {
  ReadyTicket ticket;
  const Reply issued = server.Post("/api/v1/tickets", "{\"level\":" + std::to_string(level) + "}");
  if (issued.status != 201) return ticket;
  ticket.level = level;
  ticket.seed = static_cast<std::uint32_t>(issued.Number("seed"));
  const std::string id = issued.Text("ticket");
  if (server.Post("/api/v1/tickets/" + id + "/start").status == 204) ticket.id = id;
  return ticket;
}

std::string SubmissionBody(const ReadyTicket& ticket, std::uint32_t durationMs,
                           const std::string& name) {
  const Replay replay = PlayScriptedGame(ticket.seed, ticket.level, durationMs);
  nlohmann::json body;
  body["name"] = name;
  body["replay"] = formats::EncodeBase64(EncodeReplay(replay));
  return body.dump();
}

}  // namespace testworld
