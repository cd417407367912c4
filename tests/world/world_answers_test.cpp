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

TEST(WorldAnswers, SubmissionVerdicts) {
  const auto accepted = ReadSubmissionAnswer(
      201, R"({"status":"accepted","entry":5,"rank":3,"score":10,"removed":1,"level":0})");
  ASSERT_TRUE(accepted);
  EXPECT_TRUE(accepted->accepted);
  EXPECT_EQ(accepted->rank, 3);
  const auto refused = ReadSubmissionAnswer(
      409, R"({"status":"refused","code":"ticket-used","reason":"Used\u0000 twice \u00e9."})");
  ASSERT_TRUE(refused);
  EXPECT_FALSE(refused->accepted);
  EXPECT_EQ(refused->code, "ticket-used");
  EXPECT_EQ(refused->reason, "Used? twice ??.") << "printable ASCII only";
  EXPECT_FALSE(ReadSubmissionAnswer(201, R"({"status":"accepted"})"));
  EXPECT_FALSE(ReadSubmissionAnswer(400, "<html>"));
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
