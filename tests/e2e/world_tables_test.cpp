// Ranked games against a scripted world server: tickets asked for on the
// title screen, the ticket's seed in the game and its replay, the start, end
// and result sent, results kept when the server is away and sent again, and
// the high-score screen's world view with an entry's replay shown.
#include "world/world_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/replay_recorder.h"
#include "app/world_games.h"
#include "core/replay_file.h"
#include "formats/base64.h"
#include "platform/net/network.h"
#include "tests/e2e/game_run.h"
#include "tests/support/headless/png_files.h"
#include "tests/support/scripted_network.h"
#include "world/pending_submissions.h"
#include "world/ranked_games.h"
#include "world/world_server.h"

namespace fs = std::filesystem;
using platform::ScriptedNetwork;
using platform::net::HttpRequest;
using platform::net::HttpResponse;

namespace {

constexpr char kServer[] = "http://world.test:8770";

constexpr char kThreeEntries[] =
    "{\"level\":0,\"entries\":["
    "{\"rank\":1,\"name\":\"ALICE\",\"score\":2160,\"removed\":30,"
    "\"date\":\"2026-12-09T02:30:00Z\",\"entry\":11},"
    "{\"rank\":2,\"name\":\"\\u592a\\u90ce\",\"score\":720,\"removed\":12,"
    "\"date\":\"2026-12-08T23:05:41Z\",\"entry\":12},"
    "{\"rank\":3,\"name\":\"BOB\",\"score\":10,\"removed\":1,"
    "\"date\":\"2026-12-07T10:00:00Z\",\"entry\":13}]}";

// A server that gives numbered tickets with seeds of its own, takes every
// result at rank 1, and keeps a table of three entries.
struct FakeWorld {
  std::uint32_t seedBase = 424242;
  int tickets = 0;
  bool away = false;                           // no answer at all
  int resultStatus = 201;                      // what a result is answered with
  std::map<std::string, std::uint32_t> seeds;  // ticket -> seed
  std::vector<std::string> results;            // the bodies of results sent
  std::string entryReplay;                     // GET /entries/N/replay
  std::string table = kThreeEntries;           // GET /tables/N
  std::vector<std::string> progress;           // the bodies of progress stamps taken
  std::size_t awayAfterProgress = 0;           // goes away once it took this many (0: never)
  int endsTried = 0;

  HttpResponse Answer(const HttpRequest& request) {
    HttpResponse response;
    if (ScriptedNetwork::Line(request).ends_with("/end")) ++endsTried;
    if (away) {
      response.error = "Connection refused";
      return response;
    }
    const std::string line = ScriptedNetwork::Line(request);
    if (line == "POST /api/v1/tickets") {
      const int level = request.body.at(9) - '0';
      char id[33];
      std::snprintf(id, sizeof id, "%032x", ++tickets);
      const std::uint32_t seed = seedBase + static_cast<std::uint32_t>(tickets);
      seeds[id] = seed;
      response.status = 201;
      response.body = std::string("{\"ticket\":\"") + id + "\",\"seed\":" + std::to_string(seed) +
                      ",\"level\":" + std::to_string(level) + ",\"expiresInS\":2592000}";
    } else if (line.ends_with("/start") || line.ends_with("/end")) {
      response.status = 204;
    } else if (line.ends_with("/progress")) {
      progress.push_back(request.body);
      away = progress.size() == awayAfterProgress;
      response.status = 204;
    } else if (line.ends_with("/replay") && request.method == "POST") {
      results.push_back(request.body);
      response.status = resultStatus;
      response.body =
          resultStatus == 201   ? "{\"status\":\"accepted\",\"entry\":7,\"rank\":1,\"score\":0,"
                                  "\"removed\":0,\"level\":0}"
          : resultStatus == 409 ? "{\"status\":\"refused\",\"code\":\"ticket-used\","
                                  "\"reason\":\"The ticket has already been redeemed.\"}"
                                : "{\"status\":\"refused\",\"code\":\"store-unavailable\","
                                  "\"reason\":\"The store is away.\"}";
    } else if (line.starts_with("GET /api/v1/tables/")) {
      response.status = 200;
      response.body = table;
    } else if (line.starts_with("GET /api/v1/entries/")) {
      response.status = 200;
      response.body = entryReplay;
    } else {
      response.status = 404;
    }
    return response;
  }
};

std::string PlayAdvancedToGameOver() {
  return "wait 100\nkey DOWN\nwait 50\nkey RETURN\nwait 100\nkey RETURN\n" + DropUntilOver(150);
}

std::vector<std::string> Lines(const ScriptedNetwork& network) {
  std::vector<std::string> lines;
  for (const HttpRequest& request : network.Requests()) {
    lines.push_back(ScriptedNetwork::Line(request));
  }
  return lines;
}

class WorldRun : public GameRunTest {
 protected:
  void SetUp() override {
    GameRunTest::SetUp();
    platform::net::InstallHttpClient(&network_);
    UseWorldServer(kServer);
    SetReplayRecording(true);
    SetReplayWatcher(&WatchWorldReplay);
  }
  void TearDown() override {
    SetReplayWatcher(nullptr);
    SetReplayRecording(false);
    UseWorldServer({});
    platform::net::InstallHttpClient(nullptr);
    GameRunTest::TearDown();
  }
  // What the program does at start-up in its data folder, before WinMain.
  void ResendInFolder() {
    const fs::path before = fs::current_path();
    fs::current_path(folder_);
    ResendPendingResults();
    // The file is read beside the game; here, as the first answers are handed out.
    platform::net::DeliverAnswers();
    fs::current_path(before);
  }

