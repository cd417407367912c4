// Submission load on a running morvex2-server: many valid ranked games, each with a ticket of
// its own, sent by a fixed number of clients (a bounded load), or all at once (a burst).
//
//   world_load PORT submit N CLIENTS   N submissions from CLIENTS keep-alive clients: the
//                                      rate, latency percentiles, answers by code
//   world_load PORT burst N            N submissions sent at the same moment, a connection
//                                      each: every one must be accepted, refused with its
//                                      code, or told to come back later (429/503 with
//                                      Retry-After); none may go unanswered
//
// PORT is the server's on 127.0.0.1, or the address of what stands in front of it
// (https://127.0.0.1:PORT for a reverse proxy; its certificate is checked against the system's
// authorities, or those SSL_CERT_FILE names). With --accepted FILE first, the tickets of the
// games answered "accepted" are written to FILE, one a line, for a check of the store. With
// --kill-after N PID first, process PID (one of the servers behind a proxy) is killed
// (SIGKILL) by the client that sees the Nth game accepted, while the other clients' games are
// on their way: the server goes down in the middle of the submissions however fast or slowly
// the machine runs them.
//
// Tickets for all the games are taken, and the games made, before the clock starts.
//
// Each game is a scripted one (tests/server/scripted_game.h) recorded as lasting five minutes;
// the tickets' starts are stamped, the server's clock (MORVEX2_SERVER_TEST_CLOCK, which
// load.sh sets) moved on five minutes, and their ends stamped, so that every submission is
// within the duration's tolerance. The last line
// printed is "accepted N": what the table must now hold more than before.
#include <httplib.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "core/replay_file.h"
#include "formats/base64.h"
#include "tests/server/scripted_game.h"

