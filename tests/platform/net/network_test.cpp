// The network seam: answers come only when handed out, each once, and a
// request without a client fails rather than waits for ever.
#include "platform/net/network.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/net/beside.h"
#include "tests/support/scripted_network.h"

namespace {

using platform::ScriptedNetwork;
using platform::net::HttpRequest;
using platform::net::HttpResponse;

class NetworkSeam : public testing::Test {
 protected:
  void TearDown() override { platform::net::InstallHttpClient(nullptr); }
};

TEST_F(NetworkSeam, AnswersWaitForDeliveryAndComeOnceEach) {
  ScriptedNetwork network([](const HttpRequest& request) {
    HttpResponse response;
    response.status = 200;
    response.body = request.url;
    return response;
  });
  platform::net::InstallHttpClient(&network);
  std::vector<std::string> answered;
  network.Hold(true);
  for (const char* url : {"http://a/1", "http://a/2"}) {
    HttpRequest request;
    request.url = url;
    platform::net::SendRequest(request, [&](const HttpResponse& r) { answered.push_back(r.body); });
  }
  EXPECT_FALSE(platform::net::AnswersWaiting());
  EXPECT_EQ(platform::net::RequestsInFlight(), 2u);
  network.Hold(false);
  EXPECT_TRUE(answered.empty()) << "nothing is called back before the delivery";
  EXPECT_TRUE(platform::net::AnswersWaiting());
  EXPECT_TRUE(platform::net::DeliverAnswers());
  EXPECT_EQ(answered, (std::vector<std::string>{"http://a/1", "http://a/2"}));
  EXPECT_FALSE(platform::net::DeliverAnswers());
  EXPECT_EQ(platform::net::RequestsInFlight(), 0u);
}

TEST_F(NetworkSeam, AnAnswerMaySendTheNextRequest) {
  ScriptedNetwork network([](const HttpRequest&) { return HttpResponse{204, "", ""}; });
  platform::net::InstallHttpClient(&network);
  int answers = 0;
  platform::net::SendRequest({}, [&](const HttpResponse&) {
    ++answers;
    platform::net::SendRequest({}, [&](const HttpResponse&) { ++answers; });
  });
  EXPECT_TRUE(platform::net::DeliverAnswers());
  EXPECT_EQ(answers, 1);
  EXPECT_TRUE(platform::net::DeliverAnswers());
  EXPECT_EQ(answers, 2);
}

TEST_F(NetworkSeam, WithoutAClientEveryRequestFails) {
  platform::net::InstallHttpClient(nullptr);
  HttpResponse got{200, "x", ""};
  platform::net::SendRequest({}, [&](const HttpResponse& response) { got = response; });
  EXPECT_TRUE(platform::net::DeliverAnswers());
  EXPECT_EQ(got.status, 0);
  EXPECT_FALSE(got.error.empty());
}

// Work given to the worker is done in order, away from the game's thread,
// and what comes of it is handed back only between two messages; stopping
// waits for all of it.
TEST_F(NetworkSeam, WorkBesideIsDoneInOrderAndHandedBackOnDelivery) {
  for (const bool thread : {false, true}) {
    SCOPED_TRACE(thread ? "a worker thread" : "no thread");
    if (thread) platform::net::StartWorkerThread();
    std::vector<int> done;  // written by the work only, in turn
    std::vector<int> handedBack;
    std::thread::id workedOn;
    for (int i = 0; i < 3; ++i) {
      platform::net::RunBeside(
          [&, i] {
            done.push_back(i);
            workedOn = std::this_thread::get_id();
          },
          [&, i] { handedBack.push_back(i); });
    }
    EXPECT_TRUE(handedBack.empty()) << "nothing is handed back outside a delivery";
    EXPECT_EQ(platform::net::BesideWorkInFlight(), 3u);
    if (thread) {
      // The delivery takes what has finished; the last piece may still run.
      while (platform::net::BesideWorkInFlight() != 0) (void)platform::net::DeliverAnswers();
      EXPECT_NE(workedOn, std::this_thread::get_id());
    } else {
      EXPECT_TRUE(done.empty()) << "without a thread, the work waits for a delivery";
      EXPECT_TRUE(platform::net::DeliverAnswers());
      EXPECT_EQ(workedOn, std::this_thread::get_id());
    }
    EXPECT_EQ(done, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(handedBack, (std::vector<int>{0, 1, 2}));
    // Work left at the end is done; what it would hand back is dropped.
    bool lastDone = false;
    bool lastHanded = false;
    platform::net::RunBeside([&] { lastDone = true; }, [&] { lastHanded = true; });
    platform::net::StopWorkerThread();
    EXPECT_TRUE(lastDone);
    EXPECT_FALSE(platform::net::DeliverAnswers());
    EXPECT_FALSE(lastHanded);
  }
}

}  // namespace
