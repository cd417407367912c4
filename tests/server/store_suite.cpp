#include "tests/server/store_suite.h"

#include <string>
#include <vector>

namespace storetest {

using server::Entry;
using server::StoreResult;
using server::TableRow;
using server::Ticket;

void StoreSuite::SetUp() {
  home_ = GetParam()();
  ASSERT_NE(home_, nullptr);
  store_ = home_->Open();
  ASSERT_NE(store_, nullptr);
}

Ticket TicketNamed(const std::string& id, std::int32_t level) {
  Ticket ticket;
  ticket.id = id;
  ticket.level = level;
  ticket.seed = 0xFFFFFFFFu;  // the whole unsigned range survives
  ticket.issuedMs = 1'796'000'000'000;
  ticket.expiresMs = ticket.issuedMs + 86'400'000;
  return ticket;
}

Entry EntryFor(const Ticket& ticket, std::int32_t score) {
  Entry entry;
  entry.level = ticket.level;
  // "ソ" is 83 5C in code page 932: a backslash as its second byte.
  entry.name = "\x83\x5C'); --";
  entry.score = score;
  entry.removedCount = score / 10;
  entry.dateMs = ticket.issuedMs + 60'000;
  entry.ticketId = ticket.id;
  entry.replay = {0x4D, 0x56, 0x00, 0xFF, 0x00};
  return entry;
}

namespace {

std::string Id(int n) {
  std::string id = std::to_string(n);
  return std::string(32 - id.size(), 'a') + id;
}

// Adds a ticket and redeems it for an entry of `score`; the entry's id.
std::int64_t Enter(server::Store& store, int n, std::int32_t level, std::int32_t score) {
  const Ticket ticket = TicketNamed(Id(n), level);
  EXPECT_EQ(store.AddTicket(ticket), StoreResult::kOk);
  std::int64_t entryId = 0;
  EXPECT_EQ(store.Redeem(EntryFor(ticket, score), &entryId), StoreResult::kOk);
  return entryId;
}

TEST_P(StoreSuite, TicketsKeepEveryField) {
  Ticket ticket = TicketNamed(Id(1), 2);
  ticket.startedMs = ticket.issuedMs + 5;
  ASSERT_EQ(store_->AddTicket(ticket), StoreResult::kOk);
  EXPECT_EQ(store_->AddTicket(ticket), StoreResult::kConflict);
  Ticket found;
  ASSERT_EQ(store_->FindTicket(ticket.id, &found), StoreResult::kOk);
  EXPECT_EQ(found.id, ticket.id);
  EXPECT_EQ(found.level, 2);
  EXPECT_EQ(found.seed, 0xFFFFFFFFu);
  EXPECT_EQ(found.issuedMs, ticket.issuedMs);
  EXPECT_EQ(found.expiresMs, ticket.expiresMs);
  EXPECT_EQ(found.startedMs, ticket.startedMs);
  EXPECT_FALSE(found.endedMs.has_value());
  EXPECT_FALSE(found.redeemed);
  EXPECT_EQ(store_->FindTicket(Id(2), &found), StoreResult::kNotFound);
}

TEST_P(StoreSuite, OnlyTheFirstStampCounts) {
  ASSERT_EQ(store_->AddTicket(TicketNamed(Id(1))), StoreResult::kOk);
  EXPECT_EQ(store_->MarkStarted(Id(1), 100), StoreResult::kOk);
  EXPECT_EQ(store_->MarkStarted(Id(1), 200), StoreResult::kOk);
  EXPECT_EQ(store_->MarkEnded(Id(1), 300), StoreResult::kOk);
  EXPECT_EQ(store_->MarkEnded(Id(1), 400), StoreResult::kOk);
  EXPECT_EQ(store_->MarkStarted(Id(9), 100), StoreResult::kNotFound);
  EXPECT_EQ(store_->MarkEnded(Id(9), 100), StoreResult::kNotFound);
  Ticket found;
  ASSERT_EQ(store_->FindTicket(Id(1), &found), StoreResult::kOk);
  EXPECT_EQ(found.startedMs, 100);
  EXPECT_EQ(found.endedMs, 300);
}

TEST_P(StoreSuite, ATicketIsRedeemedOnce) {
  const Ticket ticket = TicketNamed(Id(1));
  ASSERT_EQ(store_->AddTicket(ticket), StoreResult::kOk);
  std::int64_t first = 0;
  ASSERT_EQ(store_->Redeem(EntryFor(ticket, 50), &first), StoreResult::kOk);
  std::int64_t second = -1;
  EXPECT_EQ(store_->Redeem(EntryFor(ticket, 900), &second), StoreResult::kConflict);
  EXPECT_EQ(second, -1);
  std::int64_t unknown = -1;
  EXPECT_EQ(store_->Redeem(EntryFor(TicketNamed(Id(2)), 10), &unknown), StoreResult::kNotFound);
  std::vector<TableRow> rows;
  ASSERT_EQ(store_->Table(1, 100, &rows), StoreResult::kOk);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].score, 50);
  Ticket found;
  ASSERT_EQ(store_->FindTicket(ticket.id, &found), StoreResult::kOk);
  EXPECT_TRUE(found.redeemed);
}