namespace {

using Clock = std::chrono::steady_clock;

// Long enough for the scripted game of every level: its ticks come where the game's clock puts
// them, so it cannot be shorter than the game needs.
constexpr std::uint32_t kGameMs = 300'000;
// Where the server's clock stands when the games start (2026-11-30).
constexpr std::int64_t kStartMs = 1'796'000'000'000;

// The server's clock, when load.sh gave it one (MORVEX2_SERVER_TEST_CLOCK names its file, for
// the server and this program alike): the games' starts are stamped at one time and their
// ends kGameMs later, without waiting five minutes.
void SetServerClock(std::int64_t ms) {
  const char* file = std::getenv("MORVEX2_SERVER_TEST_CLOCK");
  if (file == nullptr) return;
  const std::string next = std::string(file) + ".next";
  std::ofstream(next, std::ios::trunc) << ms;
  std::rename(next.c_str(), file);
}

struct Game {
  std::string ticket;
  std::string path;  // /api/v1/tickets/ID/replay
  std::string body;
};

struct Outcome {
  int status = 0;
  std::string code;
  bool retryAfter = false;
  double ms = 0;
};

std::unique_ptr<httplib::Client> Connect(const std::string& server) {
  auto client = std::make_unique<httplib::Client>(server);
  client->set_keep_alive(true);
  client->set_tcp_nodelay(true);
  client->set_connection_timeout(30);
  client->set_read_timeout(60);
  return client;
}

// Tickets from `clients` threads at once (the server's issuing is not what is measured),
// then their games, made one after another (the play rules run one game at a time).
std::vector<Game> Prepare(const std::string& server, int count) {
  SetServerClock(kStartMs);
  struct Issued {
    std::string id;
    std::uint32_t seed = 0;
    std::int32_t level = 0;
  };
  std::vector<Issued> issued(static_cast<std::size_t>(count));
  std::atomic<int> next{0};
  std::atomic<int> failed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      auto client = Connect(server);
      for (int i = next++; i < count; i = next++) {
        Issued& one = issued[static_cast<std::size_t>(i)];
        one.level = i % 3;
        const auto answer = client->Post(
            "/api/v1/tickets", "{\"level\":" + std::to_string(one.level) + "}", "application/json");
        if (!answer || answer->status != 201) {
          ++failed;
          continue;
        }
        const auto json = nlohmann::json::parse(answer->body);
        one.id = json["ticket"].get<std::string>();
        one.seed = json["seed"].get<std::uint32_t>();
        const auto started = client->Post("/api/v1/tickets/" + one.id + "/start");
        if (!started || started->status != 204) ++failed;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  SetServerClock(kStartMs + kGameMs);
  {
    auto client = Connect(server);
    for (const Issued& one : issued) {
      if (one.id.empty()) continue;
      const auto ended = client->Post("/api/v1/tickets/" + one.id + "/end");
      if (!ended || ended->status != 204) ++failed;
    }
  }
  if (failed > 0) std::fprintf(stderr, "%d tickets could not be prepared\n", failed.load());
  std::vector<Game> games;
  games.reserve(issued.size());
  for (const Issued& one : issued) {
    if (one.id.empty()) continue;
    const Replay replay = testworld::PlayScriptedGame(one.seed, one.level, kGameMs);
    nlohmann::json body;
    body["name"] = "LOAD";
    body["replay"] = formats::EncodeBase64(EncodeReplay(replay));
    games.push_back({one.id, "/api/v1/tickets/" + one.id + "/replay", body.dump()});
  }
  return games;
}

Outcome Send(httplib::Client& client, const Game& game) {
  Outcome outcome;
  const auto began = Clock::now();
  const auto answer = client.Post(game.path, game.body, "application/json");
  outcome.ms = std::chrono::duration<double, std::milli>(Clock::now() - began).count();
  if (!answer) {
    outcome.code = httplib::to_string(answer.error());
    return outcome;
  }
  outcome.status = answer->status;
  outcome.retryAfter = answer->has_header("Retry-After");
  if (answer->status != 201) {
    const auto json = nlohmann::json::parse(answer->body, nullptr, false);
    if (json.is_object() && json.contains("code") && json["code"].is_string()) {
      outcome.code = json["code"].get<std::string>();
    }
  }
  return outcome;
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
  return values[index];
}

// Prints the answers by kind; the number of games the server says it entered, or -1 when an
// answer broke the rules (none came, or a 429/503 without Retry-After).
int Report(const std::vector<Outcome>& outcomes, double seconds) {
  std::map<std::string, int> kinds;
  std::vector<double> ms;
  int accepted = 0;
  bool broken = false;
  for (const Outcome& outcome : outcomes) {
    ms.push_back(outcome.ms);
    std::string kind = std::to_string(outcome.status);
    if (outcome.status == 201) ++accepted;
    if (outcome.status == 0) {
      kind = "no answer: " + outcome.code;
      broken = true;
    } else if (!outcome.code.empty()) {
      kind += " " + outcome.code;
    }
    if ((outcome.status == 429 || outcome.status == 503) && !outcome.retryAfter) {
      kind += " WITHOUT Retry-After";
      broken = true;
    }
    ++kinds[kind];
  }
  std::printf("%zu submissions in %.2f s: %.0f/s; latency p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
              outcomes.size(), seconds, static_cast<double>(outcomes.size()) / seconds,
              Percentile(ms, 0.50), Percentile(ms, 0.99), Percentile(ms, 1.0));
  for (const auto& [kind, count] : kinds) std::printf("  %-40s %d\n", kind.c_str(), count);
  std::printf("accepted %d\n", accepted);
  return broken ? -1 : accepted;
}

// The answers to every game, in the games' order, and how long they took.
struct Run {
  std::vector<Outcome> outcomes;
  double seconds = 0;
  bool killed = false;  // the process of --kill-after was killed
};

// A process to kill (SIGKILL) once this many games have been accepted; none when pid is 0.
struct KillAfter {
  int accepted = 0;
  pid_t pid = 0;
};

Run Submit(const std::string& server, const std::vector<Game>& games, int clients,
           const KillAfter& kill) {
  std::vector<Outcome> outcomes(games.size());
  std::atomic<std::size_t> next{0};
  std::atomic<int> accepted{0};
  std::atomic<bool> killed{false};
  std::vector<std::thread> threads;
  const auto began = Clock::now();
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&] {
      auto client = Connect(server);
      for (std::size_t i = next++; i < games.size(); i = next++) {
        outcomes[i] = Send(*client, games[i]);
        if (kill.pid > 0 && outcomes[i].status == 201 && ++accepted == kill.accepted) {
          killed = ::kill(kill.pid, SIGKILL) == 0;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
  return {std::move(outcomes), seconds, killed};
}

Run Burst(const std::string& server, const std::vector<Game>& games) {
  std::vector<Outcome> outcomes(games.size());
  std::vector<std::thread> threads;
  std::mutex mutex;
  std::condition_variable go;
  bool ready = false;
  std::atomic<std::size_t> waiting{0};
  for (std::size_t i = 0; i < games.size(); ++i) {
    threads.emplace_back([&, i] {
      httplib::Client client(server);
      client.set_tcp_nodelay(true);
      client.set_connection_timeout(60);
      client.set_read_timeout(120);
      {
        std::unique_lock lock(mutex);
        ++waiting;
        go.wait(lock, [&] { return ready; });
      }
      outcomes[i] = Send(client, games[i]);
    });
  }
  while (waiting < games.size()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const auto began = Clock::now();
  {
    std::lock_guard lock(mutex);
    ready = true;
  }
  go.notify_all();
  for (std::thread& thread : threads) thread.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
  return {std::move(outcomes), seconds};
}

// The tickets of the games answered "accepted", one a line.
bool WriteAccepted(const std::string& file, const std::vector<Game>& games,
                   const std::vector<Outcome>& outcomes) {
  std::ofstream out(file, std::ios::trunc);
  for (std::size_t i = 0; i < games.size(); ++i) {
    if (outcomes[i].status == 201) out << games[i].ticket << '\n';
  }
  return static_cast<bool>(out.flush());
}

// The server as the command line names it: a port of 127.0.0.1, or an address with its scheme.
// Empty when it is neither.
std::string ServerAddress(const std::string& given) {
  if (given.starts_with("http://") || given.starts_with("https://")) return given;
  if (given.empty() || !std::ranges::all_of(given, [](char c) { return c >= '0' && c <= '9'; })) {
    return {};
  }
  return "http://127.0.0.1:" + given;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string acceptedFile;
  KillAfter kill;
  while (!arguments.empty()) {
    if (arguments.size() >= 2 && arguments[0] == "--accepted") {
      acceptedFile = arguments[1];
      arguments.erase(arguments.begin(), arguments.begin() + 2);
    } else if (arguments.size() >= 3 && arguments[0] == "--kill-after") {
      kill.accepted = std::atoi(arguments[1].c_str());
      kill.pid = static_cast<pid_t>(std::atoi(arguments[2].c_str()));
      arguments.erase(arguments.begin(), arguments.begin() + 3);
      // Nothing to kill, or never: what was asked for cannot be done.
      if (kill.accepted <= 0 || kill.pid <= 0) arguments.clear();
    } else {
      break;
    }
  }
  constexpr char kUsage[] =
      "usage: %s [--accepted FILE] [--kill-after N PID] PORT|URL submit N CLIENTS\n"
      "       %s [--accepted FILE] PORT|URL burst N\n";
  if (arguments.size() < 3) {
    std::fprintf(stderr, kUsage, argv[0], argv[0]);
    return 2;
  }
  const std::string server = ServerAddress(arguments[0]);
  const std::string& mode = arguments[1];
  const int count = std::atoi(arguments[2].c_str());
  const int clients = arguments.size() > 3 ? std::atoi(arguments[3].c_str()) : 1;
  if (server.empty() || count <= 0 || clients <= 0 || (mode != "submit" && mode != "burst") ||
      (kill.pid > 0 && mode != "submit")) {
    std::fprintf(stderr, kUsage, argv[0], argv[0]);
    return 2;
  }
  const auto began = Clock::now();
  const std::vector<Game> games = Prepare(server, count);
  if (games.size() != static_cast<std::size_t>(count)) return 1;
  std::printf("prepared %zu games in %.1f s (%zu bytes of body each, about)\n", games.size(),
              std::chrono::duration<double>(Clock::now() - began).count(),
              games.empty() ? std::size_t{0} : games.front().body.size());
  const Run run = mode == "submit" ? Submit(server, games, clients, kill) : Burst(server, games);
  const int accepted = Report(run.outcomes, run.seconds);
  if (kill.pid > 0) {
    if (!run.killed) {
      std::fprintf(stderr, "process %d was not killed: fewer than %d games were accepted\n",
                   static_cast<int>(kill.pid), kill.accepted);
      return 1;
    }
    std::printf("killed process %d after %d games accepted\n", static_cast<int>(kill.pid),
                kill.accepted);
  }
  if (!acceptedFile.empty() && !WriteAccepted(acceptedFile, games, run.outcomes)) {
    std::fprintf(stderr, "cannot write %s\n", acceptedFile.c_str());
    return 1;
  }
  return accepted < 0 ? 1 : 0;
}
