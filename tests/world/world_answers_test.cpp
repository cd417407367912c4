// The server's answers are hostile bytes: each row is one answer and what the
// game makes of it.
#include "world/world_answers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "world/world_server.h"

namespace {

struct TicketRow {
  const char* body;
  bool read;
};

TEST(WorldAnswers, TicketsAreReadOnlyWhenWhole) {
  const TicketRow rows[] = {
      {R"({"ticket":"0123456789abcdef0123456789abcdef","seed":4294967295,"level":2,"expiresInS":86400})",
       true},
      {R"({"ticket":"0123456789abcdef0123456789abcdef","seed":0,"level":0,"expiresInS":1,"x":[]})",
       true},
      {R"({"ticket":"0123456789ABCDEF0123456789abcdef","seed":1,"level":0,"expiresInS":1})", false},
      {R"({"ticket":"0123456789abcdef","seed":1,"level":0,"expiresInS":1})", false},
      {R"({"ticket":"0123456789abcdef0123456789abcdef","seed":4294967296,"level":0,"expiresInS":1})",
       false},
      {R"({"ticket":"0123456789abcdef0123456789abcdef","seed":-1,"level":0,"expiresInS":1})",
       false},
      {R"({"ticket":"0123456789abcdef0123456789abcdef","seed":1.5,"level":0,"expiresInS":1})",
       false},
      {R"({"ticket":"0123456789abcdef0123456789abcdef","seed":1,"level":3,"expiresInS":1})", false},
      {R"({"ticket":"0123456789abcdef0123456789abcdef","seed":1,"level":0})", false},
      {R"({"ticket":"0123456789abcdef0123456789abcdef","seed":"1","level":0,"expiresInS":1})",
       false},
      {R"([1,2,3])", false},
      {R"({"ticket":)", false},
      {"", false},
  };
  for (const TicketRow& row : rows) {
    EXPECT_EQ(ReadTicketAnswer(row.body).has_value(), row.read) << row.body;
  }
  const auto ticket = ReadTicketAnswer(rows[0].body);
  ASSERT_TRUE(ticket);
  EXPECT_EQ(ticket->seed, 4294967295u);
  EXPECT_EQ(ticket->level, 2);
  EXPECT_EQ(ticket->expiresInS, 86400);
}

TEST(WorldAnswers, TableEntriesAreDrawnInTheTablesCodePageAndColumns) {
  const auto table = ReadTableAnswer(
      R"({"level":1,"entries":[
        {"rank":1,"name":"\u592a\u90ce","score":2160,"removed":30,"date":"2026-12-09T02:30:00Z","entry":11},
        {"rank":2,"name":"a\u0007b","score":-5,"removed":0,"date":"bad\u0001","entry":12},
        {"rank":3,"name":"ABCDEFGHIJKLMNOPQRSTUVWXYZ","score":1,"removed":1,"date":"","entry":13},
        {"rank":4,"name":"\u00e9\u00e9","score":1,"removed":1,"date":"","entry":14}]})",
      3);
  ASSERT_TRUE(table);
  ASSERT_EQ(table->size(), 3u) << "no more rows than asked for";
  EXPECT_EQ((*table)[0].name, "\x91\xbe\x98\x59");  // 太郎 in Shift-JIS
  EXPECT_EQ((*table)[0].date, "2026-12-09 02:30 UTC");
  EXPECT_EQ((*table)[0].entry, 11u);
  EXPECT_EQ((*table)[1].name, "a?b") << "no control character reaches the screen";
  EXPECT_EQ((*table)[1].date, "bad?");
  EXPECT_EQ((*table)[1].score, -5);
  EXPECT_EQ((*table)[2].name, "ABCDEFGHIJKLMNOP") << "16 bytes, as the local tables";
}

TEST(WorldAnswers, ATableWithOneBadEntryIsNoTable) {
  const char* bodies[] = {
      R"({"entries":[{"rank":1,"name":"A","score":1,"removed":1,"date":"x"}]})",
      R"({"entries":[{"rank":1,"name":"A","score":2147483648,"removed":1,"date":"x","entry":1}]})",
      R"({"entries":[{"rank":0,"name":"A","score":1,"removed":1,"date":"x","entry":1}]})",
      R"({"entries":{}})",
      R"({"level":1})",
  };
  for (const char* body : bodies) EXPECT_FALSE(ReadTableAnswer(body, 10)) << body;
  EXPECT_TRUE(ReadTableAnswer(R"({"level":1,"entries":[]})", 10));
}