  FakeWorld world_;
  ScriptedNetwork network_{[this](const HttpRequest& request) { return world_.Answer(request); }};
};

TEST_F(WorldRun, ARankedGameTakesItsTicketsSeedAndSendsStartEndAndItsReplay) {
  const GameRun run = RunGame(
      folder_, PlayAdvancedToGameOver() + "wait 200\n" + Capture("ranked.png") + "key ESC\n");
  ASSERT_EQ(run.exitCode, 0);
  const std::vector<std::string> lines = Lines(network_);
  ASSERT_GE(lines.size(), 7u);
  // Tickets for the three levels as the title screen starts, before any key.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(lines[i], "POST /api/v1/tickets");
  const std::string ticket = "00000000000000000000000000000001";  // level 0's, the first asked
  EXPECT_EQ(lines[3], "POST /api/v1/tickets/" + ticket + "/start");
  EXPECT_EQ(lines[4], "POST /api/v1/tickets") << "the next game's ticket, asked for at once";
  EXPECT_EQ(lines[5], "POST /api/v1/tickets/" + ticket + "/end");
  EXPECT_EQ(lines[6], "POST /api/v1/tickets/" + ticket + "/replay");

  Replay kept;
  std::string error;
  ASSERT_TRUE(ReadReplayFile((folder_ / kLastReplayName).string(), &kept, &error)) << error;
  EXPECT_EQ(kept.seed, world_.seeds.at(ticket)) << "the game is played from the ticket's seed";
  ASSERT_EQ(world_.results.size(), 1u);
  const std::string bytes = FileText(folder_ / kLastReplayName);
  const std::string replay64 = formats::EncodeBase64(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  EXPECT_EQ(world_.results[0], "{\"name\":\"PLAYER\",\"replay\":\"" + replay64 + "\"}");
  EXPECT_FALSE(fs::exists(folder_ / kPendingSubmissionsName)) << "taken: nothing is kept";
  EXPECT_EQ(FileText(folder_ / "zyou.pod").size(), 590u) << "the local table is written as ever";
  ExpectGoldenFrame(Shot("ranked.png"), "world_ranked.png");
}

TEST_F(WorldRun, WithoutAnAnswerTheGameStartsAtOnceUnrankedAndSaysSoOnce) {
  network_.Hold(true);  // nothing ever answers
  testing::internal::CaptureStderr();
  const GameRun run =
      RunGame(folder_, PlayAdvancedToGameOver() + "wait 200\n" + Capture("unranked.png") +
                           "key RETURN\nwait 300\n" + StartGame("") +
                           "wait 500\nkey ESC\nwait 100\nkey ESC\n");
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_EQ(run.exitCode, 0);
  const std::string line = std::string("morvex2: this game is not ranked: the world server ") +
                           kServer + " gave no ticket in time\n";
  EXPECT_EQ(said, line) << "one line for two unranked games";
  for (const std::string& request : Lines(network_)) {
    EXPECT_EQ(request, "POST /api/v1/tickets") << "only tickets are asked for";
  }
  ExpectGoldenFrame(Shot("unranked.png"), "world_not_ranked.png");
}

// Another game on this data folder sent this game's kept result first: the
// server answers that the ticket was used, and the game's own result is in.
TEST_F(WorldRun, AResultWhoseKeptCopyWasEnteredFirstShowsAsEntered) {
  world_.resultStatus = 409;
  testing::internal::CaptureStderr();
  const GameRun run = RunGame(
      folder_, PlayAdvancedToGameOver() + "wait 200\n" + Capture("entered.png") + "key ESC\n",
      1796488723, {}, platform::Language::kEnglish);
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(said.find("refused"), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(folder_ / kPendingSubmissionsName));
  // The Linux game's shared-folder run holds its screen's band to this one.
  ExpectGoldenFrame(Shot("entered.png"), "world_entered_english.png");
}

TEST_F(WorldRun, AResultTheServerCannotTakeIsKeptAndSentAgainAtTheNextStart) {
  world_.resultStatus = 503;
  GameRun run = RunGame(folder_, PlayAdvancedToGameOver() + "wait 200\nkey ESC\n");
  ASSERT_EQ(run.exitCode, 0);
  const std::vector<PendingSubmission> kept =
      ParsePendingSubmissions(FileText(folder_ / kPendingSubmissionsName));
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].ticket, "00000000000000000000000000000001");
  EXPECT_EQ(kept[0].serverUrl, kServer);
  EXPECT_EQ(kept[0].body, world_.results.at(0));

