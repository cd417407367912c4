// Linux: libcurl's multi interface on a thread of its own, which sleeps in
// curl_multi_poll until a transfer moves or the game hands it a request.
// libcurl, with the TLS, Kerberos and LDAP libraries it brings, is loaded
// when a player first chooses a world server, not at every start.
#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/base/log.h"
#include "platform/net/curl_library.h"
#include "platform/net/http.h"
#include "platform/net/trusted_authorities.h"

namespace platform::net {

namespace {

bool IsHttps(std::string_view url) {
  constexpr std::string_view kScheme = "https:";
  return url.size() >= kScheme.size() &&
         std::equal(kScheme.begin(), kScheme.end(), url.begin(), [](char a, char b) {
           return a == std::tolower(static_cast<unsigned char>(b));
         });
}

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
  CurlHttpClient(const CurlLibrary& curl, TrustedAuthorities authorities)
      : curl_(curl), authorities_(std::move(authorities)) {
    if (!authorities_.problem.empty()) {
      LogError("trusting the world server's certificate", authorities_.problem, Repeats::kLogOnce);
    }
    curl_.globalInit(CURL_GLOBAL_DEFAULT);
    multi_ = curl_.multiInit();
    worker_ = std::thread([this] { Run(); });
  }

  ~CurlHttpClient() override {
    stopping_ = true;
    curl_.multiWakeup(multi_);
    worker_.join();
    for (auto& [handle, transfer] : running_) {
      curl_.multiRemoveHandle(multi_, handle);
      curl_.easyCleanup(handle);
      curl_.slistFreeAll(transfer->headers);
    }
    curl_.multiCleanup(multi_);
    curl_.globalCleanup();
  }

  void Start(RequestId id, HttpRequest request) override {
    // Plain http needs no certificate: a broken SSL_CERT_FILE stops only
    // what it would have been used for.
    if (!authorities_.problem.empty() && IsHttps(request.url)) {
      Finish(id, Failed(authorities_.problem));
      return;
    }
    auto transfer = std::make_unique<Transfer>();
    transfer->id = id;
    transfer->request = std::move(request);
    {
      const std::lock_guard lock(mutex_);
      incoming_.push_back(std::move(transfer));
    }
    curl_.multiWakeup(multi_);
  }

 private:
  void Run() {
    while (!stopping_) {
      TakeIncoming();
      int running = 0;
      curl_.multiPerform(multi_, &running);
      CollectDone();
      curl_.multiPoll(multi_, nullptr, 0, 1000, nullptr);
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
    CURL* handle = curl_.easyInit();
    if (handle == nullptr) {
      Finish(transfer->id, Failed("cannot start a request"));
      return;
    }
    const HttpRequest& request = transfer->request;
    curl_.easySetopt(handle, CURLOPT_URL, request.url.c_str());
    curl_.easySetopt(handle, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    if (request.method == "POST" || !request.body.empty()) {
      curl_.easySetopt(handle, CURLOPT_POSTFIELDS, request.body.data());
      curl_.easySetopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                       static_cast<curl_off_t>(request.body.size()));
    }
    for (const auto& [name, value] : request.headers) {
      std::string line = name;
      line += ": ";
      line += value;
      transfer->headers = curl_.slistAppend(transfer->headers, line.c_str());
    }
    // No "Expect: 100-continue" pause before a body.
    transfer->headers = curl_.slistAppend(transfer->headers, "Expect:");
    curl_.easySetopt(handle, CURLOPT_HTTPHEADER, transfer->headers);
    curl_.easySetopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeoutMs));
    curl_.easySetopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_.easySetopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    if (!authorities_.file.empty()) {
      curl_.easySetopt(handle, CURLOPT_CAINFO, authorities_.file.c_str());
    }
    curl_.easySetopt(handle, CURLOPT_WRITEFUNCTION, &KeepBody);
    curl_.easySetopt(handle, CURLOPT_WRITEDATA, transfer.get());
    curl_.easySetopt(handle, CURLOPT_USERAGENT, "morvex2");
    curl_.multiAddHandle(multi_, handle);
    running_.emplace(handle, std::move(transfer));
  }

  void CollectDone() {
    int left = 0;
    while (CURLMsg* message = curl_.multiInfoRead(multi_, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURL* handle = message->easy_handle;
      const auto found = running_.find(handle);
      if (found == running_.end()) continue;
      Transfer& transfer = *found->second;
      if (message->data.result == CURLE_OK) {
        long status = 0;
        curl_.easyGetinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        transfer.response.status = static_cast<int>(status);
      } else {
        transfer.response =
            Failed(transfer.tooLong ? kTooLong : curl_.easyStrerror(message->data.result));
      }
      curl_.multiRemoveHandle(multi_, handle);
      curl_.easyCleanup(handle);
      curl_.slistFreeAll(transfer.headers);
      Finish(transfer.id, std::move(transfer.response));
      running_.erase(found);
    }
  }

  const CurlLibrary& curl_;
  const TrustedAuthorities authorities_;
  CURLM* multi_ = nullptr;
  std::thread worker_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<std::unique_ptr<Transfer>> incoming_;     // under mutex_
  std::map<CURL*, std::unique_ptr<Transfer>> running_;  // the worker's alone
};

// Without libcurl the game plays on as without a network: every request
// fails at once, saying why, and the log says it once.
class MissingLibraryClient final : public HttpClient {
 public:
  explicit MissingLibraryClient(std::string why) : why_(std::move(why)) {}
  void Start(RequestId id, HttpRequest) override { Finish(id, Failed(why_)); }

 private:
  std::string why_;
};

}  // namespace

std::unique_ptr<HttpClient> MakeCurlHttpClient(const char* versionedName,
                                               TrustedAuthorities authorities) {
  std::string why;
  const CurlLibrary* curl = LoadCurlLibrary(versionedName, &why);
  if (curl == nullptr) {
    why = "no network library (" + why + ")";
    LogError("starting the world tables' client", why, Repeats::kLogOnce);
    return std::make_unique<MissingLibraryClient>(std::move(why));
  }
  return std::make_unique<CurlHttpClient>(*curl, std::move(authorities));
}

std::unique_ptr<HttpClient> MakeSystemHttpClient() {
  return MakeCurlHttpClient(kCurlLibraryName,
                            TrustedAuthoritiesNamed(std::getenv("SSL_CERT_FILE")));
}

}  // namespace platform::net
