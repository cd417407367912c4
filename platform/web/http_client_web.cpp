// In a page: the browser's own fetch (emscripten's Fetch API). Its callbacks
// run on the page's one thread while the game's loop has handed the page back
// to the browser (a wait), and only note the answer for TakeFinished.
#include <emscripten.h>
#include <emscripten/fetch.h>

#include <cstring>

#include "platform/net/http.h"

namespace platform::net {

namespace {

// The game's loop sleeps until the page wakes it or its next timer is due
// (platform/web/input_wait_web.cpp): an answer wakes it too, once this
// callback has returned, so that it is taken between two messages.
// clang-format off
EM_JS(void, WakeTheGame, (), {
  setTimeout(function() {
    if (Module.morvex2WakeForInput) Module.morvex2WakeForInput();
  }, 0);
});
// clang-format on

class WebHttpClient;

struct Pending {
  WebHttpClient* client;
  RequestId id;
  HttpRequest request;
  std::vector<std::string> headerWords;  // name, value, ...
  std::vector<const char*> headerPointers;
};

class WebHttpClient final : public HttpClient {
 public:
  ~WebHttpClient() override { alive_ = false; }

  void Start(RequestId id, HttpRequest request) override {
    auto* pending = new Pending{this, id, std::move(request), {}, {}};
    for (const auto& [name, value] : pending->request.headers) {
      pending->headerWords.push_back(name);
      pending->headerWords.push_back(value);
    }
    for (const std::string& word : pending->headerWords) {
      pending->headerPointers.push_back(word.c_str());
    }
    pending->headerPointers.push_back(nullptr);
    emscripten_fetch_attr_t attr;
    emscripten_fetch_attr_init(&attr);
    std::strncpy(attr.requestMethod, pending->request.method.c_str(),
                 sizeof(attr.requestMethod) - 1);
    attr.attributes = EMSCRIPTEN_FETCH_LOAD_TO_MEMORY;
    attr.timeoutMSecs = static_cast<unsigned>(pending->request.timeoutMs);
    attr.requestHeaders = pending->headerPointers.data();
    attr.requestData = pending->request.body.data();
    attr.requestDataSize = pending->request.body.size();
    attr.userData = pending;
    attr.onsuccess = &Done;
    attr.onerror = &Done;
    emscripten_fetch(&attr, pending->request.url.c_str());
  }

 private:
  static void Done(emscripten_fetch_t* fetch) {
    auto* pending = static_cast<Pending*>(fetch->userData);
    HttpResponse response;
    if (fetch->status == 0) {
      response = Failed("the server could not be reached");
    } else if (fetch->numBytes > kLongestBody) {
      response = Failed(kTooLong);
    } else {
      response.status = fetch->status;
      response.body.assign(fetch->data, static_cast<std::size_t>(fetch->numBytes));
    }
    if (alive_) pending->client->Finish(pending->id, std::move(response));
    delete pending;
    emscripten_fetch_close(fetch);
    WakeTheGame();
  }

  static inline bool alive_ = true;
};

}  // namespace

std::unique_ptr<HttpClient> MakeSystemHttpClient() {
  return std::make_unique<WebHttpClient>();
}

}  // namespace platform::net
