// Windows: WinHTTP's plain calls, each request on a thread of its own, so
// that none waits behind another (a start stamp must not queue behind a slow
// submission). The threads are joined as they finish and when the client goes.
#include <windows.h>
#include <winhttp.h>

#include <list>
#include <mutex>
#include <thread>

#include "platform/net/http.h"
#include "platform/windows/wide_text.h"

namespace platform::net {

namespace {

struct Handle {
  HINTERNET value = nullptr;
  explicit Handle(HINTERNET h) : value(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (value != nullptr) WinHttpCloseHandle(value);
  }
};

std::string LastError(const char* what) {
  return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")";
}

HttpResponse Perform(const HttpRequest& request) {
  const std::wstring url = WideFromUtf8(request.url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof(parts);
  wchar_t host[256] = {};
  wchar_t path[2048] = {};
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 2048;
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return Failed("not a URL: " + request.url);
  const Handle session(WinHttpOpen(L"morvex2", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                   WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (session.value == nullptr) return Failed(LastError("WinHttpOpen"));
  const int timeout = request.timeoutMs;
  WinHttpSetTimeouts(session.value, timeout, timeout, timeout, timeout);
  const Handle connection(WinHttpConnect(session.value, host, parts.nPort, 0));
  if (connection.value == nullptr) return Failed(LastError("WinHttpConnect"));
  const std::wstring method = WideFromUtf8(request.method);
  const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  const Handle handle(WinHttpOpenRequest(connection.value, method.c_str(), path, nullptr,
                                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
  if (handle.value == nullptr) return Failed(LastError("WinHttpOpenRequest"));
  std::wstring headers;
  for (const auto& [name, value] : request.headers) {
    headers += WideFromUtf8(name + ": " + value + "\r\n");
  }
  auto* body = const_cast<char*>(request.body.data());
  const auto length = static_cast<DWORD>(request.body.size());
  if (!WinHttpSendRequest(handle.value,
                          headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                          headers.empty() ? 0 : static_cast<DWORD>(-1L), body, length, length, 0) ||
      !WinHttpReceiveResponse(handle.value, nullptr)) {
    return Failed(LastError("sending the request"));
  }
  DWORD status = 0;
  DWORD size = sizeof(status);
  WinHttpQueryHeaders(handle.value, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  HttpResponse response;
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(handle.value, &available)) {
      return Failed(LastError("reading the answer"));
    }
    if (available == 0) break;
    if (response.body.size() + available > kLongestBody) return Failed(kTooLong);
    const std::size_t at = response.body.size();
    response.body.resize(at + available);
    DWORD read = 0;
    if (!WinHttpReadData(handle.value, response.body.data() + at, available, &read)) {
      return Failed(LastError("reading the answer"));
    }
    response.body.resize(at + read);
  }
  response.status = static_cast<int>(status);
  return response;
}

class WinHttpClient final : public HttpClient {
 public:
  ~WinHttpClient() override {
    for (std::thread& thread : threads_) thread.join();
  }

  void Start(RequestId id, HttpRequest request) override {
    JoinFinishedThreads();
    threads_.emplace_back([this, id, request = std::move(request)] {
      Finish(id, Perform(request));
      const std::lock_guard lock(mutex_);
      done_.push_back(std::this_thread::get_id());
    });
  }

  std::vector<std::pair<RequestId, HttpResponse>> TakeFinished() override {
    JoinFinishedThreads();
    return HttpClient::TakeFinished();
  }

 private:
  void JoinFinishedThreads() {
    std::vector<std::thread::id> done;
    {
      const std::lock_guard lock(mutex_);
      done.swap(done_);
    }
    for (const std::thread::id id : done) {
      for (auto it = threads_.begin(); it != threads_.end(); ++it) {
        if (it->get_id() == id) {
          it->join();
          threads_.erase(it);
          break;
        }
      }
    }
  }

  std::list<std::thread> threads_;
  std::mutex mutex_;
  std::vector<std::thread::id> done_;  // under mutex_
};

}  // namespace

std::unique_ptr<HttpClient> MakeSystemHttpClient() {
  return std::make_unique<WinHttpClient>();
}

}  // namespace platform::net
