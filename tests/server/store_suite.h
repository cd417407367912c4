// The store suite: what every store of the world tables does, run over each
// store by a maker of fresh ones. A store's own test file instantiates it:
//
//   INSTANTIATE_TEST_SUITE_P(Sqlite, StoreSuite, testing::Values(&MakeSqliteHome), OneStore);
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "server/store.h"

namespace storetest {

// Where one case's store lives: a fresh, empty database, gone with this.
class StoreHome {
 public:
  virtual ~StoreHome() = default;
  // Opens the database; again after the first store is gone, the same one.
  virtual std::unique_ptr<server::Store> Open() = 0;
};

using StoreHomeMaker = std::unique_ptr<StoreHome> (*)();

class StoreSuite : public testing::TestWithParam<StoreHomeMaker> {
 protected:
  void SetUp() override;

  std::unique_ptr<StoreHome> home_;
  std::unique_ptr<server::Store> store_;
};

// Names a case by its suite alone: the maker's address, GoogleTest's default
// name, changes from one run to the next, and CTest could then no longer find
// the case it listed when the tests were built.
inline std::string OneStore(const testing::TestParamInfo<StoreHomeMaker>& /*info*/) {
  return "store";
}

// Test data shared with the stores' own tests.
server::Ticket TicketNamed(const std::string& id, std::int32_t level = 1);
server::Entry EntryFor(const server::Ticket& ticket, std::int32_t score);

}  // namespace storetest
