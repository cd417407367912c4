#include "tests/server/postgres_database.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace testpg {

namespace {

const char* const kScript = MORVEX2_SOURCE_DIR "/tests/server/postgres.sh";

// Runs `sql` over a connection of its own; the error, empty when it ran.
std::string RunOn(const std::string& conninfo, const std::string& sql) {
  std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(conninfo.c_str()), &PQfinish);
  if (PQstatus(connection.get()) != CONNECTION_OK) return PQerrorMessage(connection.get());
  std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(connection.get(), sql.c_str()),
                                                       &PQclear);
  const ExecStatusType status = PQresultStatus(result.get());
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return {};
  return PQresultErrorMessage(result.get());
}

// The script's standard output, empty when it failed.
std::string RunScript(const std::string& command, const std::string& folder) {
  const std::string line = std::string(kScript) + " " + command + " '" + folder + "'";
  std::unique_ptr<FILE, decltype(&pclose)> out(popen(line.c_str(), "r"), &pclose);
  if (!out) return {};
  std::string text;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, out.get()) != nullptr) text += buffer;
  if (pclose(out.release()) != 0) return {};
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text.empty() ? std::string("ok") : text;
}

}  // namespace

std::string ClusterFolder() {
  const char* folder = std::getenv("MORVEX2_TEST_POSTGRES");
  return folder ? folder : "";
}

std::string DatabaseUrl(const std::string& folder, const std::string& name) {
  return "postgresql://postgres@/" + name + "?host=" + folder;
}

Database::Database(const std::string& clusterFolder)
    : cluster_(DatabaseUrl(clusterFolder, "postgres")) {
  static std::atomic<int> made{0};
  name_ = "test_" + std::to_string(getpid()) + "_" + std::to_string(made++);
  const std::string error = RunOn(cluster_, "CREATE DATABASE " + name_);
  if (error.empty()) conninfo_ = DatabaseUrl(clusterFolder, name_);
}

Database::~Database() {
  if (!conninfo_.empty()) (void)RunOn(cluster_, "DROP DATABASE " + name_ + " WITH (FORCE)");
}

std::string Database::Run(const std::string& sql) const {
  return RunOn(conninfo_, sql);
}

Cluster::Cluster() {
  char folder[] = "/tmp/morvex2-pg.XXXXXX";
  if (mkdtemp(folder) == nullptr) return;
  folder_ = folder;
  (void)Start();
}

Cluster::~Cluster() {
  if (!folder_.empty()) (void)RunScript("stop", folder_);
}

bool Cluster::Halt() const {
  return !RunScript("halt", folder_).empty();
}

bool Cluster::Start() {
  started_ = !RunScript("start", folder_).empty();
  return started_;
}

}  // namespace testpg