  // The next start: the server is away, then back.
  world_.away = true;
  ResendInFolder();
  run = RunGame(folder_, "wait 100\nkey ESC\n");
  EXPECT_EQ(ParsePendingSubmissions(FileText(folder_ / kPendingSubmissionsName)), kept);
  world_.away = false;
  world_.resultStatus = 201;
  ResendInFolder();
  run = RunGame(folder_, "wait 100\nkey ESC\n");
  ASSERT_EQ(world_.results.size(), 2u);
  EXPECT_EQ(world_.results[1], world_.results[0]) << "the same result, sent again";
  EXPECT_FALSE(fs::exists(folder_ / kPendingSubmissionsName));
}

// The server goes away near the game's end, after the game told its progress: the end is told
// again while it could still count, the result is kept, and at the next start it is sent and
// taken (the server vouches for it by its last progress).
TEST_F(WorldRun, AResultWhoseEndWasLostIsKeptAndSentAgainWithItsProgress) {
  world_.awayAfterProgress = 1;
  // Paused for 8 s before it runs: a game of some 15 s.
  GameRun run =
      RunGame(folder_, "wait 100\nkey DOWN\nwait 50\nkey RETURN\nwait 8000\nkey RETURN\n" +
                           DropUntilOver(150) + "wait 3000\nkey ESC\n");
  ASSERT_EQ(run.exitCode, 0);
  Replay game;
  std::string error;
  ASSERT_TRUE(ReadReplayFile((folder_ / kLastReplayName).string(), &game, &error)) << error;
  ASSERT_GT(game.messages.back().timeMs, 10'000u) << "a game long enough to tell its progress";
  ASSERT_EQ(world_.progress.size(), 1u);
  EXPECT_TRUE(world_.progress[0].starts_with("{\"ms\":100")) << world_.progress[0];
  EXPECT_GE(world_.endsTried, 2) << "the end is told again after a failure";
  EXPECT_LE(world_.endsTried, 4) << "and only a few times";
  ASSERT_EQ(ParsePendingSubmissions(FileText(folder_ / kPendingSubmissionsName)).size(), 1u);

  world_.away = false;
  ResendInFolder();
  run = RunGame(folder_, "wait 100\nkey ESC\n");
  ASSERT_EQ(world_.results.size(), 1u);
  EXPECT_FALSE(fs::exists(folder_ / kPendingSubmissionsName));
}

TEST_F(WorldRun, AnExpiredResultIsDroppedAndAnEditedOneKeptAsideNotSent) {
  const std::int64_t later = 4102444800;  // 2100
  std::ofstream(folder_ / kPendingSubmissionsName) << FormatPendingSubmissions({
      {"0123456789abcdef0123456789abcdef", 1000, kServer, "{}"},
      {"../../admin", later, kServer, "{}"},
      {"0123456789abcdef0123456789abcdef", later, "file:///etc/passwd", "{}"},
  });
  testing::internal::CaptureStderr();
  ResendInFolder();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(network_.Requests().empty()) << testing::PrintToString(Lines(network_));
  EXPECT_FALSE(fs::exists(folder_ / kPendingSubmissionsName));
  EXPECT_NE(said.find("2 lines of world-pending.txt cannot be read or sent"), std::string::npos)
      << said;
}

// A start that sends a kept result again shows the server's verdict on the
// high-score screen's band, and says it.
TEST_F(WorldRun, TheVerdictOfAResultSentAgainIsShownOnTheHighScoreScreen) {
  const std::int64_t later = 4102444800;  // 2100
  std::ofstream(folder_ / kPendingSubmissionsName) << FormatPendingSubmissions({
      {"0123456789abcdef0123456789abcdef", later, kServer, R"({"name":"A","replay":"TVZS"})"},
  });
  bool resent = false;
  testing::internal::CaptureStderr();
  // As the program does before its first screen, in the data folder.
  const GameRun run =
      RunGame(folder_, "wait 300\nkey F1\nwait 200\n" + Capture("earlier.png") + "key ESC\n",
              1796488723, [&resent](platform::HeadlessHost&) {
                if (!resent) ResendPendingResults();
                resent = true;
              });
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(said.find("morvex2: a result kept from an earlier game was entered in the world table "
                      "at rank 1\n"),
            std::string::npos)
      << said;
  EXPECT_FALSE(fs::exists(folder_ / kPendingSubmissionsName));
  ExpectGoldenFrame(Shot("earlier.png"), "world_earlier_ranked.png");
}

TEST_F(WorldRun, TabShowsTheWorldTableWhereAnEntrysReplayIsWatchedAndLeadsBack) {
  world_.entryReplay = FileText(fs::path(MORVEX2_SOURCE_DIR) / "tests/replays/advanced_chain.mvr");
  // The middle table with one entry, as the title screen's F1 test has it.
  std::ofstream(folder_ / "tyuu.pod", std::ios::binary) << OneRowTable("MIDDLE", "777");
  testing::internal::CaptureStdout();
  const GameRun run = RunGame(
      folder_, "wait 300\nkey F1\nwait 200\n" + Capture("local.png") + "key TAB\nwait 200\n" +
                   Capture("world.png") + "key DOWN\nwait 100\n" + Capture("chosen.png") +
                   "key UP\nwait 50\nkey RETURN\nwait 60000\n" + Capture("back.png") +
                   "key TAB\nwait 100\n" + Capture("local_again.png") + "key ESC\n");
  const std::string said = testing::internal::GetCapturedStdout();
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(said.find("replay reproduced: level 0, score 2160"), std::string::npos) << said;
  const std::vector<std::string> lines = Lines(network_);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "GET /api/v1/tables/1"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "GET /api/v1/entries/11/replay"), lines.end());
  // With a server chosen, this machine's table is drawn as it always was.
  ExpectGoldenFrame(Shot("local.png"), "ranking_middle_from_title.png");
  ExpectGoldenFrame(Shot("world.png"), "world_table.png");
  ExpectGoldenFrame(Shot("chosen.png"), "world_table_second_chosen.png");
  ExpectGoldenFrame(Shot("back.png"), "world_table.png");
  ExpectGoldenFrame(Shot("local_again.png"), "ranking_middle_from_title.png");
  EXPECT_EQ(FileText(folder_ / "tyuu.pod"), OneRowTable("MIDDLE", "777"))
      << "a watched game enters no table";
  EXPECT_FALSE(fs::exists(folder_ / kLastReplayName)) << "nor is it kept as the player's";
}