TEST_P(StoreSuite, TablesRankByScoreThenByTheEarlierEntry) {
  // (level, score) in the order they are entered.
  const std::vector<std::pair<std::int32_t, std::int32_t>> entered = {
      {1, 300}, {1, 500}, {0, 999}, {1, 300}, {1, 800}, {2, 10}, {1, 500}};
  std::vector<std::int64_t> ids;
  for (std::size_t i = 0; i < entered.size(); ++i) {
    ids.push_back(Enter(*store_, static_cast<int>(i), entered[i].first, entered[i].second));
  }
  std::vector<TableRow> rows;
  ASSERT_EQ(store_->Table(1, 100, &rows), StoreResult::kOk);
  const std::vector<std::int64_t> expected = {ids[4], ids[1], ids[6], ids[0], ids[3]};
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].entryId, expected[i]) << "rank " << i + 1;
    EXPECT_EQ(rows[i].rank, static_cast<std::int32_t>(i + 1));
    std::int32_t rank = 0;
    ASSERT_EQ(store_->RankOf(rows[i].entryId, &rank), StoreResult::kOk);
    EXPECT_EQ(rank, rows[i].rank);
  }
  EXPECT_EQ(rows[0].name, "\x83\x5C'); --");
  EXPECT_EQ(rows[0].removedCount, 80);
  ASSERT_EQ(store_->Table(1, 2, &rows), StoreResult::kOk);
  EXPECT_EQ(rows.size(), 2u);
  ASSERT_EQ(store_->Table(0, 100, &rows), StoreResult::kOk);
  EXPECT_EQ(rows.size(), 1u);
  std::int32_t rank = 0;
  EXPECT_EQ(store_->RankOf(ids.back() + 100, &rank), StoreResult::kNotFound);
}

TEST_P(StoreSuite, RemovedEntriesLeaveTheTables) {
  const std::int64_t best = Enter(*store_, 1, 1, 900);
  const std::int64_t next = Enter(*store_, 2, 1, 400);
  ASSERT_EQ(store_->Remove(best, "played by a program", 5), StoreResult::kOk);
  // Removed again, it stays removed as it was first (operations_test.cpp reads the why).
  EXPECT_EQ(store_->Remove(best, "a second thought", 9), StoreResult::kOk);
  EXPECT_EQ(store_->Remove(next + 100, "no such entry", 5), StoreResult::kNotFound);
  std::vector<std::uint8_t> replay = {1};
  bool removed = false;
  ASSERT_EQ(store_->ReplayOf(best, &replay, &removed), StoreResult::kOk);
  EXPECT_TRUE(removed);
  EXPECT_TRUE(replay.empty());
  std::vector<TableRow> rows;
  ASSERT_EQ(store_->Table(1, 100, &rows), StoreResult::kOk);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].entryId, next);
  std::int32_t rank = 0;
  ASSERT_EQ(store_->RankOf(next, &rank), StoreResult::kOk);
  EXPECT_EQ(rank, 1);
  EXPECT_EQ(store_->RankOf(best, &rank), StoreResult::kNotFound);
  std::vector<std::int64_t> visited;
  ASSERT_EQ(store_->ForEachEntry([&](const Entry& entry) { visited.push_back(entry.id); }),
            StoreResult::kOk);
  EXPECT_EQ(visited, std::vector<std::int64_t>{next});
}

