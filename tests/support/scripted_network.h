// The network of the tests: a client whose every request is noted and
// answered by the test's own function, on the next poll of the queue, or only
// once the test lets it through (so a test sees what the game does while an
// answer is on its way).
#pragma once

#include <functional>
#include <vector>

#include "platform/net/http.h"

namespace platform {

class ScriptedNetwork final : public net::HttpClient {
 public:
  using Server = std::function<net::HttpResponse(const net::HttpRequest&)>;
  explicit ScriptedNetwork(Server server) : server_(std::move(server)) {}

  void Start(net::RequestId id, net::HttpRequest request) override;
  std::vector<std::pair<net::RequestId, net::HttpResponse>> TakeFinished() override;

  // While held, requests are noted but not answered.
  void Hold(bool held) { held_ = held; }
  // Every request made so far, in order.
  [[nodiscard]] const std::vector<net::HttpRequest>& Requests() const { return requests_; }

  // "POST /api/v1/tickets" for a request to that path of any server.
  static std::string Line(const net::HttpRequest& request);

 private:
  Server server_;
  bool held_ = false;
  std::vector<net::HttpRequest> requests_;
  std::vector<std::pair<net::RequestId, net::HttpRequest>> unanswered_;
};

}  // namespace platform