// A server that lies about its table: numbers no game can reach, names and
// dates far past their fields. Each row of the world's table is one case.
// Whatever it sends, every text stays inside its own cell of the picture's
// ruled table: no pixel of it on a rule or in the next column, nor off the
// right edge.
TEST_F(WorldRun, HostileNumbersInTheWorldTableStayInTheirColumns) {
  const struct {
    const char* what;
    std::string name;  // as the JSON holds it
    std::int64_t score;
    std::int64_t removed;
    std::string date;
  } rows[] = {
      {"the largest numbers", "MAXIMUM", 2147483647, 2147483647, "2026-12-09T02:30:00Z"},
      {"the smallest numbers", "MINIMUM", -2147483648LL, -2147483648LL, "2026-12-09T02:30:00Z"},
      {"one digit past the columns", "WIDE", 1000000000, 100000, "2026-12-09T02:30:00Z"},
      {"negative, one digit past", "NEGATIVE", -100000000, -10000, "2026-12-09T02:30:00Z"},
      {"a name of 256 wide letters", std::string(256, 'W'), 1, 1, "2026-12-09T02:30:00Z"},
      {"a name of full-width letters",
       [] {
         std::string name;
         for (int i = 0; i < 40; ++i) name += "\xef\xbc\xb7";  // U+FF37, full-width W
         return name;
       }(),
       1, 1, "2026-12-09T02:30:00Z"},
      // One half-width kana, then kanji: the cut at 16 bytes falls inside a kanji.
      {"a name cut inside a character",
       "\xef\xbd\xb1\xe6\xbc\xa2\xe6\xbc\xa2\xe6\xbc\xa2\xe6\xbc\xa2"
       "\xe6\xbc\xa2\xe6\xbc\xa2\xe6\xbc\xa2\xe6\xbc\xa2\xe6\xbc\xa2",
       1, 1, "2026-12-09T02:30:00Z"},
      {"a date of 64 wide letters", "DATE", 1, 1, std::string(64, 'W')},
      {"control bytes in the name and date", "\\u0007\\u001b[2J\\u007fBELL", 1, 1,
       "\\u0008\\u0008\\u0008\\u0008\\u0008\\u0008\\u0008\\u0008\\u0008\\u0008\\u0008\\u0008"},
      {"a plain row among them", "PLAIN", 720, 12, "2026-12-08T23:05:41Z"},
  };
  static_assert(std::size(rows) == kWorldTableRows, "one case a row of the table");
  std::string table = "{\"level\":1,\"entries\":[";
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    table += (i == 0 ? "" : ",") + std::string("{\"rank\":") + std::to_string(i + 1) +
             ",\"name\":\"" + rows[i].name + "\",\"score\":" + std::to_string(rows[i].score) +
             ",\"removed\":" + std::to_string(rows[i].removed) + ",\"date\":\"" + rows[i].date +
             "\",\"entry\":" + std::to_string(100 + i) + "}";
  }
  world_.table = table + "]}";
  // This machine's tables are empty: its view is the bare picture to compare with.
  const GameRun run =
      RunGame(folder_, "wait 300\nkey F1\nwait 200\n" + Capture("bare.png") +
                           "key TAB\nwait 200\n" + Capture("hostile.png") + "key ESC\n");
  ASSERT_EQ(run.exitCode, 0);
  const std::optional<formats::RgbImage> bare = platform::ReadPngFile(Shot("bare.png"));
  const std::optional<formats::RgbImage> hostile = platform::ReadPngFile(Shot("hostile.png"));
  ASSERT_TRUE(bare && hostile);
  ASSERT_EQ(bare->pixels.size(), hostile->pixels.size());

  // The picture's rules: the columns' left and right, each row's top.
  constexpr int kRules[] = {60, 193, 474, 571, 620};
  constexpr int kColumns = 4;
  constexpr int kFirstRowTop = 70;
  constexpr int kRowHeight = 40;
  constexpr int kBelowBand = 36;
  bool drawn[kWorldTableRows][kColumns] = {};
  std::vector<std::string> outside;
  for (int y = kBelowBand; y < hostile->height; ++y) {
    for (int x = 0; x < hostile->width; ++x) {
      const auto at = static_cast<std::size_t>(y * hostile->width + x) * 3;
      if (std::equal(&hostile->pixels[at], &hostile->pixels[at + 3], &bare->pixels[at])) continue;
      const int row = (y - kFirstRowTop) / kRowHeight;
      int column = 0;
      while (column < kColumns && x >= kRules[column + 1]) ++column;
      const bool inside = y > kFirstRowTop && (y - kFirstRowTop) % kRowHeight != 0 &&
                          row < static_cast<int>(kWorldTableRows) && column < kColumns &&
                          x > kRules[column];
      if (inside) {
        drawn[row][column] = true;
      } else if (outside.size() < 10) {
        outside.push_back(std::to_string(x) + "," + std::to_string(y));
      }
    }
  }
  EXPECT_TRUE(outside.empty()) << "pixels drawn outside their cells: "
                               << testing::PrintToString(outside);
  for (std::size_t row = 0; row < kWorldTableRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      EXPECT_TRUE(drawn[row][column]) << rows[row].what << ": column " << column << " drawn";
    }
  }
  // The numbers held at what their columns hold, the names and dates cut to theirs.
  ExpectGoldenFrame(Shot("hostile.png"), "world_table_hostile.png");
}