struct VerdictRow {
  const char* what;
  int status;
  const char* body;
  bool verdict;  // false: no verdict, the result stays kept
  bool accepted;
  int rank;
};

TEST(WorldAnswers, OnlyTheServersOwnVerdictSettlesAResult) {
  const char* refused = R"({"status":"refused","code":"too-slow","reason":"Slow."})";
  const VerdictRow rows[] = {
      {"accepted", 201, R"({"status":"accepted","entry":5,"rank":3,"score":10,"removed":1})", true,
       true, 3},
      {"accepted, place unknown", 201, R"({"status":"accepted","entry":5,"rank":0})", true, true,
       0},
      {"refused", 422, refused, true, false, 0},
      {"ticket used", 409, R"({"status":"refused","code":"ticket-used","reason":"Used."})", true,
       false, 0},
      {"acceptance cut short", 201, R"({"status":"accepted","ent)", false, false, 0},
      {"acceptance without a place", 201, R"({"status":"accepted"})", false, false, 0},
      {"a negative place", 201, R"({"status":"accepted","rank":-1})", false, false, 0},
      {"a portal's redirect", 302, refused, false, false, 0},
      {"a proxy's page", 407, "<html>log in</html>", false, false, 0},
      {"a timeout", 408, refused, false, false, 0},
      {"a 400 without a code", 400, "<html>", false, false, 0},
      {"the request, not the result", 400,
       R"({"status":"refused","code":"bad-request","reason":"Not HTTP."})", false, false, 0},
      {"nothing at the address", 404,
       R"({"status":"refused","code":"not-found","reason":"Nothing."})", false, false, 0},
      {"a refusal without status", 422, R"({"code":"too-slow","reason":"Slow."})", false, false, 0},
      {"an empty code", 422, R"({"status":"refused","code":"","reason":"Slow."})", false, false, 0},
      {"too many", 429, R"({"status":"refused","code":"rate-limited","reason":"Later."})", false,
       false, 0},
      {"store away", 503, R"({"status":"refused","code":"store-unavailable","reason":"Away."})",
       false, false, 0},
      {"no answer", 0, "", false, false, 0},
  };
  for (const VerdictRow& row : rows) {
    const auto verdict = ReadSubmissionAnswer(row.status, row.body);
    ASSERT_EQ(verdict.has_value(), row.verdict) << row.what;
    if (!verdict) continue;
    EXPECT_EQ(verdict->accepted, row.accepted) << row.what;
    EXPECT_EQ(verdict->rank, row.rank) << row.what;
  }
  const auto said = ReadSubmissionAnswer(
      409, R"({"status":"refused","code":"ticket-used","reason":"Used\u0000 twice \u00e9."})");
  ASSERT_TRUE(said);
  EXPECT_EQ(said->code, "ticket-used");
  EXPECT_EQ(said->reason, "Used? twice ??.") << "printable ASCII only";
}

TEST(WorldAnswers, DeeplyNestedAnswersAreRefusedUnread) {
  const std::string deep(1 << 20, '[');
  EXPECT_FALSE(ReadTableAnswer(deep, 10));
  EXPECT_FALSE(ReadSubmissionAnswer(422, deep));
  // Brackets inside a string are text, not nesting.
  EXPECT_TRUE(ReadSubmissionAnswer(
      422, R"({"status":"refused","code":"x","reason":"[[[[[[[[[[[[\"[[[[","n":[[[[[[1]]]]]]})"));
  EXPECT_FALSE(ReadSubmissionAnswer(
      422, R"({"status":"refused","code":"x","reason":"r","n":[[[[[[[[[1]]]]]]]]]})"));
}

TEST(WorldAnswers, SubmissionBodyEscapesTheName) {
  EXPECT_EQ(SubmissionBody("A \"B\"\\", "QUJD"), R"({"name":"A \"B\"\\","replay":"QUJD"})");
}

TEST(WorldServerAddress, OnlyPlainHttpAddressesAreTaken) {
  const struct {
    const char* given;
    const char* taken;
  } rows[] = {
      {"http://127.0.0.1:8770", "http://127.0.0.1:8770"},
      {"https://tables.example.org/", "https://tables.example.org"},
      {"https://tables.example.org/world//", "https://tables.example.org/world"},
      {"ftp://example.org", ""},
      {"example.org", ""},
      {"http://", ""},
      {"http:///", ""},
      {"http://a b", ""},
      {"http://a\nb", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(ServerUrlFrom(row.given), row.taken) << row.given;
  EXPECT_EQ(ServerUrlFrom("http://" + std::string(600, 'a')), "");
}

}  // namespace
