// The system's own client against a server on the loopback: what it hands
// back for the answers the world tables' server gives, for one too long to
// be the server's, and for a server that is not there.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "platform/base/loop_wake.h"
#include "platform/net/http.h"

namespace {

using platform::net::HttpRequest;
using platform::net::HttpResponse;
using platform::net::kLongestBody;
using platform::net::RequestId;

// A port that takes no connection: bound, never listening.
class RefusingPort {
 public:
  RefusingPort() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~RefusingPort() { ::close(fd_); }
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  [[nodiscard]] int Port() const { return port_; }

 private:
  int fd_;
  int port_ = 0;
};

class SystemHttpClient : public testing::Test {
 protected:
  SystemHttpClient() {
    server_.Get("/table", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("{\"entries\":[]}", "application/json");
    });
    server_.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("no such table", "text/plain");
    });
    server_.Get("/longest", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(kLongestBody, 'x'), "text/plain");
    });
    server_.Get("/too-long", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(kLongestBody + 1, 'x'), "text/plain");
    });
    server_.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
      res.status = 201;
      res.set_content(req.get_header_value("X-Ticket") + ":" + req.body, "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    serving_ = std::thread([this] { server_.listen_after_bind(); });
  }
  // The client first: the connections it keeps open would hold the server's
  // threads until they time out.
  ~SystemHttpClient() override {
    client_.reset();
    server_.stop();
    serving_.join();
  }

  [[nodiscard]] HttpRequest Get(const std::string& path, int port = 0) const {
    HttpRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(port == 0 ? port_ : port) + path;
    return request;
  }

  // Every answer, by request, once all have come (the client answers on a
  // thread of its own).
  std::map<RequestId, HttpResponse> AnswersTo(const std::vector<HttpRequest>& requests) {
    for (std::size_t i = 0; i < requests.size(); ++i) client_->Start(i, requests[i]);
    std::map<RequestId, HttpResponse> answers;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (answers.size() < requests.size() && std::chrono::steady_clock::now() < deadline) {
      for (auto& [id, response] : client_->TakeFinished()) answers.emplace(id, std::move(response));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return answers;
  }

  httplib::Server server_;
  int port_ = 0;
  std::thread serving_;
  std::unique_ptr<platform::net::HttpClient> client_ = platform::net::MakeSystemHttpClient();
};

TEST_F(SystemHttpClient, HandsBackWhatTheServerAnsweredOrWhyThereIsNoAnswer) {
  const RefusingPort refusing;
  HttpRequest echo = Get("/echo");
  echo.method = "POST";
  echo.headers = {{"X-Ticket", "t1"}};
  echo.body = "name=P";
  struct Case {
    const char* name;
    HttpRequest request;
    int status;
    std::string body;
    bool failed;
  } const cases[] = {
      {"an answer", Get("/table"), 200, "{\"entries\":[]}", false},
      {"a refusal keeps its status and text", Get("/missing"), 404, "no such table", false},
      {"the longest answer", Get("/longest"), 200, std::string(kLongestBody, 'x'), false},
      {"headers and body reach the server", echo, 201, "t1:name=P", false},
      {"one byte too long is no answer", Get("/too-long"), 0, "", true},
      {"no server", Get("/table", refusing.Port()), 0, "", true},
  };
  std::vector<HttpRequest> requests;
  for (const Case& c : cases) requests.push_back(c.request);
  const std::map<RequestId, HttpResponse> answers = AnswersTo(requests);
  ASSERT_EQ(answers.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const HttpResponse& answer = answers.at(i);
    EXPECT_EQ(answer.status, c.status) << c.name;
    EXPECT_TRUE(answer.body == c.body) << c.name << ": " << answer.body.size() << " bytes";
    EXPECT_EQ(answer.error.empty(), !c.failed) << c.name << ": " << answer.error;
  }
  EXPECT_EQ(answers.at(4).error, platform::net::kTooLong);
}

// The game's loop sleeps on a quiet screen for half a second at a time: an
// answer must wake it, and be there to take when it does.
TEST_F(SystemHttpClient, AnAnswerWakesTheGamesLoopAndIsThereWhenItLooks) {
  platform::TakeLoopWake();
  client_->Start(7, Get("/table"));
  pollfd wake{platform::LoopWakeDescriptor(), POLLIN, 0};
  ASSERT_EQ(::poll(&wake, 1, 30'000), 1) << "no wake within 30 s";
  platform::TakeLoopWake();
  const auto finished = client_->TakeFinished();
  ASSERT_EQ(finished.size(), 1U);
  EXPECT_EQ(finished[0].first, 7U);
  EXPECT_EQ(finished[0].second.status, 200);
}

}  // namespace
