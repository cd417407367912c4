// Linux: libcurl's multi interface on a thread of its own, which sleeps in
// curl_multi_poll until a transfer moves or the game hands it a request.
#include <curl/curl.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "platform/net/http.h"

namespace platform::net {

namespace {

struct Transfer {
  RequestId id = 0;
  HttpRequest request;
  HttpResponse response;
  curl_slist* headers = nullptr;
  bool tooLong = false;
};

size_t KeepBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (transfer->response.body.size() + bytes > kLongestBody) {
    transfer->tooLong = true;
    return 0;  // ends the transfer
  }
  transfer->response.body.append(data, bytes);
  return bytes;
}

class CurlHttpClient final : public HttpClient {
 public:
  CurlHttpClient() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    multi_ = curl_multi_init();
    worker_ = std::thread([this] { Run(); });
  }

  ~CurlHttpClient() override {
    stopping_ = true;
    curl_multi_wakeup(multi_);
    worker_.join();
    for (auto& [handle, transfer] : running_) {
      curl_multi_remove_handle(multi_, handle);
      curl_easy_cleanup(handle);
      curl_slist_free_all(transfer->headers);
    }
    curl_multi_cleanup(multi_);
    curl_global_cleanup();
  }

  void Start(RequestId id, HttpRequest request) override {
    auto transfer = std::make_unique<Transfer>();
    transfer->id = id;
    transfer->request = std::move(request);
    {
      const std::lock_guard lock(mutex_);
      incoming_.push_back(std::move(transfer));
    }
    curl_multi_wakeup(multi_);
  }

 private:
  void Run() {
    while (!stopping_) {
      TakeIncoming();
      int running = 0;
      curl_multi_perform(multi_, &running);
      CollectDone();
      curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
    }
  }

  void TakeIncoming() {
    std::vector<std::unique_ptr<Transfer>> incoming;
    {
      const std::lock_guard lock(mutex_);
      incoming.swap(incoming_);
    }
    for (auto& transfer : incoming) Begin(std::move(transfer));
  }

  void Begin(std::unique_ptr<Transfer> transfer) {
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
      Finish(transfer->id, Failed("cannot start a request"));
      return;
    }
    const HttpRequest& request = transfer->request;
    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    if (request.method == "POST" || !request.body.empty()) {
      curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.body.data());
      curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                       static_cast<curl_off_t>(request.body.size()));
    }
    for (const auto& [name, value] : request.headers) {
      std::string line = name;
      line += ": ";
      line += value;
      transfer->headers = curl_slist_append(transfer->headers, line.c_str());
    }
    // No "Expect: 100-continue" pause before a body.
    transfer->headers = curl_slist_append(transfer->headers, "Expect:");
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, transfer->headers);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeoutMs));
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &KeepBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, transfer.get());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "morvex2");
    curl_multi_add_handle(multi_, handle);
    running_.emplace(handle, std::move(transfer));
  }

  void CollectDone() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURL* handle = message->easy_handle;
      const auto found = running_.find(handle);
      if (found == running_.end()) continue;
      Transfer& transfer = *found->second;
      if (message->data.result == CURLE_OK) {
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        transfer.response.status = static_cast<int>(status);
      } else {
        transfer.response =
            Failed(transfer.tooLong ? kTooLong : curl_easy_strerror(message->data.result));
      }
      curl_multi_remove_handle(multi_, handle);
      curl_easy_cleanup(handle);
      curl_slist_free_all(transfer.headers);
      Finish(transfer.id, std::move(transfer.response));
      running_.erase(found);
    }
  }

  CURLM* multi_ = nullptr;
  std::thread worker_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<std::unique_ptr<Transfer>> incoming_;     // under mutex_
  std::map<CURL*, std::unique_ptr<Transfer>> running_;  // the worker's alone
};

}  // namespace

std::unique_ptr<HttpClient> MakeSystemHttpClient() {
  return std::make_unique<CurlHttpClient>();
}

}  // namespace platform::net