TEST_P(StoreSuite, EntriesComeBackWhole) {
  const std::int64_t first = Enter(*store_, 1, 2, 70);
  const std::int64_t second = Enter(*store_, 2, 0, 20);
  std::vector<std::uint8_t> replay;
  bool removed = true;
  ASSERT_EQ(store_->ReplayOf(first, &replay, &removed), StoreResult::kOk);
  EXPECT_EQ(replay, (std::vector<std::uint8_t>{0x4D, 0x56, 0x00, 0xFF, 0x00}));
  EXPECT_FALSE(removed);
  EXPECT_EQ(store_->ReplayOf(second + 100, &replay, &removed), StoreResult::kNotFound);
  std::vector<Entry> visited;
  ASSERT_EQ(store_->ForEachEntry([&](const Entry& entry) { visited.push_back(entry); }),
            StoreResult::kOk);
  ASSERT_EQ(visited.size(), 2u);
  EXPECT_EQ(visited[0].id, first);
  EXPECT_EQ(visited[1].id, second);
  const Entry expected = EntryFor(TicketNamed(Id(1), 2), 70);
  EXPECT_EQ(visited[0].level, 2);
  EXPECT_EQ(visited[0].name, expected.name);
  EXPECT_EQ(visited[0].score, 70);
  EXPECT_EQ(visited[0].removedCount, 7);
  EXPECT_EQ(visited[0].dateMs, expected.dateMs);
  EXPECT_EQ(visited[0].ticketId, Id(1));
  EXPECT_EQ(visited[0].replay, expected.replay);
}

TEST_P(StoreSuite, OnlyUnredeemedExpiredTicketsAreDropped) {
  Ticket expired = TicketNamed(Id(1));
  expired.expiresMs = 1000;
  Ticket redeemed = TicketNamed(Id(2));
  redeemed.expiresMs = 1000;
  const Ticket live = TicketNamed(Id(3));
  for (const Ticket& ticket : {expired, redeemed, live}) {
    ASSERT_EQ(store_->AddTicket(ticket), StoreResult::kOk);
  }
  std::int64_t entryId = 0;
  ASSERT_EQ(store_->Redeem(EntryFor(redeemed, 5), &entryId), StoreResult::kOk);
  ASSERT_EQ(store_->DropExpiredTickets(2000), StoreResult::kOk);
  Ticket found;
  EXPECT_EQ(store_->FindTicket(expired.id, &found), StoreResult::kNotFound);
  EXPECT_EQ(store_->FindTicket(redeemed.id, &found), StoreResult::kOk);
  EXPECT_EQ(store_->FindTicket(live.id, &found), StoreResult::kOk);
}

TEST_P(StoreSuite, WhatWasAnsweredOutlivesTheStore) {
  const std::int64_t entryId = Enter(*store_, 1, 1, 640);
  ASSERT_EQ(store_->AddTicket(TicketNamed(Id(2))), StoreResult::kOk);
  store_.reset();
  store_ = home_->Open();
  ASSERT_NE(store_, nullptr);
  std::int32_t rank = 0;
  ASSERT_EQ(store_->RankOf(entryId, &rank), StoreResult::kOk);
  EXPECT_EQ(rank, 1);
  Ticket found;
  EXPECT_EQ(store_->FindTicket(Id(2), &found), StoreResult::kOk);
  EXPECT_EQ(store_->FindTicket(Id(1), &found), StoreResult::kOk);
  EXPECT_TRUE(found.redeemed);
}

}  // namespace
}  // namespace storetest
