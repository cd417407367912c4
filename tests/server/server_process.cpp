#include "tests/server/server_process.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
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
  // Every request of the tests comes from one address: no rate limit, no
  // cap on its connections.
  std::vector<std::string> argv = {
      MORVEX2_SERVER_PATH,         "--listen", "127.0.0.1:0", "--rate-limit", "0",
      "--connections-per-address", "0"};
  argv.insert(argv.end(), arguments_.begin(), arguments_.end());
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  // Each server a test starts draws its own fixed tickets and seeds: the same on every run,
  // and never the same as another server's over the same store.
  static int started = 0;
  std::string draws = "MORVEX2_SERVER_TEST_DRAWS=" + std::to_string(++started);
  std::vector<char*> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (!std::string_view(*variable).starts_with("MORVEX2_SERVER_TEST_DRAWS=")) {
      environment.push_back(*variable);
    }
  }
  environment.push_back(draws.data());
  environment.push_back(nullptr);
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
    execve(pointers[0], pointers.data(), environment.data());
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

long ServerProcess::PeakMemoryKib() const {
  std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
  }
  return 0;
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

int ConnectFrom(int port, const char* from) {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  inet_pton(AF_INET, from, &local.sin_addr);
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(static_cast<std::uint16_t>(port));
  server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(sock, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      connect(sock, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
    close(sock);
    return -1;
  }
  return sock;
}

std::string ReadAll(int sock) {
  std::string answer;
  char buffer[4096];
  pollfd entry{.fd = sock, .events = POLLIN, .revents = 0};
  while (poll(&entry, 1, 5000) > 0) {
    const ssize_t got = recv(sock, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(got));
  }
  return answer;
}

std::string AskRaw(int port, const std::string& request, const char* from) {
  const int sock = ConnectFrom(port, from);
  if (sock < 0) return {};
  send(sock, request.data(), request.size(), MSG_NOSIGNAL);
  std::string answer = ReadAll(sock);
  close(sock);
  return answer;
}

int StatusOf(const std::string& answer) {
  return answer.starts_with("HTTP/1.") && answer.size() > 12 ? std::atoi(answer.c_str() + 9) : 0;
}

std::string HeaderOf(const std::string& answer, const std::string& name) {
  const std::size_t end = answer.find("\r\n\r\n");
  std::size_t at = answer.find("\r\n");
  while (at != std::string::npos && at < end) {
    const std::size_t next = answer.find("\r\n", at + 2);
    const std::string line = answer.substr(at + 2, next - at - 2);
    const std::size_t colon = line.find(':');
    if (colon == name.size() &&
        std::equal(name.begin(), name.end(), line.begin(),
                   [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
      std::size_t from = colon + 1;
      while (from < line.size() && line[from] == ' ') ++from;
      return line.substr(from);
    }
    at = next;
  }
  return {};
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
