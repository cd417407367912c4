// HTTP requests for the parts of the game that talk to a world-table server.
// A request is started and forgotten; its answer comes back later, on the
// game's own thread, between two messages of the loop (network.h). Nothing
// here ever waits for the network.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace platform::net {

struct HttpRequest {
  std::string method = "GET";
  std::string url;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  int timeoutMs = 10000;  // the whole exchange, connecting included
};

struct HttpResponse {
  int status = 0;     // 0: no answer at all (no network, refused, timed out)
  std::string body;   // at most kLongestBody bytes; a longer answer is a failure
  std::string error;  // status 0: why, in one line
};

// An answer longer than this is not one of the server's: a table of a hundred
// entries is a few kilobytes, a replay of hours under 64 KiB.
constexpr std::size_t kLongestBody = 1 << 20;
inline constexpr char kTooLong[] = "the answer is too long";

// No answer: no status, none of a body that may have come, and why.
HttpResponse Failed(std::string error);

using RequestId = std::uint64_t;

// One system's way of making requests. Start never blocks; the requests run
// beside the game (on a thread of the platform's, or the browser's own), and
// their answers, handed to Finish there, wait until TakeFinished is called on
// the game's thread.
class HttpClient {
 public:
  HttpClient() = default;
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;
  virtual ~HttpClient() = default;

  virtual void Start(RequestId id, HttpRequest request) = 0;
  // The requests that have finished since the last call, in the order they finished.
  virtual std::vector<std::pair<RequestId, HttpResponse>> TakeFinished();

 protected:
  // From any thread.
  void Finish(RequestId id, HttpResponse response);

 private:
  std::mutex mutex_;
  std::vector<std::pair<RequestId, HttpResponse>> finished_;  // under mutex_
};

// The system's own client: libcurl on Linux, WinHTTP on Windows, the
// browser's fetch in a page.
std::unique_ptr<HttpClient> MakeSystemHttpClient();

}  // namespace platform::net
