#include "platform/net/http.h"

#include "platform/base/loop_wake.h"

namespace platform::net {

HttpResponse Failed(std::string error) {
  return {.status = 0, .body = {}, .error = std::move(error)};
}

std::vector<std::pair<RequestId, HttpResponse>> HttpClient::TakeFinished() {
  const std::lock_guard lock(mutex_);
  return std::exchange(finished_, {});
}

void HttpClient::Finish(RequestId id, HttpResponse response) {
  {
    const std::lock_guard lock(mutex_);
    finished_.emplace_back(id, std::move(response));
  }
  WakeLoop();
}

}  // namespace platform::net
