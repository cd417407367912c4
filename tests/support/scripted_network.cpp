#include "tests/support/scripted_network.h"

namespace platform {

void ScriptedNetwork::Start(net::RequestId id, net::HttpRequest request) {
  requests_.push_back(request);
  unanswered_.emplace_back(id, std::move(request));
}

std::vector<std::pair<net::RequestId, net::HttpResponse>> ScriptedNetwork::TakeFinished() {
  std::vector<std::pair<net::RequestId, net::HttpResponse>> finished;
  if (held_) return finished;
  std::vector<std::pair<net::RequestId, net::HttpRequest>> asked;
  asked.swap(unanswered_);
  for (const auto& [id, request] : asked) {
    finished.emplace_back(id, server_ ? server_(request) : net::HttpResponse{});
  }
  return finished;
}

std::string ScriptedNetwork::Line(const net::HttpRequest& request) {
  const std::size_t scheme = request.url.find("://");
  const std::size_t path = request.url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  return request.method + " " + (path == std::string::npos ? "/" : request.url.substr(path));
}

}  // namespace platform
