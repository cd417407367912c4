// A morvex2-server of the tests' own, as its own process on a loopback port: started,
// waited for (with a bound), killed however a test needs; and the few requests the tests
// make of it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testworld {

// An HTTP answer; status 0 when none came (no server, a connection cut).
struct Reply {
  int status = 0;
  std::string body;
  std::string retryAfter;  // the Retry-After header, empty when none
  // The refusal's code, or the named number of a JSON answer ("entry", "seed"...): "" / -1
  // when the body has none.
  [[nodiscard]] std::string Code() const;
  [[nodiscard]] std::int64_t Number(const char* name) const;
  [[nodiscard]] std::string Text(const char* name) const;
};

class ServerProcess {
 public:
  // Runs the server with `arguments` (the store's: --data DIR or --database URL) on a free
  // loopback port, and waits until it answers; started() says whether it did. With
  // `largestFile`, no file the server writes may grow past that many bytes: the disk is full
  // for it there, as a real one is (writes fail with EFBIG, as with ENOSPC).
  explicit ServerProcess(std::vector<std::string> arguments, std::uint64_t largestFile = 0);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  [[nodiscard]] bool started() const { return pid_ > 0; }
  [[nodiscard]] int port() const { return port_; }
  // Sends `signal` and waits for the process to end.
  void Kill(int signal);
  // The server's standard error so far.
  [[nodiscard]] std::string Log() const;
  // The most memory the process has held at once (VmHWM), in KiB; 0 when not known.
  [[nodiscard]] long PeakMemoryKib() const;

  [[nodiscard]] Reply Get(const std::string& path) const;
  [[nodiscard]] Reply Post(const std::string& path, const std::string& body = "") const;

 private:
  std::vector<std::string> arguments_;
  std::string logPath_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// A connection to the server on `port` from the loopback address `from` (any 127.x.y.z:
// another client); -1 when none was made.
int ConnectFrom(int port, const char* from = "127.0.0.1");
// What comes on `sock` until the server closes it or is silent for five seconds.
std::string ReadAll(int sock);
// `request` sent whole, as it is, to the server on `port` from `from`; the answer as it came,
// read as ReadAll reads.
std::string AskRaw(int port, const std::string& request, const char* from = "127.0.0.1");
// The status of a raw answer, and the value of its header `name` ("" when none).
int StatusOf(const std::string& answer);
std::string HeaderOf(const std::string& answer, const std::string& name);

// A ticket for `level` whose game has started (stamped by the server).
struct ReadyTicket {
  std::string id;
  std::uint32_t seed = 0;
  std::int32_t level = 1;
};
// Asks `server` for a ticket and stamps its start; an empty id when it could not.
ReadyTicket StartedTicket(const ServerProcess& server, std::int32_t level);

// The body that submits `ticket`'s scripted game (tests/server/scripted_game.h), recorded
// as lasting `durationMs`, under `name`.
std::string SubmissionBody(const ReadyTicket& ticket, std::uint32_t durationMs,
                           const std::string& name = "TESTER");

}  // namespace testworld