// An entry's replay that came but cannot be read: RETURN says so on the band
// and on standard error, and the world's table stays up for another choice.
TEST_F(WorldRun, AWorldReplayThatCannotBeReadIsSaidWhereTheTableIs) {
  const std::string game =
      FileText(fs::path(MORVEX2_SOURCE_DIR) / "tests/replays/advanced_chain.mvr");
  ASSERT_GT(game.size(), 64u);
  std::string flipped = game;
  flipped[game.size() / 2] = static_cast<char>(flipped[game.size() / 2] ^ 0x10);
  const struct {
    const char* what;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"bytes that are no replay", "<html>a captive portal's page</html>", "not a Morvex2 replay"},
      {"half a replay", game.substr(0, game.size() / 2), "checksum does not match"},
      {"a replay with one byte changed", flipped, "checksum does not match"},
  };
  for (const auto& c : cases) {
    world_.entryReplay = c.bytes;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const GameRun run =
        RunGame(folder_, "wait 300\nkey F1\nwait 200\nkey TAB\nwait 200\nkey RETURN\nwait 200\n" +
                             Capture("unreadable.png") + "key DOWN\nwait 100\n" +
                             Capture("still.png") + "key ESC\n");
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_EQ(run.exitCode, 0) << c.what;
    EXPECT_NE(said.find(std::string("morvex2: the world entry's replay cannot be shown: ")),
              std::string::npos)
        << c.what << ": " << said;
    EXPECT_NE(said.find(c.reason), std::string::npos) << c.what << ": " << said;
    EXPECT_EQ(printed.find("replay "), std::string::npos) << c.what << ": nothing was played";
    ExpectGoldenFrame(Shot("unreadable.png"), "world_replay_unreadable.png");
    // The band keeps saying it while the player chooses another row.
    ExpectGoldenFrame(Shot("still.png"), "world_replay_unreadable_second_chosen.png");
  }
}

}  // namespace
