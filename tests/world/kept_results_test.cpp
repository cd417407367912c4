// Results of ranked games kept in the data folder until the server's own
// verdict: what each answer does to a result and to the screen's outcome,
// the verdicts of results sent again at a start, and the kept file's lines
// that cannot be read or sent, kept aside rather than dropped.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/net/beside.h"
#include "platform/net/network.h"
#include "tests/support/scripted_network.h"
#include "world/pending_submissions.h"
#include "world/ranked_games.h"
#include "world/ranked_games_testing.h"
#include "world/world_server.h"

namespace fs = std::filesystem;
using platform::ScriptedNetwork;
using platform::net::HttpRequest;
using platform::net::HttpResponse;
using Standing = RankedOutcome::Standing;

namespace {

constexpr char kServer[] = "http://world.test:8770";
constexpr std::int64_t kLater = 4102444800;  // 2100

std::string Text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Ticket(int n) {
  char id[33];
  std::snprintf(id, sizeof id, "%032x", n);
  return id;
}

class KeptResults : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("morvex2-kept-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    before_ = fs::current_path();
    fs::current_path(folder_);
    ResetRankedGames();
    platform::net::InstallHttpClient(&network_);
    UseWorldServer(kServer);
  }
  void TearDown() override {
    platform::net::StopWorkerThread();
    UseWorldServer({});
    platform::net::InstallHttpClient(nullptr);
    ResetRankedGames();
    fs::current_path(before_);
    fs::remove_all(folder_);
  }

  // Hands out answers and work until nothing more comes.
  void Settle() {
    for (int i = 0; i < 50 && platform::net::DeliverAnswers(); ++i) {
    }
  }

  HttpResponse Answer(const HttpRequest& request) {
    const std::string line = ScriptedNetwork::Line(request);
    HttpResponse response;
    if (line == "POST /api/v1/tickets") {
      response.status = 201;
      response.body = "{\"ticket\":\"" + Ticket(++tickets_) +
                      "\",\"seed\":7,\"level\":" + request.body.substr(9, 1) +
                      ",\"expiresInS\":2592000}";
    } else if (line.ends_with("/start") || line.ends_with("/end")) {
      response.status = 204;
    } else if (line.ends_with("/replay")) {
      const std::string ticket = line.substr(line.find("tickets/") + 8, 32);
      const auto scripted = results_.find(ticket);
      response = scripted != results_.end() ? scripted->second : result_;
    }
    return response;
  }

  void PlayRankedGame() {
    PrefetchTickets();
    Settle();
    ASSERT_TRUE(BeginRankedGame(0));
    EndRankedGame(true);
    const std::uint8_t replay[] = {'M', 'V', 'R'};
    SubmitRankedGame("A", replay);
    Settle();
  }

  std::vector<PendingSubmission> Kept() {
    return ParsePendingSubmissions(Text(kPendingSubmissionsName));
  }

  fs::path folder_;
  fs::path before_;
  int tickets_ = 0;
  HttpResponse result_;
  std::map<std::string, HttpResponse> results_;  // by ticket; others get result_
  ScriptedNetwork network_{[this](const HttpRequest& request) { return Answer(request); }};
};

struct AnswerRow {
  const char* what;
  int status;
  const char* body;
  Standing standing;
  int rank;
  bool kept;
};

TEST_F(KeptResults, AResultLeavesTheFileOnlyOnTheServersVerdict) {
  const AnswerRow rows[] = {
      {"accepted", 201, R"({"status":"accepted","rank":3})", Standing::kRanked, 3, false},
      {"accepted, place unknown", 201, R"({"status":"accepted","rank":0})", Standing::kRanked, 0,
       false},
      {"refused", 422, R"({"status":"refused","code":"too-slow","reason":"Too slow."})",
       Standing::kRefused, 0, false},
      // A second game on this folder sent the kept copy first, or an answer
      // that entered it was lost: either way it is in.
      {"used by a copy from the file", 409,
       R"({"status":"refused","code":"ticket-used","reason":"Used."})", Standing::kRanked, 0,
       false},
      {"a portal's redirect", 302, "", Standing::kKept, 0, true},
      {"a proxy's page", 407, "<html>", Standing::kKept, 0, true},
      {"a timeout", 408, "", Standing::kKept, 0, true},
      {"a 400 without a code", 400, "<html>", Standing::kKept, 0, true},
      {"the request refused, not the result", 400,
       R"({"status":"refused","code":"bad-request","reason":"Not HTTP."})", Standing::kKept, 0,
       true},
      {"store away", 503, R"({"status":"refused","code":"store-unavailable","reason":"x"})",
       Standing::kKept, 0, true},
      {"an acceptance cut short", 201, R"({"status":"acc)", Standing::kKept, 0, true},
      {"no answer", 0, "", Standing::kKept, 0, true},
  };
  for (const AnswerRow& row : rows) {
    SCOPED_TRACE(row.what);
    ResetRankedGames();
    fs::remove(kPendingSubmissionsName);
    result_ = {row.status, row.body, row.status == 0 ? "Connection refused" : ""};
    testing::internal::CaptureStderr();
    PlayRankedGame();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(LastRankedOutcome().standing, row.standing);
    EXPECT_EQ(LastRankedOutcome().rank, row.rank);
    EXPECT_EQ(Kept().size(), row.kept ? 1u : 0u);
    if (row.kept) {
      EXPECT_NE(said.find("is kept and sent again at the next start"), std::string::npos) << said;
    }
  }
}

