// The tests' PostgreSQL: the cluster CTest starts for them (tests/server/postgres.sh, the
// fixture in tests/server/CMakeLists.txt), and clusters a test starts and stops itself.
#pragma once

#include <string>

namespace testpg {

// The socket folder of the cluster CTest started, from MORVEX2_TEST_POSTGRES; empty when
// the test runs outside CTest without one (the PostgreSQL cases then skip, saying so).
std::string ClusterFolder();

// The URL of database `name` on the cluster whose socket is in `folder`.
std::string DatabaseUrl(const std::string& folder, const std::string& name);

// A fresh, empty database on that cluster, dropped (with whatever is still connected to it)
// when this goes: each test works on its own.
class Database {
 public:
  explicit Database(const std::string& clusterFolder);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Empty when it could not be made.
  [[nodiscard]] const std::string& conninfo() const { return conninfo_; }
  // Runs `sql` on it (several statements at once); the error text, empty when it ran.
  [[nodiscard]] std::string Run(const std::string& sql) const;

 private:
  std::string cluster_;
  std::string name_;
  std::string conninfo_;
};

// A cluster of a test's own, for the tests that stop and crash it under a running server:
// started in a fresh folder under /tmp, removed when this goes.
class Cluster {
 public:
  Cluster();
  ~Cluster();
  Cluster(const Cluster&) = delete;
  Cluster& operator=(const Cluster&) = delete;

  [[nodiscard]] bool started() const { return started_; }
  [[nodiscard]] const std::string& folder() const { return folder_; }
  [[nodiscard]] std::string conninfo() const { return DatabaseUrl(folder_, "postgres"); }
  // Ends it at once, as a crash does (its folder stays); Start brings it back, recovered.
  [[nodiscard]] bool Halt() const;
  [[nodiscard]] bool Start();

 private:
  std::string folder_;
  bool started_ = false;
};

}  // namespace testpg