TEST_F(KeptResults, AResultThatCouldNotBeKeptIsNotSaidToBeKept) {
  fs::create_directory(kPendingSubmissionsName);  // nothing can be written there
  result_ = {503, "", ""};
  testing::internal::CaptureStderr();
  PlayRankedGame();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(LastRankedOutcome().standing, Standing::kLost);
  EXPECT_NE(said.find("was not sent, and could not be kept"), std::string::npos) << said;
  EXPECT_TRUE(fs::is_directory(kPendingSubmissionsName)) << "left as it was";
}

TEST_F(KeptResults, VerdictsOfResultsSentAgainAreSaidAndKeptForTheScreen) {
  std::ofstream(kPendingSubmissionsName)
      << FormatPendingSubmissions({
             {Ticket(101), kLater, kServer, "{}"},
             {Ticket(102), kLater, kServer, "{}"},
             {Ticket(103), kLater, kServer, "{}"},
             {Ticket(104), kLater, kServer, "{}"},
             {Ticket(105), 1000, kServer, "{}"},                 // expired
             {Ticket(106), kLater, "file:///etc/passwd", "{}"},  // not to a server
             {"../../admin", kLater, kServer, "{}"},             // not a ticket
         })
      << "garbage that is no line of the game's\n";
  results_[Ticket(101)] = {201, R"({"status":"accepted","rank":2})", ""};
  results_[Ticket(102)] = {422, R"({"status":"refused","code":"too-slow","reason":"Slow."})", ""};
  results_[Ticket(103)] = {503, "", ""};
  results_[Ticket(104)] = {409, R"({"status":"refused","code":"ticket-used","reason":"U."})", ""};
  testing::internal::CaptureStderr();
  ResendPendingResults();
  Settle();
  const std::string said = testing::internal::GetCapturedStderr();

  std::vector<std::string> sent;
  for (const HttpRequest& request : network_.Requests()) {
    sent.push_back(ScriptedNetwork::Line(request));
  }
  ASSERT_EQ(sent.size(), 4u) << testing::PrintToString(sent);
  const std::vector<RankedOutcome>& earlier = EarlierRankedOutcomes();
  ASSERT_EQ(earlier.size(), 4u);
  EXPECT_EQ(earlier[0].standing, Standing::kRanked);
  EXPECT_EQ(earlier[0].rank, 2);
  EXPECT_EQ(earlier[1].standing, Standing::kRefused);
  EXPECT_EQ(earlier[1].reason, "Slow.");
  EXPECT_EQ(earlier[2].standing, Standing::kKept);
  EXPECT_EQ(earlier[3].standing, Standing::kRanked) << "used: a copy of it is in";
  for (const char* line :
       {"a result kept from an earlier game was entered in the world table at rank 2",
        "a result kept from an earlier game was refused by the world server: Slow.",
        "a result kept from an earlier game is kept and sent again at the next start",
        "1 kept world results were past their tickets' time and are dropped",
        "3 lines of world-pending.txt cannot be read or sent"}) {
    EXPECT_NE(said.find(line), std::string::npos) << line << "\n" << said;
  }
  const std::vector<PendingSubmission> left = Kept();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].ticket, Ticket(103));

  // The lines that cannot be read or sent, as they stood, under a name of their own.
  std::vector<fs::path> aside;
  for (const auto& entry : fs::directory_iterator(".")) {
    if (entry.path().filename().string().starts_with("world-pending-unread-")) {
      aside.push_back(entry.path());
    }
  }
  ASSERT_EQ(aside.size(), 1u);
  const std::string asideText = Text(aside[0]);
  EXPECT_NE(said.find(aside[0].filename().string()), std::string::npos) << said;
  EXPECT_NE(asideText.find("file:///etc/passwd"), std::string::npos) << asideText;
  EXPECT_NE(asideText.find("../../admin"), std::string::npos) << asideText;
  EXPECT_NE(asideText.find("garbage that is no line"), std::string::npos) << asideText;
}

TEST_F(KeptResults, AFileOverItsLimitIsKeptAsideNeverWrittenOver) {
  const std::string older = FormatPendingSubmissions({{Ticket(1), kLater, kServer, "{}"}});
  const std::string large = older + std::string(kLongestPendingFile, 'x') + "\n";
  std::ofstream(kPendingSubmissionsName, std::ios::binary) << large;
  result_ = {503, "", ""};
  testing::internal::CaptureStderr();
  PlayRankedGame();
  const std::string said = testing::internal::GetCapturedStderr();
  std::vector<fs::path> aside;
  for (const auto& entry : fs::directory_iterator(".")) {
    if (entry.path().filename().string().starts_with("world-pending-too-large-")) {
      aside.push_back(entry.path());
    }
  }
  ASSERT_EQ(aside.size(), 1u) << said;
  EXPECT_EQ(Text(aside[0]), large) << "every byte of the older file";
  EXPECT_NE(said.find(aside[0].filename().string()), std::string::npos) << said;
  ASSERT_EQ(Kept().size(), 1u) << "the new result, kept in a file of its own";
  EXPECT_EQ(Kept()[0].ticket, Ticket(1)) << "the game's first ticket";
}

TEST_F(KeptResults, ManyVerdictsComingTogetherAllLeaveTheFile) {
  std::vector<PendingSubmission> many;
  for (int i = 1; i <= 300; ++i) many.push_back({Ticket(1000 + i), kLater, kServer, "{}"});
  std::ofstream(kPendingSubmissionsName) << FormatPendingSubmissions(many);
  result_ = {201, R"({"status":"accepted","rank":1})", ""};
  testing::internal::CaptureStderr();
  ResendPendingResults();
  Settle();
  (void)testing::internal::GetCapturedStderr();
  EXPECT_EQ(EarlierRankedOutcomes().size(), 300u);
  EXPECT_FALSE(fs::exists(kPendingSubmissionsName));
}

}  // namespace
